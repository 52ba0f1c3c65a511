// The Type 1 font backend: PFB and PFA font programs drawn with their straight-line
// charstrings, or, with the extended loaders' complete-Type-1 option, in full.
#include "font/type1/backend.h"
#include "font/load_options.h"
#include "font/raster/rasterizer.h"
#include "font/type1/font.h"
#include "font/type1/glyph.h"

namespace {

class Type1Backend final : public FontBackend {
public:
  explicit Type1Backend(Type1Mode mode) : mode_(mode) {}

  bool load(FontBytes bytes) override { return load_type1_font(font_, bytes, mode_); }
  GlyphBitmap rasterize(unsigned int codepoint, double scale, GlyphBudget& budget) override {
    return rasterize_type1_glyph(font_, codepoint, scale, raster_, budget);
  }
  bool has_glyph(unsigned int codepoint) override {
    return type1_names_codepoint(font_, codepoint);
  }
  double units_per_em() const override { return font_.units_per_em; }
  double ascent() const override { return font_.ascent; }
  double descent() const override { return font_.descent; }
  double line_gap() const override { return 0.0; }
  int metric_rounding() const override { return 1; }

private:
  Type1Mode mode_;
  Type1Font font_;
  RasterScratch raster_; // reused by every glyph, kept within kMaxKeptScratchBytes
};

} // namespace

FontBackend* make_type1_backend(unsigned int options) {
  return new Type1Backend((options & load_option::kCompleteType1) != 0 ? Type1Mode::kComplete
                                                                       : Type1Mode::kStraightLines);
}
