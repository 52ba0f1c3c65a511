// Laying out one line of code points: pen positions, baseline and line box.
#pragma once
#include <stdint.h>

#include "containers/vector.h"
#include "font/font_api.h"

// One glyph of a line: its cached bitmap and the position of the bitmap's top-left pixel
// inside the line box (x to the right, y downwards from the line's top edge).
struct PlacedGlyph {
  const GlyphBitmap* bitmap; // lives in the handle's bitmap_cache
  int32_t x;
  int32_t y;
};

struct LineLayout {
  int32_t width = 0;
  int32_t height = 0;
  dv::vector<PlacedGlyph> glyphs;
};

// Scaled line metrics to whole pixels: nearest (halves away from zero) when the backend's
// metric_rounding() is 1, else upwards. Values beyond the int32 range saturate and NaN
// gives 0.
int32_t round_line_metric(double value, int metric_rounding);

// Lays out `line`, rasterizing every code point missing from the handle's cache into it.
// The caller has reserved room in the cache for every code point of the line, so cached
// bitmaps do not move while the layout points at them. Dimensions that leave the int32
// range saturate at INT32_MAX (callers reject such lines as too large to draw).
LineLayout layout_line(FontHandle* handle, const dv::vector<unsigned int>& line);
