#include "font/truetype/glyph_bitmap.h"

#include "font/hinting/light_hinting.h"
#include "font/sfnt/item_variation_store.h"
#include "font/sfnt/sfnt.h"

namespace {

// How far the instance drawn moves the glyph's advance, in whole font units: HVAR's delta
// when the font has one, else the phantom points' (kept by the outline just built).
double advance_delta(const TrueTypeFont& font, uint16_t glyph, const GlyfScratch& glyf,
                     uint64_t& work) {
  if (!varies(font))
    return 0.0;
  double delta = 0.0;
  if (hvar_advance_delta(font.data, font.variations, glyph, delta, work))
    return delta;
  return round_half_up(glyf.advance_delta);
}

// The advance in font units: hmtx's, and away from the default instance the advance of
// the component lending its metrics, moved by the instance.
double varied_advance(const TrueTypeFont& font, uint16_t glyph, uint16_t width,
                      const GlyfScratch& glyf, uint64_t& work) {
  if (!varies(font))
    return width;
  const int32_t lender = glyf.metrics_glyph;
  if (lender >= 0 && lender < font.num_glyphs) {
    glyph = static_cast<uint16_t>(lender);
    if (!advance_width(font, glyph, width))
      return width;
  }
  return width + advance_delta(font, glyph, glyf, work);
}

} // namespace

GlyphBitmap truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale,
                           GlyphOutput output, TrueTypeGlyphScratch& scratch, GlyphBudget& budget,
                           LightHinting* hinting) {
  return run_glyph_pipeline(
      scratch, output, budget, [&](OutlineBuilder& outline, GlyfScratch& glyf) {
        OutlineDrawing drawing;
        const uint16_t metrics_glyph = glyph < font.num_glyphs ? glyph : 0;
        uint16_t width = 0;
        if (!advance_width(font, metrics_glyph, width)) {
          drawing.advance = font.units_per_em * scale;
          return drawing;
        }
        const AffineTransform transform{scale, 0.0, 0.0, scale, 0.0, 0.0};
        drawing.drawn = append_glyph_outline(font, glyph, transform, outline, 0, glyf);
        uint64_t advance_work = 0;
        drawing.advance = varied_advance(font, metrics_glyph, width, glyf, advance_work) * scale;
        drawing.work = kWorkPerGlyfPoint * glyf.points_and_components +
                       kWorkPerVariationDelta * glyf.variation_deltas + advance_work;
        drawing.past_limits = glyf.past_limits;
        hint_drawn_glyph(outline, drawing, scale, hinting, budget);
        return drawing;
      });
}

GlyphBitmap rasterize_truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale,
                                     TrueTypeGlyphScratch& scratch, GlyphBudget& budget,
                                     LightHinting* hinting) {
  return truetype_glyph(font, glyph, scale, GlyphOutput::kPixels, scratch, budget, hinting);
}

GlyphBitmap measure_truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale,
                                   TrueTypeGlyphScratch& scratch, GlyphBudget& budget,
                                   LightHinting* hinting) {
  return truetype_glyph(font, glyph, scale, GlyphOutput::kBox, scratch, budget, hinting);
}

GlyphBitmap rasterize_truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale,
                                     TrueTypeGlyphScratch& scratch) {
  GlyphBudget budget = GlyphBudget::unlimited();
  return rasterize_truetype_glyph(font, glyph, scale, scratch, budget);
}

GlyphBitmap rasterize_truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale) {
  TrueTypeGlyphScratch scratch;
  return rasterize_truetype_glyph(font, glyph, scale, scratch);
}
