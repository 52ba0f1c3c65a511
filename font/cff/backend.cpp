// The font backend for OpenType fonts with CFF outlines: sfnt metrics and character map as
// for TrueType, outlines from Type 2 charstrings.
#include "font/cff/font.h"
#include "font/cff/glyph_bitmap.h"
#include "font/font_api.h"
#include "font/load_options.h"
#include "font/truetype/cmap.h"
#include "font/truetype/collection.h"

namespace {

class CffBackend final : public FontBackend {
public:
  explicit CffBackend(unsigned int options) : options_(options) {}

  // A collection's face when the options pick one, else the font the bytes hold.
  bool load(const dv::vector<unsigned char>& bytes) override {
    uint32_t directory = 0;
    return sfnt_face_directory(bytes, load_option::face_index(options_), directory) &&
           load_cff_font(font_, bytes, directory);
  }

  GlyphBitmap rasterize(unsigned int codepoint, double scale, GlyphBudget& budget) override {
    const uint16_t glyph = lookup_glyph_cached(font_.data_, font_.cmap4_, font_.cmap12_groups_,
                                               glyph_cache_, codepoint);
    return rasterize_cff_glyph(font_, glyph, scale, scratch_, budget);
  }

  double units_per_em() const override { return font_.units_per_em_; }
  double ascent() const override { return font_.ascent_; }
  double descent() const override { return font_.descent_ > 0 ? font_.descent_ : 0.0; }
  double line_gap() const override { return font_.line_gap_ > 0 ? font_.line_gap_ : 0.0; }
  int metric_rounding() const override { return 0; } // line metrics round up, as TrueType's

private:
  unsigned int options_; // the extended loaders' options word
  CffFont font_;
  dv::unordered_map<unsigned int, unsigned short> glyph_cache_; // code point -> glyph
  CffGlyphScratch scratch_;                                     // reused by every glyph
};

} // namespace

FontBackend* make_cff_backend(unsigned int options) {
  return new CffBackend(options);
}
