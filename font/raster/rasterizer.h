// Coverage rasterizer: 4 x 4 samples per pixel, non-zero winding, every sample tested
// against every edge.
#pragma once
#include "font/font_api.h"
#include "font/raster/outline.h"

// Bitmaps larger than this come back empty (no pixels, only the advance): outlines that
// big only arise from absurd sizes or hostile fonts, and would otherwise ask for gigabytes.
constexpr long long kMaxBitmapSide = 16384;
constexpr long long kMaxBitmapPixels = 1LL << 24;

// Testing every sample against every edge costs pixels x edges x 16. Beyond this many
// pixel-edge pairs (about 400-pixel glyphs of real fonts) the bitmap comes back empty, so
// a hostile outline cannot stall the caller for minutes.
constexpr unsigned long long kMaxRasterWork = 1ULL << 27;

// Turns the outline's edges into a coverage bitmap with a one-pixel empty margin around
// the outline's bounds. `advance` is copied into the result unchanged.
GlyphBitmap rasterize_outline(const OutlineBuilder& outline, double advance);
