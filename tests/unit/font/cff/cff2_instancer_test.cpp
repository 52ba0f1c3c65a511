// The variable CFF2 font of tests/support/fonttools/cff2_fonts.py at a grid of locations,
// each against the static font fontTools' varLib.mutator makes of that location, loaded
// as any CFF2 font: the same normalized coordinates (through avar), the same outlines up
// to the mutator's rounding, the same advances and ink boxes at 12 and 48 px.
//
// The mutator rounds every blended operand to a whole unit, and charstring operands are
// relative: a point is the sum of the operands before it, so it may move by half a unit
// for each blended operand on its path, on each axis. Where every coordinate is -1, 0 or 1
// (the masters) each region's weight is 0 or 1, the deltas sum to whole units and there is
// nothing to round: the outlines must be the same, edge for edge. Elsewhere the bound is
// half a unit per blended value of the glyph, on each axis (at a coordinate of -0.5 an odd
// delta lands on half a unit, which the mutator always rounds up, so the errors add up
// rather than cancel: the generated font's rings move by 4 units there).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "font/backend.h"
#include "font/cff/backend.h"
#include "font/cff/charstring.h"
#include "font/cff/font.h"
#include "font/raster/curve_flattening.h"
#include "font/sfnt/font_variations.h"
#include "font/sfnt/item_variation_store.h"
#include "support/fonttools_fixtures.h"
#include "support/instance_comparison.h"
#include "unit/font/freetype_peer.h"

namespace {

using instancetest::Instance;

constexpr int kPixelSizes[] = {12, 48};
constexpr double kOutlineScale = 4.0; // pixels per font unit for the outline comparison

std::unique_ptr<CffFont> load_font(const std::string& name) {
  const std::vector<unsigned char> bytes = fonttools_fixtures::read(name);
  auto font = std::make_unique<CffFont>();
  if (bytes.empty() ||
      !load_cff_font(*font, dv::vector<unsigned char>(bytes.data(), bytes.data() + bytes.size()),
                     0))
    return nullptr;
  return font;
}

struct Drawn {
  OutlineBuilder outline;
  CharstringWork work;
};

Drawn draw(const CffFont& font, unsigned codepoint) {
  Drawn drawn;
  const uint16_t glyph = map_code_point(font.data, font.cmap4, font.cmap12_groups, codepoint);
  EXPECT_TRUE(draw_cff_glyph(font, glyph, kOutlineScale, drawn.outline, drawn.work));
  return drawn;
}

// The number of values a glyph blends: its deltas over the regions of data set 0, the one
// every glyph of the generated font blends with.
double blended_values(const CffFont& font, const CharstringWork& work) {
  uint16_t regions = 0;
  EXPECT_TRUE(item_data_region_count(font.data, font.cff2_store, 0, regions));
  return regions == 0 ? 0.0 : static_cast<double>(work.variation_deltas) / regions;
}

TEST(Cff2Instancer, UserValuesNormalizeAsFontToolsDoes) {
  const std::vector<Instance> all = instancetest::instances("cff2_fonts.txt");
  ASSERT_FALSE(all.empty()) << "no " << fonttools_fixtures::path("cff2_fonts.txt");
  for (const Instance& instance : all) {
    const auto variable = load_font(instance.variable_font);
    ASSERT_NE(variable, nullptr) << instance.variable_font;
    ASSERT_TRUE(variable->cff2);
    FontVariations& variations = variable->variations;
    ASSERT_EQ(variations.axes.size, instance.normalized.size());
    for (uint32_t axis = 0; axis < variations.axes.size; ++axis)
      EXPECT_EQ(normalize_coordinate(variations, axis, instance.user_values[axis]),
                instance.normalized[axis])
          << instance.static_font << " axis " << axis << " at " << instance.user_values[axis];
  }
}

TEST(Cff2Instancer, OutlinesMatchUpToTheMutatorsRounding) {
  double farthest_at_masters = 0.0;
  double farthest_between = 0.0;
  size_t compared = 0;
  for (const Instance& instance : instancetest::instances("cff2_fonts.txt")) {
    SCOPED_TRACE(instance.static_font);
    const auto variable = load_font(instance.variable_font);
    const auto instanced = load_font(instance.static_font);
    ASSERT_NE(variable, nullptr);
    ASSERT_NE(instanced, nullptr);
    select_instance(variable->data, variable->variations, instance.user_values.data());
    for (unsigned codepoint = 0x21; codepoint <= 0x7E; ++codepoint) {
      if (map_code_point(instanced->data, instanced->cmap4, instanced->cmap12_groups, codepoint) ==
          0)
        continue;
      const Drawn ours = draw(*variable, codepoint);
      const Drawn theirs = draw(*instanced, codepoint);
      ASSERT_GT(ours.outline.segments.size, 0u) << "U+" << std::hex << codepoint;
      const double distance =
          instancetest::outline_distance(ours.outline, theirs.outline, kOutlineScale);
      if (instance.at_masters()) {
        EXPECT_LE(distance, 1e-9) << "U+" << std::hex << codepoint;
        farthest_at_masters = std::max(farthest_at_masters, distance);
      } else {
        const double bound = std::sqrt(2.0) / 2 * blended_values(*variable, ours.work) +
                             kCurveTolerance / kOutlineScale;
        EXPECT_LE(distance, bound) << "U+" << std::hex << codepoint;
        farthest_between = std::max(farthest_between, distance);
      }
      ++compared;
    }
  }
  EXPECT_GT(compared, 0u);
  std::printf("%zu outlines: farthest vertex from the other outline %.3f units at the masters, "
              "%.3f between them\n",
              compared, farthest_at_masters, farthest_between);
}

// Advances and ink boxes through the backend at the sizes text is drawn at; the default
// instance draws the very pixels of the static font.
TEST(Cff2Instancer, GlyphsDrawAsTheStaticInstance) {
  for (const Instance& instance : instancetest::instances("cff2_fonts.txt")) {
    SCOPED_TRACE(instance.static_font);
    const auto variable = instancetest::load_backend(instance.variable_font, make_cff_backend);
    const auto instanced = instancetest::load_backend(instance.static_font, make_cff_backend);
    ASSERT_NE(variable, nullptr);
    ASSERT_NE(instanced, nullptr);
    variable->set_variation(instance.user_values.data());
    for (const int pixel_size : kPixelSizes) {
      const double scale = pixel_size / variable->units_per_em();
      for (unsigned codepoint = 0x20; codepoint <= 0x7E; ++codepoint) {
        if (!instanced->has_glyph(codepoint))
          continue;
        const std::string where =
            "U+" + std::to_string(codepoint) + " at " + std::to_string(pixel_size) + " px";
        const GlyphBitmap ours = variable->rasterize(codepoint, scale);
        const GlyphBitmap theirs = instanced->rasterize(codepoint, scale);
        EXPECT_EQ(ours.advance, theirs.advance) << where;
        const ftpeer::Coverage mine = ftpeer::coverage_of(ours);
        const ftpeer::Coverage reference = ftpeer::coverage_of(theirs);
        EXPECT_TRUE(ftpeer::within_pixels(mine.ink(), reference.ink(), 1))
            << where << ": ours " << ftpeer::describe(mine.ink()) << ", the mutator's "
            << ftpeer::describe(reference.ink());
        if (instance.at_masters())
          EXPECT_TRUE(mine.left == reference.left && mine.top == reference.top &&
                      mine.width == reference.width && mine.pixels == reference.pixels)
              << where;
      }
    }
  }
}

} // namespace
