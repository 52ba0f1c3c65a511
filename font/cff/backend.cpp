#include "font/cff/backend.h"

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
};

} // namespace

FontBackend* make_cff_backend(unsigned int options) {
  return new SfntBackend<CffOutlines>(options);
}
