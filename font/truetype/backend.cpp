#include "font/truetype/backend.h"

#include "font/sfnt/sfnt_backend.h"
#include "font/truetype/font.h"
#include "font/truetype/glyph_bitmap.h"

namespace {

// Outlines from glyf and loca (font/truetype/glyph_bitmap.h).
struct TrueTypeOutlines {
  using Font = TrueTypeFont;
  using Scratch = GlyphScratch;

  static bool load(Font& font, dv::vector<unsigned char> bytes, uint32_t directory) {
    return load_truetype_font(font, dv::move(bytes), directory);
  }
  static GlyphBitmap rasterize(const Font& font, uint16_t glyph, double scale, Scratch& scratch,
                               GlyphBudget& budget, LightHinting* hinting) {
    return rasterize_truetype_glyph(font, glyph, scale, scratch, budget, hinting);
  }
  static GlyphBitmap measure(const Font& font, uint16_t glyph, double scale, Scratch& scratch,
                             GlyphBudget& budget, LightHinting* hinting) {
    return measure_truetype_glyph(font, glyph, scale, scratch, budget, hinting);
  }
  static bool draw(const Font& font, uint16_t glyph, double scale, Scratch& scratch,
                   OutlineBuilder& builder, uint64_t& work) {
    const AffineTransform transform{scale, 0.0, 0.0, scale, 0.0, 0.0};
    const bool drawn = append_glyph_outline(font, glyph, transform, builder, 0, scratch.glyf);
    work += kWorkPerGlyfPoint * scratch.glyf.points_and_components;
    return drawn && !scratch.glyf.past_limits;
  }
};

} // namespace

FontBackend* make_truetype_backend(unsigned int options) {
  return new SfntBackend<TrueTypeOutlines>(options);
}
