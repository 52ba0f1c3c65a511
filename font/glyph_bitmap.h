// The rasterizer's product, which the backends hand out and the glyph cache keeps.
#pragma once
#include <stdint.h>

#include "containers/vector.h"

// One rasterized glyph, placed relative to the pen position on the baseline.
struct GlyphBitmap {
  int32_t left = 0;  // pixels right of the origin to column 0 (may be negative)
  int32_t top = 0;   // pixels above the baseline to the top edge of row 0
  int32_t width = 0; // 0 for a glyph without ink
  int32_t height = 0;
  double advance = 0.0;             // horizontal pen advance in pixels, unrounded
  dv::vector<unsigned char> pixels; // width * height coverage values, top row first

  // Moving copies the numbers and takes the pixel vector, leaving the source's empty.
  GlyphBitmap() = default;
  GlyphBitmap(GlyphBitmap&& other) = default;
  GlyphBitmap& operator=(GlyphBitmap&& other) = default;
};

inline bool has_ink(const GlyphBitmap& bitmap) {
  return bitmap.width > 0 && bitmap.height > 0;
}
