#include "font/text/layout.h"

#include "font/raster/pixel_rounding.h"

using pixel_rounding::saturate_to_int32;

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
};

int64_t max64(int64_t a, int64_t b) {
  return a > b ? a : b;
}

const GlyphBitmap& cached_bitmap(FontHandle* handle, unsigned int codepoint, double scale) {
  auto* entry = handle->bitmap_cache.find(codepoint);
  if (entry == handle->bitmap_cache.end()) {
    entry =
        handle->bitmap_cache.emplace(codepoint, handle->backend->rasterize(codepoint, scale)).first;
  }
  return entry->second;
}

bool has_ink(const GlyphBitmap& bitmap) {
  return bitmap.width > 0 && bitmap.height > 0;
}

} // namespace

int32_t round_line_metric(double value, int metric_rounding) {
  const int64_t rounded = metric_rounding == 1 ? pixel_rounding::nearest_to_int64(value)
                                               : pixel_rounding::ceil_to_int64(value);
  return saturate_to_int32(rounded);
}

LineLayout layout_line(FontHandle* handle, const dv::vector<unsigned int>& line) {
  const FontBackend& backend = *handle->backend;
  const double scale = static_cast<double>(handle->pixel_size) / backend.units_per_em();
  const int rounding = backend.metric_rounding();
  int64_t baseline = round_line_metric(backend.ascent() * scale, rounding);
  baseline = baseline < 1 ? 1 : baseline;
  int64_t line_height = round_line_metric(
      (backend.ascent() + backend.descent() + backend.line_gap()) * scale, rounding);
  line_height = line_height < 1 ? 1 : line_height;

  LineLayout layout;
  layout.glyphs.reserve(line.size);
  InkBounds ink;
  double pen = 0.0;
  for (unsigned int codepoint : line) {
    const GlyphBitmap& bitmap = cached_bitmap(handle, codepoint, scale);
    const int64_t x = pixel_rounding::floor_to_int64(pen) + bitmap.left;
    const int64_t y = baseline - bitmap.top;
    layout.glyphs.push_back(PlacedGlyph{&bitmap, saturate_to_int32(x), saturate_to_int32(y)});
    if (has_ink(bitmap)) {
      ink.extend(x, y, bitmap.width, bitmap.height);
    }
    pen += bitmap.advance;
  }

  int64_t advance_width = pixel_rounding::ceil_to_int64(pen);
  advance_width = advance_width < 1 ? 1 : advance_width;
  if (!ink.any) {
    layout.width = saturate_to_int32(advance_width);
    layout.height = saturate_to_int32(line_height);
    return layout;
  }
  const int64_t shift_x = max64(0, -ink.min_x);
  const int64_t shift_y = max64(0, -ink.min_y);
  const int64_t width = max64(advance_width, ink.max_x) + shift_x;
  int64_t height = max64(line_height, ink.max_y) + shift_y;
  height = height == 0 ? 1 : height;
  layout.width = saturate_to_int32(width);
  layout.height = saturate_to_int32(height);
  for (PlacedGlyph& glyph : layout.glyphs) {
    glyph.x = saturate_to_int32(glyph.x + shift_x);
    glyph.y = saturate_to_int32(glyph.y + shift_y);
  }
  return layout;
}
