// The font backend of every sfnt font, whatever draws its outlines: the face picked from a
// collection, the character map, the line metrics of hhea and the pair kerning are the
// sfnt layer's; the font's own tables and its glyphs are the outline source's.
//
// An outline source `Outlines` provides:
//   - `Font`: an SfntFont with what the outlines need;
//   - `Scratch`: the storage one handle reuses for every glyph;
//   - `load(Font&, bytes, directory)`: reads the face whose table directory starts at
//     `directory`, false when it is not a usable font of the format;
//   - `rasterize` and `measure(const Font&, glyph, scale, Scratch&, GlyphBudget&)`: the
//     glyph's bitmap, with or without its pixels, paid from the budget.
#pragma once
#include <stdint.h>

#include "containers/unordered_map.h"
#include "containers/vector.h"
#include "font/backend.h"
#include "font/load_options.h"
#include "font/sfnt/cmap.h"
#include "font/sfnt/collection.h"
#include "font/sfnt/kerning.h"

template <typename Outlines> class SfntBackend final : public FontBackend {
public:
  explicit SfntBackend(unsigned int options) : options_(options) {}

  // A collection's face when the options pick one, else the font the bytes hold; its pair
  // kerning only when the options ask for it.
  bool load(FontBytes bytes) override {
    uint32_t directory = 0;
    if (!sfnt_face_directory(bytes, load_option::face_index(options_), directory) ||
        !Outlines::load(font_, dv::move(bytes), directory))
      return false;
    if ((options_ & load_option::kKerning) != 0)
      kerning_ = read_sfnt_kerning(font_);
    return true;
  }

  GlyphBitmap rasterize(unsigned int codepoint, double scale, GlyphBudget& budget) override {
    return Outlines::rasterize(font_, lookup_glyph(codepoint), scale, scratch_, budget);
  }
  GlyphBitmap measure(unsigned int codepoint, double scale, GlyphBudget& budget) override {
    return Outlines::measure(font_, lookup_glyph(codepoint), scale, scratch_, budget);
  }

  double units_per_em() const override { return font_.units_per_em; }
  double ascent() const override { return font_.ascent; }
  double descent() const override { return font_.descent > 0 ? font_.descent : 0.0; }
  double line_gap() const override { return font_.line_gap > 0 ? font_.line_gap : 0.0; }
  int metric_rounding() const override { return 0; } // line metrics round up
  bool kerns() const override { return !kerning_.empty(); }
  bool has_glyph(unsigned int codepoint) override { return lookup_glyph(codepoint) != 0; }
  double kerning(unsigned int left, unsigned int right, GlyphBudget& budget) override {
    uint64_t work = 0;
    const int32_t value =
        pair_kerning(font_.data, kerning_, lookup_glyph(left), lookup_glyph(right), work);
    budget.spend(work);
    return value;
  }

private:
  uint16_t lookup_glyph(unsigned int codepoint) {
    return lookup_glyph_cached(font_.data, font_.cmap4, font_.cmap12_groups, glyph_cache_,
                               codepoint);
  }

  unsigned int options_; // the extended loaders' options word; 0 from the standard loaders
  typename Outlines::Font font_;
  dv::unordered_map<unsigned int, unsigned short> glyph_cache_; // code point -> glyph
  typename Outlines::Scratch scratch_;                          // reused by every glyph
  PairKerning kerning_;                                         // empty unless loaded with kerning
};
