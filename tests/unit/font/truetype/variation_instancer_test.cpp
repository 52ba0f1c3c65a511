// Variable TrueType fonts built with fontTools.varLib (tests/support/fonttools/
// variable_fonts.py) at a grid of locations, each against the static font fontTools'
// instancer makes of that location, loaded as any static font: the same normalized
// coordinates (through avar), the same outlines up to the instancer's rounding, the same
// line metrics, and the same advances and ink boxes at 12 and 48 px.
//
// Outlines are compared as outlines, not as coverage. The instancer rounds every point (and
// component offset) to whole units, up to half a unit on each axis, while the library keeps
// the deltas' fractions. Coverage is sampled 4 x 4 per pixel, so a straight edge moved by a
// twentieth of a pixel can flip a whole row of samples along its length: a coverage
// tolerance wide enough for that would hide real faults of several units. A point moved by
// at most half a unit on each axis moves every point of its curves by at most sqrt(2) / 2
// units (each curve point is a convex combination of its control points), and flattening
// keeps each edge within kCurveTolerance pixels of its curve; so every vertex of one
// flattened outline lies within sqrt(2) / 2 units plus that tolerance of the other's edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "font/backend.h"
#include "font/raster/curve_flattening.h"
#include "font/sfnt/font_variations.h"
#include "font/sfnt/sfnt.h"
#include "font/truetype/backend.h"
#include "font/truetype/outline.h"
#include "support/fonttools_fixtures.h"
#include "support/instance_comparison.h"
#include "unit/font/freetype_peer.h"

