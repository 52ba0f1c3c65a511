#include "font/truetype/glyph_bitmap.h"

#include "font/sfnt/sfnt.h"

GlyphBitmap truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale,
                           GlyphOutput output, TrueTypeGlyphScratch& scratch, GlyphBudget& budget) {
  return run_glyph_pipeline(
      scratch, output, budget, [&](OutlineBuilder& outline, GlyfScratch& glyf) {
        OutlineDrawing drawing;
        const uint16_t metrics_glyph = glyph < font.num_glyphs ? glyph : 0;
        uint16_t width = 0;
        if (!advance_width(font, metrics_glyph, width)) {
          drawing.advance = font.units_per_em * scale;
          return drawing;
        }
        drawing.advance = width * scale;
        const AffineTransform transform{scale, 0.0, 0.0, scale, 0.0, 0.0};
        drawing.drawn = append_glyph_outline(font, glyph, transform, outline, 0, glyf);
        drawing.work = kWorkPerGlyfPoint * glyf.points_and_components;
        drawing.past_limits = glyf.past_limits;
        return drawing;
      });
}

GlyphBitmap rasterize_truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale,
                                     TrueTypeGlyphScratch& scratch, GlyphBudget& budget) {
  return truetype_glyph(font, glyph, scale, GlyphOutput::kPixels, scratch, budget);
}

GlyphBitmap measure_truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale,
                                   TrueTypeGlyphScratch& scratch, GlyphBudget& budget) {
  return truetype_glyph(font, glyph, scale, GlyphOutput::kBox, scratch, budget);
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
