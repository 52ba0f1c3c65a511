// The font backend for sfnt fonts with TrueType (glyf) outlines.
#include "font/font_api.h"
#include "font/truetype/cmap.h"
#include "font/truetype/font.h"
#include "font/truetype/glyph_bitmap.h"

namespace {

class TrueTypeBackend final : public FontBackend {
public:
  bool load(const dv::vector<unsigned char>& bytes) override {
    return load_truetype_font(font_, bytes);
  }

  // The outline and the coverage are built outside this file from `font_`
  // (font/truetype_glyph_bitmap.h).
  GlyphBitmap rasterize(unsigned int codepoint, double scale) override {
    return rasterize_truetype_glyph(font_, lookup_glyph(codepoint), scale, scratch_);
  }
  GlyphBitmap measure(unsigned int codepoint, double scale) override {
    return measure_truetype_glyph(font_, lookup_glyph(codepoint), scale, scratch_);
  }

  double units_per_em() const override { return font_.units_per_em_; }
  double ascent() const override { return font_.ascent_; }
  double descent() const override { return font_.descent_ > 0 ? font_.descent_ : 0.0; }
  double line_gap() const override { return font_.line_gap_ > 0 ? font_.line_gap_ : 0.0; }
  int metric_rounding() const override { return 0; } // line metrics round up
  uint64_t last_raster_work() const override { return scratch_.raster.work; }

  uint16_t lookup_glyph(uint32_t codepoint) {
    return lookup_glyph_cached(font_.data_, font_.cmap4_, font_.cmap12_groups_, glyph_cache_,
                               codepoint);
  }

private:
  TrueTypeFont font_;
  dv::unordered_map<unsigned int, unsigned short> glyph_cache_; // code point -> glyph
  GlyphScratch scratch_;                                        // reused by every glyph
};

} // namespace

FontBackend* make_truetype_backend() {
  return new TrueTypeBackend;
}
