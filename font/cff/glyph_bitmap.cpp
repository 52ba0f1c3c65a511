#include "font/cff/glyph_bitmap.h"

#include "font/cff/charstring.h"

namespace {

// Storage a handle keeps between glyphs; more than this is given back after the glyph.
constexpr size_t kKeptScratchBytes = size_t{1} << 20;

template <typename T> size_t held_bytes(const dv::vector<T>& v) {
  return v.capacity * sizeof(T);
}

void release_if_large(CffGlyphScratch& scratch) {
  const RasterScratch& raster = scratch.raster;
  const size_t held = held_bytes(scratch.outline.segments) + held_bytes(raster.edges) +
                      held_bytes(raster.first_edge_of_row) + held_bytes(raster.active) +
                      held_bytes(raster.partial) + held_bytes(raster.steps);
  if (held > kKeptScratchBytes)
    scratch = CffGlyphScratch();
}

// A fresh builder that keeps the storage of `builder`'s edges.
void restart_outline(OutlineBuilder& builder) {
  dv::vector<LineSegment> segments = static_cast<dv::vector<LineSegment>&&>(builder.segments);
  segments.clear();
  builder = OutlineBuilder();
  builder.segments = static_cast<dv::vector<LineSegment>&&>(segments);
}

GlyphBitmap empty_bitmap(double advance) {
  GlyphBitmap bitmap;
  bitmap.advance = advance;
  return bitmap;
}

GlyphBitmap rasterize_with_scratch(const CffFont& font, uint32_t glyph, double scale,
                                   CffGlyphScratch& scratch) {
  scratch.work = 0;
  scratch.raster.work = 0;
  const uint16_t metrics_glyph = glyph < font.num_glyphs_ ? static_cast<uint16_t>(glyph) : 0;
  uint16_t width = 0;
  if (!advance_width(font, metrics_glyph, width))
    return empty_bitmap(font.units_per_em_ * scale);
  const double advance = width * scale;
  restart_outline(scratch.outline);
  CharstringWork charstring;
  const bool drawn = draw_cff_glyph(font, glyph, scale, scratch.outline, charstring);
  scratch.work = charstring.steps;
  if (!drawn)
    return empty_bitmap(advance);
  GlyphBitmap bitmap = rasterize_outline(scratch.outline, advance, scratch.raster);
  scratch.work += scratch.raster.work;
  return bitmap;
}

} // namespace

GlyphBitmap rasterize_cff_glyph(const CffFont& font, uint32_t glyph, double scale,
                                CffGlyphScratch& scratch) {
  GlyphBitmap bitmap = rasterize_with_scratch(font, glyph, scale, scratch);
  release_if_large(scratch);
  return bitmap;
}
