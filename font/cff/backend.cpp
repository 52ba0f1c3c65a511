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
  static constexpr OutlineLoad<Font> load = load_cff_font;
  static constexpr auto glyph = cff_glyph;
  static bool draw(const Font& font, uint16_t id, double scale, Scratch&, OutlineBuilder& builder,
                   uint64_t& work) {
    CharstringWork charstring_work;
    const bool drawn = draw_cff_glyph(font, id, scale, builder, charstring_work);
    work += charstring_work.cost();
    return drawn && !charstring_work.past_limits();
  }
};

} // namespace

FontBackend* make_cff_backend(unsigned int options) {
  return new SfntBackend<CffOutlines>(options);
}
