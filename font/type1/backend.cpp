// The Type 1 font backend: PFB and PFA font programs drawn with their straight-line
// charstrings, or, with the extended loaders' complete-Type-1 option, in full.
#include "font/type1/backend.h"
#include "font/hinting/light_hinting.h"
#include "font/load_options.h"
#include "font/type1/font.h"
#include "font/type1/glyph.h"
#include "font/type1/interpreter.h"

namespace {

class Type1Backend final : public FontBackend {
public:
  Type1Backend(Type1Mode mode, bool hinting) : mode_(mode) { hinting_.enabled = hinting; }

  bool load(FontBytes bytes) override { return load_type1_font(font_, bytes, mode_); }
  GlyphBitmap rasterize(unsigned int codepoint, double scale, GlyphBudget& budget) override {
    if (!prepare_light_hinting(
            hinting_, font_.units_per_em, budget,
            [&](unsigned int reference, double reference_scale, OutlineBuilder& builder,
                uint64_t& work) { return draw(reference, reference_scale, builder, work); }))
      return GlyphBitmap();
    return rasterize_type1_glyph(font_, codepoint, scale, scratch_, budget,
                                 hinting_.enabled ? &hinting_ : nullptr);
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
  // The glyph of `codepoint` unhinted, for measuring the font's heights.
  bool draw(unsigned int codepoint, double scale, OutlineBuilder& builder, uint64_t& work) {
    const ByteView* charstring = charstring_for_type1_glyph(font_, codepoint);
    if (charstring == nullptr || !type1_names_codepoint(font_, codepoint))
      return false;
    Type1Interpreter interpreter(&font_, scale, builder);
    const bool drawn = interpreter.execute(*charstring, 0);
    work += kWorkPerInterpreterStep * interpreter.steps();
    return drawn && !interpreter.past_limits();
  }

  Type1Mode mode_;
  Type1Font font_;
  Type1GlyphScratch scratch_; // reused by every glyph
  LightHinting hinting_;      // enabled only with the option
};

} // namespace

FontBackend* make_type1_backend(unsigned int options) {
  return new Type1Backend((options & load_option::kCompleteType1) != 0 ? Type1Mode::kComplete
                                                                       : Type1Mode::kStraightLines,
                          (options & load_option::kHinting) != 0);
}
