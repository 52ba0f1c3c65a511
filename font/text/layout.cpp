#include "font/text/layout.h"

#include "font/text/glyph_keys.h"
#include "font/text/pixel_rounding.h"

using pixel_rounding::max64;
using pixel_rounding::saturate_to_int32;
using pixel_rounding::saturating_add;

namespace {

// Union of the ink rectangles of a line, in line coordinates before shifting.
struct InkBounds {
  bool any = false;
  int64_t min_x = 0;
  int64_t min_y = 0;
  int64_t max_x = 0;
  int64_t max_y = 0;

  void extend(int64_t x, int64_t y, int64_t width, int64_t height) {
    if (!any) {
      any = true;
      min_x = x;
      min_y = y;
      max_x = x + width;
      max_y = y + height;
      return;
    }
    min_x = x < min_x ? x : min_x;
    min_y = y < min_y ? y : min_y;
    max_x = x + width > max_x ? x + width : max_x;
    max_y = y + height > max_y ? y + height : max_y;
  }
  int64_t shift_x() const { return max64(0, -min_x); }
  int64_t shift_y() const { return max64(0, -min_y); }
};

// The line in progress: its pen and ink so far, and the box those already force on it.
// Ink only grows and shifts only grow, so the box of the ink so far is a lower bound of
// the finished line's box; the pen is not, because advances may be negative.
struct LineProgress {
  int64_t baseline;
  int64_t line_height;
  double pen = 0.0;
  InkBounds ink;

  int64_t least_width() const {
    return ink.any ? max64(1, saturating_add(ink.max_x, ink.shift_x())) : 1;
  }
  int64_t least_height() const {
    return ink.any ? saturating_add(max64(line_height, ink.max_y), ink.shift_y()) : line_height;
  }
};

// The glyph's placement before the line is shifted; extends the line's ink.
PlacedGlyph place(LineProgress& line, const GlyphBitmap& bitmap) {
  const int64_t x = pixel_rounding::floor_to_int64(line.pen) + bitmap.left;
  const int64_t y = line.baseline - bitmap.top;
  if (has_ink(bitmap)) {
    line.ink.extend(x, y, bitmap.width, bitmap.height);
  }
  line.pen += bitmap.advance;
  return PlacedGlyph{&bitmap, saturate_to_int32(x), saturate_to_int32(y)};
}

// Where the glyphs of a layout come from: the handle's cache, and for the code points it
// lacks the backend's rasterizer (into the cache) or, when measuring, its measure (into
// `boxes`).
struct GlyphSource {
  FontHandle* handle;
  GlyphBoxes* boxes; // null: rasterize into the cache
  double scale;      // pixels per font unit

  const GlyphBitmap* known(unsigned int codepoint) const {
    auto* cached = handle->bitmap_cache.find(codepoint);
    if (cached != handle->bitmap_cache.end())
      return &cached->second;
    if (boxes == nullptr)
      return nullptr;
    auto* measured = boxes->find(codepoint);
    return measured != boxes->end() ? &measured->second : nullptr;
  }
  GlyphBitmap make(unsigned int codepoint, GlyphBudget& budget) const {
    return boxes == nullptr ? handle->backend->rasterize(codepoint, scale, budget)
                            : handle->backend->measure(codepoint, scale, budget);
  }
  const GlyphBitmap* keep(unsigned int codepoint, GlyphBitmap&& bitmap) const {
    GlyphBoxes& store = boxes == nullptr ? handle->bitmap_cache : *boxes;
    return &store.emplace(codepoint, dv::move(bitmap)).first->second;
  }
};

// The known bitmap of `codepoint`, making it on a miss. A new bitmap is kept only when the
// budget paid for it and the line with it placed can still fit the image; otherwise null,
// and nothing was kept.
const GlyphBitmap* glyph_for(const GlyphSource& source, unsigned int codepoint, LineProgress& line,
                             RenderBudget& budget) {
  if (const GlyphBitmap* known = source.known(codepoint))
    return known;
  GlyphBitmap bitmap = source.make(codepoint, budget.glyphs);
  if (budget.glyphs.exhausted) {
    return nullptr;
  }
  LineProgress trial = line;
  place(trial, bitmap);
  if (!image_can_fit(budget, trial.least_width(), trial.least_height())) {
    return nullptr;
  }
  return source.keep(codepoint, dv::move(bitmap));
}

// Width and height of the finished line, and the shift that keeps its ink inside its box.
void finish(const LineProgress& line, LineLayout& layout) {
  const int64_t advance_width = max64(1, pixel_rounding::ceil_to_int64(line.pen));
  layout.pen = line.pen;
  layout.baseline = saturate_to_int32(line.baseline);
  if (!line.ink.any) {
    layout.width = saturate_to_int32(advance_width);
    layout.height = saturate_to_int32(line.line_height);
    return;
  }
  const int64_t shift_x = line.ink.shift_x();
  const int64_t shift_y = line.ink.shift_y();
  const int64_t width = saturating_add(max64(advance_width, line.ink.max_x), shift_x);
  int64_t height = saturating_add(max64(line.line_height, line.ink.max_y), shift_y);
  height = height == 0 ? 1 : height;
  layout.width = saturate_to_int32(width);
  layout.height = saturate_to_int32(height);
  layout.baseline = saturate_to_int32(saturating_add(line.baseline, shift_y));
  for (PlacedGlyph& glyph : layout.glyphs) {
    glyph.x = saturate_to_int32(glyph.x + shift_x);
    glyph.y = saturate_to_int32(glyph.y + shift_y);
  }
}

} // namespace

