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
};

} // namespace

FontBackend* make_truetype_backend(unsigned int options) {
  return new SfntBackend<TrueTypeOutlines>(options);
}
