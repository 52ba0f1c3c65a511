#include "font/cff/glyph_bitmap.h"

#include "font/cff/charstring.h"
#include "font/hinting/light_hinting.h"

GlyphBitmap cff_glyph(const CffFont& font, uint32_t glyph, double scale, GlyphOutput output,
                      CffGlyphScratch& scratch, GlyphBudget& budget, LightHinting* hinting) {
  return run_glyph_pipeline(
      scratch, output, budget, [&](OutlineBuilder& outline, NoSourceScratch&) {
        OutlineDrawing drawing;
        const uint16_t metrics_glyph = glyph < font.num_glyphs ? static_cast<uint16_t>(glyph) : 0;
        uint16_t width = 0;
        if (!advance_width(font, metrics_glyph, width)) {
          drawing.advance = font.units_per_em * scale;
          return drawing;
        }
        drawing.advance = width * scale;
        CharstringWork work;
        drawing.drawn = draw_cff_glyph(font, glyph, scale, outline, work);
        drawing.work = kWorkPerInterpreterStep * work.steps;
        drawing.past_limits = work.past_limits();
        hint_drawn_glyph(outline, drawing, scale, hinting, budget);
        return drawing;
      });
}

GlyphBitmap rasterize_cff_glyph(const CffFont& font, uint32_t glyph, double scale,
                                CffGlyphScratch& scratch, GlyphBudget& budget,
                                LightHinting* hinting) {
  return cff_glyph(font, glyph, scale, GlyphOutput::kPixels, scratch, budget, hinting);
}

GlyphBitmap measure_cff_glyph(const CffFont& font, uint32_t glyph, double scale,
                              CffGlyphScratch& scratch, GlyphBudget& budget,
                              LightHinting* hinting) {
  return cff_glyph(font, glyph, scale, GlyphOutput::kBox, scratch, budget, hinting);
}
