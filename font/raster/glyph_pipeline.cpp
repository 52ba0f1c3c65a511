#include "font/raster/glyph_pipeline.h"

namespace {

template <typename T> size_t vector_bytes(const dv::vector<T>& v) {
  return v.capacity * sizeof(T);
}

} // namespace

void restart_outline(OutlineBuilder& outline) {
  dv::vector<LineSegment> segments = static_cast<dv::vector<LineSegment>&&>(outline.segments);
  segments.clear();
  outline = OutlineBuilder();
  outline.segments = static_cast<dv::vector<LineSegment>&&>(segments);
}

GlyphBitmap empty_bitmap(double advance) {
  GlyphBitmap bitmap;
  bitmap.advance = advance;
  return bitmap;
}

GlyphBitmap finish_glyph(const OutlineBuilder& outline, const OutlineDrawing& drawing,
                         GlyphOutput output, RasterScratch& raster, GlyphBudget& budget) {
  if (!budget.spend(drawing.work))
    return empty_bitmap(drawing.advance);
  // A glyph past its limits is refused; a malformed one is blank.
  if (drawing.past_limits || outline.overflowed) {
    budget.refuse();
    return empty_bitmap(drawing.advance);
  }
  if (!drawing.drawn)
    return empty_bitmap(drawing.advance);
  GlyphBitmap bitmap = output == GlyphOutput::kPixels
                           ? rasterize_outline(outline, drawing.advance, raster, budget)
                           : measure_outline(outline, drawing.advance, budget);
  bitmap.advance = drawing.advance;
  return bitmap;
}

bool holds_too_much(const OutlineBuilder& outline, const RasterScratch& raster,
                    size_t source_bytes) {
  return vector_bytes(outline.segments) + held_bytes(raster) + source_bytes > kMaxKeptScratchBytes;
}