namespace {

using instancetest::Instance;

constexpr int kPixelSizes[] = {12, 48};
// Pixels per font unit for the outline comparison: fine enough that flattening adds little
// to the rounding's bound.
constexpr double kOutlineScale = 4.0;
constexpr double kOutlineTolerance = 0.7072 + kCurveTolerance / kOutlineScale; // font units

// The code points the fonts map (the generator's, and a few they do not).
std::vector<unsigned> code_points() {
  std::vector<unsigned> all;
  for (unsigned codepoint = 0x20; codepoint <= 0xFF; ++codepoint)
    all.push_back(codepoint);
  all.push_back(0xE000);
  return all;
}

std::unique_ptr<TrueTypeFont> load_font(const std::string& name) {
  const std::vector<unsigned char> bytes = fonttools_fixtures::read(name);
  auto font = std::make_unique<TrueTypeFont>();
  if (bytes.empty() || !load_truetype_font(*font, dv::vector<unsigned char>(
                                                      bytes.data(), bytes.data() + bytes.size())))
    return nullptr;
  return font;
}

OutlineBuilder outline_of(const TrueTypeFont& font, unsigned codepoint) {
  OutlineBuilder builder;
  const uint16_t glyph = map_code_point(font.data, font.cmap4, font.cmap12_groups, codepoint);
  const AffineTransform transform{kOutlineScale, 0, 0, kOutlineScale, 0, 0};
  EXPECT_TRUE(append_glyph_outline(font, glyph, transform, builder, 0));
  return builder;
}

TEST(VariationInstancer, UserValuesNormalizeAsFontToolsDoes) {
  const std::vector<Instance> all = instancetest::instances("variable_fonts.txt");
  ASSERT_FALSE(all.empty()) << "no " << fonttools_fixtures::path("variable_fonts.txt");
  for (const Instance& instance : all) {
    const auto variable = load_font(instance.variable_font);
    ASSERT_NE(variable, nullptr) << instance.variable_font;
    FontVariations& variations = variable->variations;
    ASSERT_EQ(variations.axes.size, instance.normalized.size());
    for (uint32_t axis = 0; axis < variations.axes.size; ++axis)
      EXPECT_EQ(normalize_coordinate(variations, axis, instance.user_values[axis]),
                instance.normalized[axis])
          << instance.static_font << " axis " << axis << " at " << instance.user_values[axis];
  }
}

TEST(VariationInstancer, OutlinesMatchUpToTheInstancersRounding) {
  double farthest = 0.0;
  for (const Instance& instance : instancetest::instances("variable_fonts.txt")) {
    SCOPED_TRACE(instance.static_font);
    const auto variable = load_font(instance.variable_font);
    const auto instanced = load_font(instance.static_font);
    ASSERT_NE(variable, nullptr);
    ASSERT_NE(instanced, nullptr);
    select_instance(variable->data, variable->variations, instance.user_values.data());
    for (const unsigned codepoint : code_points()) {
      if (map_code_point(instanced->data, instanced->cmap4, instanced->cmap12_groups, codepoint) ==
          0)
        continue;
      const OutlineBuilder ours = outline_of(*variable, codepoint);
      const OutlineBuilder theirs = outline_of(*instanced, codepoint);
      ASSERT_EQ(ours.segments.size == 0, theirs.segments.size == 0) << "U+" << codepoint;
      const double distance = instancetest::outline_distance(ours, theirs, kOutlineScale);
      EXPECT_LE(distance, kOutlineTolerance) << "U+" << std::hex << codepoint;
      farthest = std::max(farthest, distance);
    }
  }
  std::printf("farthest vertex from the other outline: %.3f units (bound %.3f)\n", farthest,
              kOutlineTolerance);
}

struct LineMetrics {
  double ascent, descent, line_gap;
};

// OS/2's typographic ascender, descender (negated) and line gap.
LineMetrics typographic_metrics(const TrueTypeFont& font) {
  const auto* os2 = font.tables.find(sfnt_tag("OS/2"));
  EXPECT_NE(os2, font.tables.end());
  const uint64_t at = os2->second.offset;
  return {static_cast<double>(read_i16_be(font.data, at + 68)),
          -static_cast<double>(read_i16_be(font.data, at + 70)),
          static_cast<double>(read_i16_be(font.data, at + 72))};
}

// Line metrics, and advances and ink boxes through the backend at the sizes text is drawn
// at; the default instance draws the very pixels of the static font.
//
// MVAR's hasc, hdsc and hlgp vary OS/2's typographic metrics, which the instancer writes;
// the library moves its hhea line metrics by them, as FreeType moves its face's. The
// masters keep hhea equal to the typographic metrics, so the instance's OS/2 values are the
// line metrics the library must give.
TEST(VariationInstancer, GlyphsDrawAsTheStaticInstance) {
  for (const Instance& instance : instancetest::instances("variable_fonts.txt")) {
    SCOPED_TRACE(instance.static_font);
    const auto variable = instancetest::load_backend(instance.variable_font, make_truetype_backend);
    const auto instanced = instancetest::load_backend(instance.static_font, make_truetype_backend);
    ASSERT_NE(variable, nullptr);
    ASSERT_NE(instanced, nullptr);
    variable->set_variation(instance.user_values.data());
    const auto instanced_tables = load_font(instance.static_font);
    ASSERT_NE(instanced_tables, nullptr);
    const LineMetrics typographic = typographic_metrics(*instanced_tables);
    EXPECT_EQ(variable->ascent(), typographic.ascent);
    EXPECT_EQ(variable->descent(), typographic.descent);
    EXPECT_EQ(variable->line_gap(), typographic.line_gap);
    for (const int pixel_size : kPixelSizes) {
      const double scale = pixel_size / variable->units_per_em();
      for (const unsigned codepoint : code_points()) {
        if (!instanced->has_glyph(codepoint))
          continue;
        const std::string where =
            "U+" + std::to_string(codepoint) + " at " + std::to_string(pixel_size) + " px";
        const GlyphBitmap ours = variable->rasterize(codepoint, scale);
        const GlyphBitmap theirs = instanced->rasterize(codepoint, scale);
        EXPECT_LE(std::fabs(ours.advance - theirs.advance), 1.0 / 64)
            << where << ": ours " << ours.advance << ", the instancer's " << theirs.advance;
        const ftpeer::Coverage mine = ftpeer::coverage_of(ours);
        const ftpeer::Coverage reference = ftpeer::coverage_of(theirs);
        EXPECT_TRUE(ftpeer::within_pixels(mine.ink(), reference.ink(), 1))
            << where << ": ours " << ftpeer::describe(mine.ink()) << ", the instancer's "
            << ftpeer::describe(reference.ink());
        if (instance.at_default())
          EXPECT_TRUE(mine.left == reference.left && mine.top == reference.top &&
                      mine.width == reference.width && mine.pixels == reference.pixels)
              << where;
      }
    }
  }
}

} // namespace
