// Loading the CFF2 fonts of tests/support/cff2_builder.h: one weight axis (100, 400, 900),
// a store whose region 0 peaks at the axis's maximum and region 1 at its minimum, data set
// 0 naming region 0 and data set 1 both, so a blend's deltas are (at max) and (at max,
// at min).
#pragma once

#include <memory>
#include <vector>

#include "font/cff/font.h"
#include "support/cff2_builder.h"
#include "support/variation_builder.h"

namespace cff2_test {

inline testfont::Bytes weight_store() {
  return testfont::cff2_variation_store({{1.0}, {-1.0}}, {{0}, {0, 1}});
}

inline testfont::Cff2Params params_with(std::vector<testfont::Bytes> charstrings) {
  testfont::Cff2Params params;
  params.charstrings = std::move(charstrings);
  params.variation_store = weight_store();
  return params;
}

inline testfont::FontParams weight_axis_sfnt(size_t glyphs,
                                             std::vector<testfont::TableEntry> extra = {}) {
  testfont::FontParams sfnt;
  sfnt.glyphs.resize(glyphs);
  sfnt.extra_tables = std::move(extra);
  sfnt.extra_tables.push_back({"fvar", testfont::fvar_table({{"wght", 100, 400, 900}})});
  return sfnt;
}

inline std::unique_ptr<CffFont> load_bytes(const testfont::Bytes& bytes) {
  auto font = std::make_unique<CffFont>();
  if (!load_cff_font(*font, dv::vector<unsigned char>(bytes.data(), bytes.data() + bytes.size()),
                     0))
    return nullptr;
  return font;
}

// The font with a weight axis, at user weight `weight`.
inline std::unique_ptr<CffFont> load(const testfont::Cff2Params& params, double weight = 400,
                                     std::vector<testfont::TableEntry> extra = {}) {
  auto font = load_bytes(
      testfont::build_cff2_font(weight_axis_sfnt(params.charstrings.size(), extra), params));
  if (font != nullptr)
    select_instance(font->data, font->variations, &weight);
  return font;
}

} // namespace cff2_test
