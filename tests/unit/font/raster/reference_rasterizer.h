// The straightforward rasterizer, kept as the reference any faster one must match byte for
// byte: each of the 16 samples of every pixel is inside when the edges crossing its sample
// line to its right wind non-zero, the crossings found by testing every edge.
#pragma once
#include <string>
#include <vector>

#include "font/backend.h"
#include "font/raster/outline.h"

struct ReferenceBitmap {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  std::vector<unsigned char> pixels;
};

ReferenceBitmap reference_rasterize(const OutlineBuilder& outline);

// Empty when the library's bitmap equals the reference exactly, else a description of the
// first difference.
std::string difference_from_reference(const GlyphBitmap& actual, const ReferenceBitmap& expected);
