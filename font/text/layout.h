// Laying out one line of text: pen positions, baseline and line box, within the limits of
// one render.
#pragma once
#include <stdint.h>

#include "containers/vector.h"
#include "font/font_handle.h"
#include "font/text/utf8.h"

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
  int32_t baseline = 0; // the baseline's row inside the line box
  double pen = 0.0;     // the pen after the last glyph, unrounded
  dv::vector<PlacedGlyph> glyphs;
};

// Boxes of glyphs measured without their pixels (`pixels` empty), by code point.
using GlyphBoxes = dv::unordered_map<unsigned int, GlyphBitmap>;

// The handle's line metrics in whole pixels, each at least 1.
struct LineMetrics {
  int64_t baseline;
  int64_t line_height;
};

// What a render may still spend while its lines are laid out, and what it knows of its
// image so far. The image's final size is at least max(widest, line width) by
// (other_lines_height + line height) for the line being laid out, so layout stops as soon
// as that can no longer fit max_image_pixels.
struct RenderBudget {
  int64_t max_image_pixels;
  GlyphBudget glyphs;         // what new glyphs may still cost (font/glyph_budget.h)
  int64_t widest = 1;         // the widest line laid out so far
  int64_t other_lines_height; // lines laid out so far + line_height for each line to come
};

// Scaled line metrics to whole pixels: nearest (halves away from zero) when the backend's
// metric_rounding() is 1, else upwards. Values beyond the int32 range saturate and NaN
// gives 0.
int32_t round_line_metric(double value, int metric_rounding);

LineMetrics line_metrics(const FontHandle& handle);
// The same for `backend` drawn at `pixel_size`.
LineMetrics line_metrics_at(const FontBackend& backend, float pixel_size);

// True when an image with a line `line_width` x `line_height` next to what `budget`
// knows of the other lines can still fit.
bool image_can_fit(const RenderBudget& budget, int64_t line_width, int64_t line_height);

// Lays out `line` into `layout`, rasterizing every code point missing from the handle's
// cache into it. The caller has reserved room in the cache for every code point the line
// can add, so cached bitmaps do not move while the layout points at them. When the
// backend kerns, the pen moves by each pair's kerning, scaled like the advances, before
// the second glyph of the pair is placed.
// With `boxes`, the line is only measured: a code point missing from the cache is looked
// up in `boxes` or measured by the backend into it, nothing joins the cache and no glyph
// is recorded in `layout.glyphs`; the sizes, the refusals and the budget spent are those of
// the same layout rasterizing. Returns false, as soon as it is known, when the image can
// no longer fit or a new glyph would cost more than `budget.glyphs` has left (the backend
// refuses it); the glyph that showed it is not kept.
// Dimensions that leave the int32 range saturate at INT32_MAX.
bool layout_line(FontHandle* handle, const TextLine& line, const LineMetrics& metrics,
                 RenderBudget& budget, LineLayout& layout, GlyphBoxes* boxes = nullptr);
