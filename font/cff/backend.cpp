// The font backend for OpenType fonts with CFF outlines: sfnt metrics and character map as
// for TrueType, outlines from Type 2 charstrings.
#include "font/cff/font.h"
#include "font/cff/glyph_bitmap.h"
#include "font/font_api.h"
#include "font/load_options.h"
#include "font/truetype/cmap.h"
#include "font/truetype/collection.h"
#include "font/truetype/kerning.h"

namespace {

class CffBackend final : public FontBackend {
public:
  explicit CffBackend(unsigned int options) : options_(options) {}

  // A collection's face when the options pick one, else the font the bytes hold; its pair
  // kerning only when the options ask for it.
  bool load(const dv::vector<unsigned char>& bytes) override {
    uint32_t directory = 0;
    if (!sfnt_face_directory(bytes, load_option::face_index(options_), directory) ||
        !load_cff_font(font_, bytes, directory))
      return false;
    if ((options_ & load_option::kKerning) != 0)
      kerning_ = read_sfnt_kerning(font_);
    return true;
  }

  GlyphBitmap rasterize(unsigned int codepoint, double scale, GlyphBudget& budget) override {
    return rasterize_cff_glyph(font_, lookup_glyph(codepoint), scale, scratch_, budget);
  }
  GlyphBitmap measure(unsigned int codepoint, double scale, GlyphBudget& budget) override {
    return measure_cff_glyph(font_, lookup_glyph(codepoint), scale, scratch_, budget);
  }
  bool kerns() const override { return !kerning_.empty(); }
  bool has_glyph(unsigned int codepoint) override { return lookup_glyph(codepoint) != 0; }
  double kerning(unsigned int left, unsigned int right, uint64_t& work) override {
    return pair_kerning(font_.data_, kerning_, lookup_glyph(left), lookup_glyph(right), work);
  }

  double units_per_em() const override { return font_.units_per_em_; }
  double ascent() const override { return font_.ascent_; }
  double descent() const override { return font_.descent_ > 0 ? font_.descent_ : 0.0; }
  double line_gap() const override { return font_.line_gap_ > 0 ? font_.line_gap_ : 0.0; }
  int metric_rounding() const override { return 0; } // line metrics round up, as TrueType's

private:
  uint16_t lookup_glyph(unsigned int codepoint) {
    return lookup_glyph_cached(font_.data_, font_.cmap4_, font_.cmap12_groups_, glyph_cache_,
                               codepoint);
  }

  unsigned int options_; // the extended loaders' options word
  CffFont font_;
  dv::unordered_map<unsigned int, unsigned short> glyph_cache_; // code point -> glyph
  CffGlyphScratch scratch_;                                     // reused by every glyph
  PairKerning kerning_;                                         // empty unless loaded with kerning
};

} // namespace

FontBackend* make_cff_backend(unsigned int options) {
  return new CffBackend(options);
}
