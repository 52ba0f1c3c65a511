// The font backend for sfnt fonts with TrueType (glyf) outlines.
#include "font/font_api.h"
#include "font/load_options.h"
#include "font/truetype/cmap.h"
#include "font/truetype/collection.h"
#include "font/truetype/font.h"
#include "font/truetype/glyph_bitmap.h"
#include "font/truetype/kerning.h"

namespace {

class TrueTypeBackend final : public FontBackend {
public:
  explicit TrueTypeBackend(unsigned int options) : options_(options) {}

  // A collection's face when the options pick one, else the font the bytes hold; its pair
  // kerning only when the options ask for it.
  bool load(const dv::vector<unsigned char>& bytes) override {
    uint32_t directory = 0;
    if (!sfnt_face_directory(bytes, load_option::face_index(options_), directory) ||
        !load_truetype_font(font_, bytes, directory))
      return false;
    if ((options_ & load_option::kKerning) != 0)
      kerning_ = read_sfnt_kerning(font_);
    return true;
  }

  // The outline and the coverage are built outside this file from `font_`
  // (font/truetype/glyph_bitmap.h).
  GlyphBitmap rasterize(unsigned int codepoint, double scale, GlyphBudget& budget) override {
    return rasterize_truetype_glyph(font_, lookup_glyph(codepoint), scale, scratch_, budget);
  }
  GlyphBitmap measure(unsigned int codepoint, double scale, GlyphBudget& budget) override {
    return measure_truetype_glyph(font_, lookup_glyph(codepoint), scale, scratch_, budget);
  }

  double units_per_em() const override { return font_.units_per_em_; }
  double ascent() const override { return font_.ascent_; }
  double descent() const override { return font_.descent_ > 0 ? font_.descent_ : 0.0; }
  double line_gap() const override { return font_.line_gap_ > 0 ? font_.line_gap_ : 0.0; }
  int metric_rounding() const override { return 0; } // line metrics round up
  bool kerns() const override { return !kerning_.empty(); }
  bool has_glyph(unsigned int codepoint) override { return lookup_glyph(codepoint) != 0; }
  double kerning(unsigned int left, unsigned int right, uint64_t& work) override {
    return pair_kerning(font_.data_, kerning_, lookup_glyph(left), lookup_glyph(right), work);
  }

  uint16_t lookup_glyph(uint32_t codepoint) {
    return lookup_glyph_cached(font_.data_, font_.cmap4_, font_.cmap12_groups_, glyph_cache_,
                               codepoint);
  }

private:
  unsigned int options_; // the extended loaders' options word; 0 from the standard loaders
  TrueTypeFont font_;
  dv::unordered_map<unsigned int, unsigned short> glyph_cache_; // code point -> glyph
  GlyphScratch scratch_;                                        // reused by every glyph
  PairKerning kerning_;                                         // empty unless loaded with kerning
};

} // namespace

FontBackend* make_truetype_backend(unsigned int options) {
  return new TrueTypeBackend(options);
}
