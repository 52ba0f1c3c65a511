#include "font/truetype/glyph_bitmap.h"

#include "font/hinting/light_hinting.h"
#include "font/raster/rasterizer.h"
#include "font/sfnt/sfnt.h"
#include "font/truetype/outline.h"

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

template <typename T> size_t held_bytes(const dv::vector<T>& v) {
  return v.capacity * sizeof(T);
}

void release_if_large(GlyphScratch& scratch) {
  const GlyfScratch& glyf = scratch.glyf;
  const size_t held = held_bytes(scratch.outline.segments) + held_bytes(scratch.raster) +
                      held_bytes(glyf.end_points) + held_bytes(glyf.flags) + held_bytes(glyf.xs) +
                      held_bytes(glyf.ys) + held_bytes(glyf.contour_points) +
                      held_bytes(glyf.contour_on_curve);
  if (held > kMaxKeptScratchBytes)
    scratch = GlyphScratch();
}

// The glyph's bitmap with its outline built in `scratch` and paid from `budget`; `finish`
// turns the outline into the bitmap, rasterized or only measured, paying for that too.
template <typename Finish>
GlyphBitmap glyph_with_scratch(const TrueTypeFont& font, uint16_t glyph, double scale,
                               GlyphScratch& scratch, GlyphBudget& budget, LightHinting* hinting,
                               Finish finish) {
  const uint16_t metrics_glyph = glyph < font.num_glyphs ? glyph : 0;
  uint16_t width = 0;
  if (!advance_width(font, metrics_glyph, width))
    return empty_bitmap(font.units_per_em * scale);
  const double advance = width * scale;
  OutlineBuilder& builder = scratch.outline;
  restart_outline(builder);
  const AffineTransform transform{scale, 0.0, 0.0, scale, 0.0, 0.0};
  const bool appended = append_glyph_outline(font, glyph, transform, builder, 0, scratch.glyf);
  if (!budget.spend(kWorkPerGlyfPoint * scratch.glyf.points_and_components))
    return empty_bitmap(advance);
  // A glyph past its limits is refused; a malformed one is blank.
  if (scratch.glyf.past_limits || builder.overflowed) {
    budget.refuse();
    return empty_bitmap(advance);
  }
  if (!appended)
    return empty_bitmap(advance);
  if (hinting != nullptr && !hint_outline(builder, scale, *hinting, budget))
    return empty_bitmap(advance);
  GlyphBitmap bitmap = finish(builder, advance);
  bitmap.advance = advance;
  return bitmap;
}

// Gives back large scratch storage after a glyph, also when its rasterization failed
// to allocate and unwinds.
struct ScratchTrimmer {
  GlyphScratch& scratch;
  ~ScratchTrimmer() { release_if_large(scratch); }
};

} // namespace

GlyphBitmap rasterize_truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale,
                                     GlyphScratch& scratch, GlyphBudget& budget,
                                     LightHinting* hinting) {
  const ScratchTrimmer trimmer{scratch};
  return glyph_with_scratch(font, glyph, scale, scratch, budget, hinting,
                            [&](const OutlineBuilder& outline, double advance) {
                              return rasterize_outline(outline, advance, scratch.raster, budget);
                            });
}

GlyphBitmap measure_truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale,
                                   GlyphScratch& scratch, GlyphBudget& budget,
                                   LightHinting* hinting) {
  const ScratchTrimmer trimmer{scratch};
  return glyph_with_scratch(font, glyph, scale, scratch, budget, hinting,
                            [&](const OutlineBuilder& outline, double advance) {
                              return measure_outline(outline, advance, budget);
                            });
}

GlyphBitmap rasterize_truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale,
                                     GlyphScratch& scratch) {
  GlyphBudget budget = GlyphBudget::unlimited();
  return rasterize_truetype_glyph(font, glyph, scale, scratch, budget);
}

GlyphBitmap rasterize_truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale) {
  GlyphScratch scratch;
  return rasterize_truetype_glyph(font, glyph, scale, scratch);
}
