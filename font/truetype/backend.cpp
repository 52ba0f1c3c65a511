#include "font/truetype/backend.h"

#include "font/sfnt/sfnt_backend.h"
#include "font/truetype/font.h"
#include "font/truetype/glyph_bitmap.h"

namespace {

// Outlines from glyf and loca (font/truetype/glyph_bitmap.h).
struct TrueTypeOutlines {
  using Font = TrueTypeFont;
  using Scratch = GlyphScratch;

  static bool load(Font& font, FontBytes bytes, uint32_t directory) {
    return load_truetype_font(font, dv::move(bytes), directory);
  }
  static GlyphBitmap rasterize(const Font& font, uint16_t glyph, double scale, Scratch& scratch,
                               GlyphBudget& budget) {
    return rasterize_truetype_glyph(font, glyph, scale, scratch, budget);
  }
  static GlyphBitmap measure(const Font& font, uint16_t glyph, double scale, Scratch& scratch,
                             GlyphBudget& budget) {
    return measure_truetype_glyph(font, glyph, scale, scratch, budget);
  }
};

} // namespace

FontBackend* make_truetype_backend(unsigned int options) {
  return new SfntBackend<TrueTypeOutlines>(options);
}
