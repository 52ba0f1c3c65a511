#include "font/cff/backend.h"

#include "font/cff/font.h"
#include "font/cff/glyph_bitmap.h"
#include "font/sfnt/sfnt_backend.h"

namespace {

// Outlines from the Type 2 charstrings of the CFF table (font/cff/glyph_bitmap.h).
struct CffOutlines {
  using Font = CffFont;
  using Scratch = CffGlyphScratch;

  static bool load(Font& font, FontBytes bytes, uint32_t directory) {
    return load_cff_font(font, dv::move(bytes), directory);
  }
  static GlyphBitmap rasterize(const Font& font, uint16_t glyph, double scale, Scratch& scratch,
                               GlyphBudget& budget) {
    return rasterize_cff_glyph(font, glyph, scale, scratch, budget);
  }
  static GlyphBitmap measure(const Font& font, uint16_t glyph, double scale, Scratch& scratch,
                             GlyphBudget& budget) {
    return measure_cff_glyph(font, glyph, scale, scratch, budget);
  }
};

} // namespace

FontBackend* make_cff_backend(unsigned int options) {
  return new SfntBackend<CffOutlines>(options);
}
