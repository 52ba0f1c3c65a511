// The 8-bit coverage canvas of a rendered text and its expansion into RGBA pixels.
#pragma once
#include <stdint.h>

#include "containers/vector.h"
#include "font/text/layout.h"

// Composes the lines top to bottom onto a zeroed width x height canvas. Overlapping
// coverage combines as d = v + ((255 - v) * d) / 255; ink outside the canvas is dropped.
dv::vector<unsigned char> compose_lines(const dv::vector<LineLayout>& lines, int32_t width,
                                        int32_t height);

// The canvas as RGBA (an array from new[]): every pixel carries the colour, clamped to
// 0-255, and alpha (coverage * A) / 255 with A = lround(opacity) clamped to 0-255.
uint8_t* expand_to_rgba(const dv::vector<unsigned char>& canvas, int red, int green, int blue,
                        double opacity);

// The same RGBA for a text of one glyph, without the canvas: the bytes expand_to_rgba gives
// for compose_lines of a single line holding only `glyph`.
uint8_t* glyph_to_rgba(const PlacedGlyph& glyph, int32_t width, int32_t height, int red, int green,
                       int blue, double opacity);
