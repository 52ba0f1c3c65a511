#include "font/truetype/glyph_bitmap.h"

#include "font/hinting/light_hinting.h"
#include "font/raster/rasterizer.h"
#include "font/sfnt/item_variation_store.h"
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
                      held_bytes(glyf.contour_on_curve) + held_bytes(glyf.dx) +
                      held_bytes(glyf.dy) + held_bytes(glyf.deltas.shared_points) +
                      held_bytes(glyf.deltas.private_points) + held_bytes(glyf.deltas.tuple_dx) +
                      held_bytes(glyf.deltas.tuple_dy) + held_bytes(glyf.deltas.touched) +
                      held_bytes(glyf.deltas.read_x) + held_bytes(glyf.deltas.read_y);
  if (held > kMaxKeptScratchBytes)
    scratch = GlyphScratch();
}

// How far the instance drawn moves the glyph's advance, in whole font units: HVAR's delta
// when the font has one, else the phantom points' (kept by the outline just built).
double advance_delta(const TrueTypeFont& font, uint16_t glyph, const GlyphScratch& scratch,
                     uint64_t& work) {
  if (!varies(font))
    return 0.0;
  double delta = 0.0;
  if (hvar_advance_delta(font.data, font.variations, glyph, delta, work))
    return delta;
  return round_half_up(scratch.glyf.advance_delta);
}

// The advance in font units: hmtx's, and away from the default instance the advance of
// the component lending its metrics, moved by the instance.
double varied_advance(const TrueTypeFont& font, uint16_t glyph, uint16_t width,
                      const GlyphScratch& scratch, uint64_t& work) {
  if (!varies(font))
    return width;
  const int32_t lender = scratch.glyf.metrics_glyph;
  if (lender >= 0 && lender < font.num_glyphs) {
    glyph = static_cast<uint16_t>(lender);
    if (!advance_width(font, glyph, width))
      return width;
  }
  return width + advance_delta(font, glyph, scratch, work);
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
  OutlineBuilder& builder = scratch.outline;
  restart_outline(builder);
  const AffineTransform transform{scale, 0.0, 0.0, scale, 0.0, 0.0};
  const bool appended = append_glyph_outline(font, glyph, transform, builder, 0, scratch.glyf);
  uint64_t advance_work = 0;
  const double advance = varied_advance(font, metrics_glyph, width, scratch, advance_work) * scale;
  if (!budget.spend(kWorkPerGlyfPoint * scratch.glyf.points_and_components +
                    kWorkPerVariationDelta * scratch.glyf.variation_deltas + advance_work))
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
