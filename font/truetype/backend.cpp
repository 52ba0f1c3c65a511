#include "font/truetype/backend.h"

#include "font/sfnt/sfnt_backend.h"
#include "font/truetype/font.h"
#include "font/truetype/glyph_bitmap.h"

namespace {

// Outlines from glyf and loca (font/truetype/glyph_bitmap.h).
struct TrueTypeOutlines {
  using Font = TrueTypeFont;
  using Scratch = TrueTypeGlyphScratch;
  static constexpr OutlineLoad<Font> load = load_truetype_font;
  static constexpr auto glyph = truetype_glyph;
  static bool draw(const Font& font, uint16_t id, double scale, Scratch& scratch,
                   OutlineBuilder& builder, uint64_t& work) {
    const AffineTransform transform{scale, 0.0, 0.0, scale, 0.0, 0.0};
    GlyfScratch& glyf = scratch.source;
    const bool drawn = append_glyph_outline(font, id, transform, builder, 0, glyf);
    work += kWorkPerGlyfPoint * glyf.points_and_components +
            kWorkPerVariationDelta * glyf.variation_deltas;
    return drawn && !glyf.past_limits;
  }
};

} // namespace

FontBackend* make_truetype_backend(unsigned int options) {
  return new SfntBackend<TrueTypeOutlines>(options);
}
