#include "font/truetype/glyph_bitmap.h"

#include "font/raster/rasterizer.h"
#include "font/truetype/outline.h"
#include "font/truetype/sfnt.h"

bool advance_width(const TrueTypeFont& font, uint16_t glyph, uint16_t& width) {
  if (font.num_hmetrics_ == 0)
    return false;
  const uint16_t record = glyph < font.num_hmetrics_ ? glyph : font.num_hmetrics_ - 1;
  const uint64_t record_offset = static_cast<uint64_t>(font.hmtx_.offset) + 4ull * record;
  if (!has_bytes(font.data_, record_offset, 4))
    return false;
  width = read_u16_be(font.data_, record_offset);
  if (glyph < font.num_hmetrics_)
    return true;
  const uint64_t bearing_offset = static_cast<uint64_t>(font.hmtx_.offset) +
                                  4ull * font.num_hmetrics_ + 2ull * (glyph - font.num_hmetrics_);
  return has_bytes(font.data_, bearing_offset, 2);
}

namespace {

GlyphBitmap empty_bitmap(double advance) {
  GlyphBitmap bitmap;
  bitmap.advance = advance;
  return bitmap;
}

// A fresh builder that keeps the storage of `builder`'s edges.
void restart_outline(OutlineBuilder& builder) {
  dv::vector<LineSegment> segments = static_cast<dv::vector<LineSegment>&&>(builder.segments);
  segments.clear();
  builder = OutlineBuilder();
  builder.segments = static_cast<dv::vector<LineSegment>&&>(segments);
}

// Storage a handle keeps between glyphs; more than this (a glyph of hundreds of thousands
// of edges, or thousands of pixels tall) is given back after the glyph.
constexpr size_t kKeptScratchBytes = size_t{1} << 20;

template <typename T> size_t held_bytes(const dv::vector<T>& v) {
  return v.capacity * sizeof(T);
}

void release_if_large(GlyphScratch& scratch) {
  const size_t held = held_bytes(scratch.outline.segments) + scratch.raster.held_bytes() +
                      held_bytes(scratch.glyf.flags) + 2 * held_bytes(scratch.glyf.xs) +
                      held_bytes(scratch.glyf.contour_points);
  if (held > kKeptScratchBytes)
    scratch = GlyphScratch();
}

GlyphBitmap rasterize_with_scratch(const TrueTypeFont& font, uint16_t glyph, double scale,
                                   GlyphScratch& scratch) {
  scratch.raster.work = 0;
  const uint16_t metrics_glyph = glyph < font.num_glyphs_ ? glyph : 0;
  uint16_t width = 0;
  if (!advance_width(font, metrics_glyph, width))
    return empty_bitmap(font.units_per_em_ * scale);
  const double advance = width * scale;
  OutlineBuilder& builder = scratch.outline;
  restart_outline(builder);
  const AffineTransform transform{scale, 0.0, 0.0, scale, 0.0, 0.0};
  if (!append_glyph_outline(font, glyph, transform, builder, 0, scratch.glyf))
    return empty_bitmap(advance);
  GlyphBitmap bitmap = rasterize_outline(builder, advance, scratch.raster);
  bitmap.advance = advance;
  return bitmap;
}

} // namespace

GlyphBitmap rasterize_truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale,
                                     GlyphScratch& scratch) {
  GlyphBitmap bitmap = rasterize_with_scratch(font, glyph, scale, scratch);
  release_if_large(scratch);
  return bitmap;
}

GlyphBitmap rasterize_truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale) {
  GlyphScratch scratch;
  return rasterize_truetype_glyph(font, glyph, scale, scratch);
}
