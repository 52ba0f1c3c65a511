#include "font/cff/backend.h"

#include "font/cff/charstring.h"

#include "font/cff/font.h"
#include "font/cff/glyph_bitmap.h"
#include "font/sfnt/sfnt_backend.h"

namespace {

// Outlines from the Type 2 charstrings of the CFF table (font/cff/glyph_bitmap.h).
struct CffOutlines {
  using Font = CffFont;
  using Scratch = CffGlyphScratch;

  static bool load(Font& font, dv::vector<unsigned char> bytes, uint32_t directory) {
    return load_cff_font(font, dv::move(bytes), directory);
  }
  static GlyphBitmap rasterize(const Font& font, uint16_t glyph, double scale, Scratch& scratch,
                               GlyphBudget& budget, LightHinting* hinting) {
    return rasterize_cff_glyph(font, glyph, scale, scratch, budget, hinting);
  }
  static GlyphBitmap measure(const Font& font, uint16_t glyph, double scale, Scratch& scratch,
                             GlyphBudget& budget, LightHinting* hinting) {
    return measure_cff_glyph(font, glyph, scale, scratch, budget, hinting);
  }
  static bool draw(const Font& font, uint16_t glyph, double scale, Scratch&,
                   OutlineBuilder& builder, uint64_t& work) {
    CharstringWork charstring_work;
    const bool drawn = draw_cff_glyph(font, glyph, scale, builder, charstring_work);
    work += kWorkPerInterpreterStep * charstring_work.steps;
    return drawn && !charstring_work.past_limits();
  }
};

} // namespace

FontBackend* make_cff_backend(unsigned int options) {
  return new SfntBackend<CffOutlines>(options);
}