int32_t round_line_metric(double value, int metric_rounding) {
  const int64_t rounded = metric_rounding == 1 ? pixel_rounding::nearest_to_int64(value)
                                               : pixel_rounding::ceil_to_int64(value);
  return saturate_to_int32(rounded);
}

LineMetrics line_metrics(const FontHandle& handle) {
  return line_metrics_at(*handle.backend, handle.pixel_size);
}

LineMetrics line_metrics_at(const FontBackend& backend, float pixel_size) {
  const double scale = static_cast<double>(pixel_size) / backend.units_per_em();
  const int rounding = backend.metric_rounding();
  const int64_t baseline = round_line_metric(backend.ascent() * scale, rounding);
  const int64_t line_height = round_line_metric(
      (backend.ascent() + backend.descent() + backend.line_gap()) * scale, rounding);
  return LineMetrics{max64(1, baseline), max64(1, line_height)};
}

bool image_can_fit(const RenderBudget& budget, int64_t line_width, int64_t line_height) {
  const int64_t limit = budget.max_image_pixels;
  const int64_t width = max64(budget.widest, line_width);
  const int64_t height = saturating_add(budget.other_lines_height, line_height);
  // Each side is at most the limit (below 2^31) before they are multiplied.
  return width <= limit && height <= limit && width * height <= limit;
}

bool layout_line(FontHandle* handle, const TextLine& line, const LineMetrics& metrics,
                 RenderBudget& budget, LineLayout& layout, GlyphBoxes* boxes) {
  const double scale = static_cast<double>(handle->pixel_size) / handle->backend->units_per_em();
  const GlyphSource source{handle, boxes, scale};
  const bool kerning = handle->backend->kerns();
  LineProgress progress{metrics.baseline, metrics.line_height, 0.0, InkBounds{}};
  if (boxes == nullptr) {
    // A line has no more code points than bytes.
    layout.glyphs.reserve(line.bytes());
  }
  bool first = true;
  unsigned int previous = 0;
  const bool pairs = handle->backend->draws_variation_sequences();
  const bool complete = for_each_glyph_key(line, pairs, [&](unsigned int codepoint) {
    if (kerning && !first) {
      // Kerning is paid from the same work budget as new glyphs, so a font whose kerning
      // tables are slow to search cannot make a long text slow.
      progress.pen += handle->backend->kerning(previous, codepoint, budget.glyphs) * scale;
      if (budget.glyphs.exhausted) {
        return false;
      }
    }
    first = false;
    previous = codepoint;
    const GlyphBitmap* bitmap = glyph_for(source, codepoint, progress, budget);
    if (bitmap == nullptr) {
      return false;
    }
    const PlacedGlyph placed = place(progress, *bitmap);
    if (boxes == nullptr) {
      layout.glyphs.push_back(placed);
    }
    return image_can_fit(budget, progress.least_width(), progress.least_height());
  });
  if (!complete) {
    return false;
  }
  finish(progress, layout);
  return true;
}
