#include "font/cff/glyph_bitmap.h"

#include "font/cff/charstring.h"
#include "font/hinting/light_hinting.h"

namespace {

// The advance in font units: hmtx's, moved at an instance away from the default by HVAR's
// delta (a variable font's CFF2 outlines carry no advances of their own).
double varied_advance(const CffFont& font, uint16_t glyph, uint16_t width, uint64_t& work) {
  double delta = 0.0;
  if (font.variations.at_default ||
      !hvar_advance_delta(font.data, font.variations, glyph, delta, work))
    return width;
  return width + delta;
}

} // namespace

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
        uint64_t advance_work = 0;
        drawing.advance = varied_advance(font, metrics_glyph, width, advance_work) * scale;
        CharstringWork work;
        drawing.drawn = draw_cff_glyph(font, glyph, scale, outline, work);
        drawing.work = work.cost() + advance_work;
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
