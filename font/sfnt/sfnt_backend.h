// The font backend of every sfnt font, whatever draws its outlines: the face picked from a
// collection, the character map, the line metrics of hhea and the pair kerning are the
// sfnt layer's; the font's own tables and its glyphs are the outline source's.
//
// An outline source `Outlines` provides:
//   - `Font`: an SfntFont with what the outlines need;
//   - `Scratch`: the storage one handle reuses for every glyph;
//   - `load`, an OutlineLoad<Font>: reads the face whose table directory starts at
//     `directory`, false when it is not a usable font of the format;
//   - `glyph(const Font&, glyph, scale, GlyphOutput, Scratch&, GlyphBudget&, LightHinting*)`:
//     the glyph's bitmap, with its pixels or only its box, paid from the budget, hinted
//     when the last argument is not null;
//   - `draw(const Font&, glyph, scale, Scratch&, OutlineBuilder&, uint64_t& work)`: the
//     glyph's outline unhinted, adding its work to `work`; false when it has none (the
//     hinting measures the font's heights with it).
#pragma once
#include <stdint.h>

#include "containers/unordered_map.h"
#include "containers/vector.h"
#include "font/backend.h"
#include "font/hinting/light_hinting.h"
#include "font/load_options.h"
#include "font/raster/glyph_pipeline.h"
#include "font/sfnt/cmap.h"
#include "font/sfnt/collection.h"
#include "font/sfnt/kerning.h"
#include "font/variation_sequence.h"

template <typename Font>
using OutlineLoad = bool (*)(Font& font, FontBytes bytes, uint32_t directory);

template <typename Outlines> class SfntBackend final : public FontBackend {
public:
  explicit SfntBackend(unsigned int options) : options_(options) {}

  // A collection's face when the options pick one, else the font the bytes hold; its pair
  // kerning only when the options ask for it.
  bool load(FontBytes bytes) override {
    uint32_t directory = 0;
    font_.reads_extended_cmaps = extended_cmaps();
    if (!sfnt_face_directory(bytes, load_option::face_index(options_), directory) ||
        !Outlines::load(font_, dv::move(bytes), directory))
      return false;
    if ((options_ & load_option::kKerning) != 0)
      kerning_ = read_sfnt_kerning(font_);
    hinting_.enabled = (options_ & load_option::kHinting) != 0;
    return true;
  }

  GlyphBitmap rasterize(unsigned int codepoint, double scale, GlyphBudget& budget) override {
    if (draws_nothing(codepoint) || !prepare_hinting(budget))
      return GlyphBitmap{};
    return Outlines::glyph(font_, lookup_glyph(codepoint), scale, GlyphOutput::kPixels, scratch_,
                           budget, hinting());
  }
  GlyphBitmap measure(unsigned int codepoint, double scale, GlyphBudget& budget) override {
    if (draws_nothing(codepoint) || !prepare_hinting(budget))
      return GlyphBitmap{};
    return Outlines::glyph(font_, lookup_glyph(codepoint), scale, GlyphOutput::kBox, scratch_,
                           budget, hinting());
  }

  double units_per_em() const override { return font_.units_per_em; }
  // At the default instance the deltas are 0 and these are the static font's metrics.
  double ascent() const override { return font_.ascent + font_.variations.ascent_delta; }
  double descent() const override {
    const double descent = font_.descent - font_.variations.descent_delta;
    return descent > 0 ? descent : 0.0;
  }
  double line_gap() const override {
    const double gap = font_.line_gap + font_.variations.line_gap_delta;
    return gap > 0 ? gap : 0.0;
  }
  const FontVariations* variations() const override {
    return font_.variations.axes.size != 0 ? &font_.variations : nullptr;
  }
  void set_variation(const double* values) override {
    select_instance(font_.data, font_.variations, values);
    hinting_.heights = FontHeights(); // the instance's own heights, measured at its next glyph
    hinting_.zones_scale = 0.0;
  }
  int metric_rounding() const override { return 0; } // line metrics round up
  bool kerns() const override { return !kerning_.empty(); }
  bool has_glyph(unsigned int codepoint) override {
    return draws_nothing(codepoint) || lookup_glyph(codepoint) != 0;
  }
  bool draws_variation_sequences() const override { return extended_cmaps(); }
  double kerning(unsigned int left, unsigned int right, GlyphBudget& budget) override {
    return pair_kerning(font_.data, kerning_, lookup_glyph(left), lookup_glyph(right), budget);
  }

private:
  LightHinting* hinting() { return hinting_.enabled ? &hinting_ : nullptr; }
  bool prepare_hinting(GlyphBudget& budget) {
    return prepare_light_hinting(
        hinting_, font_.units_per_em, budget,
        [&](unsigned int codepoint, double scale, OutlineBuilder& builder, uint64_t& work) {
          const uint16_t glyph = lookup_glyph(codepoint);
          return glyph != 0 && Outlines::draw(font_, glyph, scale, scratch_, builder, work);
        });
  }

  bool extended_cmaps() const { return (options_ & load_option::kExtendedCmaps) != 0; }

  // A variation selector on its own is no character to draw: no ink, no advance.
  bool draws_nothing(unsigned int codepoint) const {
    return extended_cmaps() && is_variation_selector(codepoint);
  }

  uint16_t lookup_glyph(unsigned int key) {
    if (!extended_cmaps())
      return lookup_glyph_cached(font_.data, font_.cmap4, font_.cmap12_groups, glyph_cache_, key);
    const auto* found = glyph_cache_.find(key);
    if (found != glyph_cache_.end())
      return found->second;
    const uint16_t glyph = is_variation_sequence_key(key) ? sequence_glyph(key) : map_any(key);
    glyph_cache_[key] = glyph;
    return glyph;
  }

  // Every character map the font has: formats 4 and 12 first, as without the option.
  uint16_t map_any(uint32_t codepoint) const {
    const uint16_t glyph = map_code_point(font_.data, font_.cmap4, font_.cmap12_groups, codepoint);
    return glyph != 0 ? glyph : map_extended(font_.data, font_.extended_cmaps, codepoint);
  }

  // The variant format 14 lists for the pair, else the base's own glyph.
  uint16_t sequence_glyph(uint32_t key) const {
    uint16_t variant = 0;
    const uint32_t base = sequence_base(key);
    if (map_variation_sequence(font_.data, font_.extended_cmaps, base, sequence_selector(key),
                               variant) == SequenceMapping::kGlyph)
      return variant;
    return map_any(base);
  }

  unsigned int options_; // the extended loaders' options word; 0 from the standard loaders
  typename Outlines::Font font_;
  dv::unordered_map<unsigned int, unsigned short> glyph_cache_; // code point -> glyph
  typename Outlines::Scratch scratch_;                          // reused by every glyph
  PairKerning kerning_;                                         // empty unless loaded with kerning
  LightHinting hinting_;                                        // enabled only with the option
};
