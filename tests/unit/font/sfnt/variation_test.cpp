// Variable TrueType fonts built for the tests: the instance a settings string picks, the
// outline and advance gvar, HVAR and MVAR give it, avar's axis maps, the named instances,
// and what dv_ttf_font_set_variation refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "font/entry_points.h"
#include "font/font_handle.h"
#include "font/sfnt/font_variations.h"
#include "font/text/image.h"
#include "font/variation_entry_points.h"
#include "support/sfnt_builder.h"
#include "support/variation_builder.h"

using testfont::Bytes;
using testfont::Tuple;

namespace {

testfont::Component component_of_glyph_one(uint16_t flags = 0x0002) {
  testfont::Component component;
  component.glyph = 1;
  component.flags = flags;
  return component;
}

// wght 100-400-900 and wdth 50-100-100; 1000 units per em, drawn at 100 px (0.1 px a unit).
const std::vector<testfont::Axis> kAxes = {{"wght", 100, 400, 900}, {"wdth", 50, 100, 100}};

// Glyph 1 ('A') is the box 100..500 x 0..700, advance 600. Its tuples:
//   - at wght 1 (every point): the right side and the advance +200;
//   - at wdth -1 (points 0 and 2 listed, the others inferred): point 2 -100, so the right
//     side moves -100 and the left stays;
//   - at wght 0.5 between 0 and 1 (an intermediate region): the top +100.
// Glyph 2 (' ') has no outline; its advance grows by 100 at wght 1 through its phantom
// points. Glyph 3 ('B') is glyph 1 as a component, moved +100 at wght 1; glyph 4 ('C') is glyph 1
// as a component lending its metrics (USE_MY_METRICS), with an advance of 500 of its own.
Bytes variable_font(std::vector<testfont::TableEntry> more = {}, bool with_gvar = true) {
  testfont::FontParams params;
  params.glyphs = {{testfont::simple_glyph({testfont::box(50, 0, 450, 700)}), 500, 50},
                   {testfont::simple_glyph({testfont::box(100, 0, 500, 700)}), 600, 100},
                   {{}, 300, 0},
                   {testfont::composite_glyph({component_of_glyph_one()}), 600, 100},
                   {testfont::composite_glyph({component_of_glyph_one(0x0202)}), 500, 100}};
  params.cmaps = {{3, 1, testfont::cmap_format4_for({{'A', 1}, {'B', 3}, {'C', 4}, {' ', 2}})}};
  const Tuple wider{{1, 0}, {}, {}, {}, {0, 0, 200, 200, 0, 200, 0, 0}, std::vector<int16_t>(8)};
  const Tuple narrower{{0, -1}, {}, {}, {0, 2}, {0, -100}, {0, 0}};
  const Tuple taller{
      {0.5, 0}, {0, 0}, {1, 0}, {}, std::vector<int16_t>(8), {0, 100, 100, 0, 0, 0, 0, 0}};
  const Tuple moved{{1, 0}, {}, {}, {}, {100, 0, 0, 0, 0}, std::vector<int16_t>(5)};
  const Tuple wider_space{{1, 0}, {}, {}, {}, {0, 100, 0, 0}, std::vector<int16_t>(4)};
  params.extra_tables = {
      {"fvar", testfont::fvar_table(kAxes, {{258, {700, 100}}, {259, {100, 50}}})}};
  if (with_gvar)
    params.extra_tables.push_back(
        {"gvar", testfont::gvar_table(
                     2, 5, {{1, {wider, narrower, taller}}, {2, {wider_space}}, {3, {moved}}})});
  for (auto& entry : more)
    params.extra_tables.push_back(std::move(entry));
  return testfont::build_font(params);
}

FontHandle* load(const Bytes& bytes) {
  return static_cast<FontHandle*>(dv::dv_ttf_font_load_memory(bytes.data(), bytes.size(), 100.0f));
}

struct Ink {
  int left, width, top;
  double advance;
  bool operator==(const Ink& o) const {
    return left == o.left && width == o.width && top == o.top && advance == o.advance;
  }
};

std::ostream& operator<<(std::ostream& out, const Ink& ink) {
  return out << "left " << ink.left << " width " << ink.width << " top " << ink.top << " advance "
             << ink.advance;
}

// The columns and rows with coverage: the first column right of the origin, their count,
// and the top row's distance above the baseline.
Ink ink_of(FontHandle* font, unsigned codepoint) {
  const GlyphBitmap glyph = font->backend->rasterize(codepoint, 0.1);
  int first_column = glyph.width, last_column = -1, first_row = glyph.height;
  for (int y = 0; y < glyph.height; ++y) {
    for (int x = 0; x < glyph.width; ++x) {
      if (glyph.pixels.data[y * glyph.width + x] == 0)
        continue;
      first_column = std::min(first_column, x);
      last_column = std::max(last_column, x);
      first_row = std::min(first_row, y);
    }
  }
  return Ink{glyph.left + first_column, last_column - first_column + 1, glyph.top - first_row,
             glyph.advance};
}

struct InstanceCase {
  const char* settings;
  Ink a;
  Ink b;
};

class VariableInstance : public testing::TestWithParam<InstanceCase> {};

TEST_P(VariableInstance, OutlineAndAdvanceFollowTheTuples) {
  FontHandle* font = load(variable_font());
  ASSERT_NE(font, nullptr);
  ASSERT_EQ(dv::dv_ttf_font_set_variation(font, GetParam().settings), 1);
  EXPECT_EQ(ink_of(font, 'A'), GetParam().a);
  EXPECT_EQ(ink_of(font, 'B'), GetParam().b);
  dv::dv_ttf_font_free(font);
}

INSTANTIATE_TEST_SUITE_P(
    All, VariableInstance,
    testing::Values(InstanceCase{"", {10, 40, 70, 60}, {10, 40, 70, 60}},
                    InstanceCase{"wght=400,wdth=100", {10, 40, 70, 60}, {10, 40, 70, 60}},
                    // Peak reached; the intermediate region ends there and gives nothing.
                    InstanceCase{"wght=900", {10, 60, 70, 80}, {20, 60, 70, 60}},
                    InstanceCase{"wght=5000", {10, 60, 70, 80}, {20, 60, 70, 60}},
                    // Halfway: half the peak tuple, the whole intermediate one.
                    InstanceCase{"wght=650", {10, 50, 80, 70}, {15, 50, 80, 60}},
                    InstanceCase{" wght = 525 ", {10, 45, 75, 65}, {12, 46, 75, 60}},
                    InstanceCase{"wdth=50", {10, 30, 70, 60}, {10, 30, 70, 60}},
                    InstanceCase{"wdth=75,wght=900", {10, 55, 70, 80}, {20, 55, 70, 60}},
                    InstanceCase{"wght=900,wght=400", {10, 40, 70, 60}, {10, 40, 70, 60}},
                    InstanceCase{"wght=-50", {10, 40, 70, 60}, {10, 40, 70, 60}}),
    [](const auto& test) { return "Case" + std::to_string(test.index); });

// A glyph without an outline keeps its phantom points, and gvar moves them.
TEST(VariableFont, GlyphWithoutOutlineTakesItsPhantomAdvance) {
  FontHandle* font = load(variable_font());
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(ink_of(font, ' ').advance, 30);
  ASSERT_EQ(dv::dv_ttf_font_set_variation(font, "wght=900"), 1);
  EXPECT_EQ(ink_of(font, ' ').advance, 40);
  ASSERT_EQ(dv::dv_ttf_font_set_variation(font, "wght=650"), 1);
  EXPECT_EQ(ink_of(font, ' ').advance, 35);
  dv::dv_ttf_font_free(font);
}

TEST(VariableFont, HvarGivesTheAdvanceInsteadOfThePhantomPoints) {
  FontHandle* font =
      load(variable_font({{"HVAR", testfont::hvar_table({{1, 0}}, {{0}, {30}, {0}, {-10}, {0}})}}));
  ASSERT_NE(font, nullptr);
  ASSERT_EQ(dv::dv_ttf_font_set_variation(font, "wght=900"), 1);
  EXPECT_EQ(ink_of(font, 'A'), (Ink{10, 60, 70, 63}));
  EXPECT_EQ(ink_of(font, 'B'), (Ink{20, 60, 70, 59}));
  EXPECT_EQ(ink_of(font, ' ').advance, 30);
  dv::dv_ttf_font_free(font);
}

// Away from the default instance a component lending its metrics gives its varied
// advance (as FreeType draws it); at the default the composite's own hmtx entry stands, as
// it did before variations were read.
TEST(VariableFont, ComponentLendingItsMetricsGivesTheVariedAdvance) {
  FontHandle* font = load(variable_font());
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(ink_of(font, 'C'), (Ink{10, 40, 70, 50}));
  ASSERT_EQ(dv::dv_ttf_font_set_variation(font, "wght=900"), 1);
  EXPECT_EQ(ink_of(font, 'C'), (Ink{10, 60, 70, 80}));
  dv::dv_ttf_font_free(font);
  font =
      load(variable_font({{"HVAR", testfont::hvar_table({{1, 0}}, {{0}, {30}, {0}, {-10}, {7}})}}));
  ASSERT_EQ(dv::dv_ttf_font_set_variation(font, "wght=900"), 1);
  EXPECT_EQ(ink_of(font, 'C'), (Ink{10, 60, 70, 63}));
  dv::dv_ttf_font_free(font);
}

TEST(VariableFont, MvarMovesTheLineMetrics) {
  FontHandle* font = load(variable_font(
      {{"MVAR",
        testfont::mvar_table({{1, 0}}, {{"hasc", {100}}, {"hdsc", {-50}}, {"hlgp", {-90}}})}}));
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->backend->ascent(), 800);
  EXPECT_EQ(font->backend->descent(), 200);
  EXPECT_EQ(font->backend->line_gap(), 90);
  ASSERT_EQ(dv::dv_ttf_font_set_variation(font, "wght=650"), 1);
  EXPECT_EQ(font->backend->ascent(), 850);
  EXPECT_EQ(font->backend->descent(), 225);
  EXPECT_EQ(font->backend->line_gap(), 45);
  dv::dv_ttf_font_free(font);
}

// avar moves normalized wght 0.5 to 0.25, so wght 650 draws as 525 does without it.
TEST(VariableFont, AvarMapsTheNormalizedCoordinate) {
  FontHandle* font = load(variable_font(
      {{"avar", testfont::avar_table({{{-1, -1}, {0, 0}, {0.5, 0.25}, {1, 1}}, {}})}}));
  ASSERT_NE(font, nullptr);
  const FontVariations& variations = *font->backend->variations();
  struct Case {
    double value, normalized;
  };
  for (const Case& c : {Case{100, -1}, Case{250, -0.5}, Case{400, 0}, Case{650, 0.25},
                        Case{775, 0.625}, Case{900, 1}, Case{1e9, 1}})
    EXPECT_EQ(normalize_coordinate(variations, 0, c.value), c.normalized) << c.value;
  EXPECT_EQ(normalize_coordinate(variations, 1, 75), -0.5);
  ASSERT_EQ(dv::dv_ttf_font_set_variation(font, "wght=650"), 1);
  EXPECT_EQ(ink_of(font, 'A'), (Ink{10, 45, 75, 65}));
  dv::dv_ttf_font_free(font);
}

// Each axis reads its own map: the second axis's pairs follow the first axis's.
TEST(VariableFont, AvarMapsEachAxisByItsOwnMap) {
  FontHandle* font = load(variable_font({{"avar", testfont::avar_table({
                                                      {{-1, -1}, {0, 0}, {0.5, 0.25}, {1, 1}},
                                                      {{-1, -1}, {-0.5, -0.75}, {0, 0}, {1, 1}},
                                                  })}}));
  ASSERT_NE(font, nullptr);
  const FontVariations& variations = *font->backend->variations();
  EXPECT_EQ(normalize_coordinate(variations, 0, 650), 0.25);
  EXPECT_EQ(normalize_coordinate(variations, 1, 75), -0.75);
  EXPECT_EQ(normalize_coordinate(variations, 1, 62.5), -0.875);
  EXPECT_EQ(normalize_coordinate(variations, 1, 100), 0);
  dv::dv_ttf_font_free(font);
}

// wght 600 normalizes to 0.4, just short of the map point 0.4000244 (0.4 in F2Dot14): it
// maps to just short of 0.5999756, not onto it.
TEST(VariableFont, AvarMapsTheValueBeforeItIsRounded) {
  FontHandle* font = load(variable_font(
      {{"avar", testfont::avar_table({{{-1, -1}, {0, 0}, {0.4, 0.6}, {1, 1}}, {}})}}));
  ASSERT_NE(font, nullptr);
  const FontVariations& variations = *font->backend->variations();
  EXPECT_EQ(normalize_coordinate(variations, 0, 600), 9829 / 16384.0);
  EXPECT_EQ(normalize_coordinate(variations, 0, 600.01), 9830 / 16384.0);
  dv::dv_ttf_font_free(font);
}

TEST(VariableFont, AxesAndNamedInstancesAreListed) {
  FontHandle* font = load(variable_font());
  ASSERT_NE(font, nullptr);
  unsigned tag = 0;
  double minimum = 0, default_value = 0, maximum = 0;
  EXPECT_EQ(dv::dv_ttf_font_variation_axis(font, 1, &tag, &minimum, &default_value, &maximum), 2);
  EXPECT_EQ(tag, 0x77647468u); // "wdth"
  EXPECT_EQ(minimum, 50);
  EXPECT_EQ(default_value, 100);
  EXPECT_EQ(maximum, 100);
  EXPECT_EQ(dv::dv_ttf_font_variation_axis(font, 2, &tag, nullptr, nullptr, nullptr), 2);
  unsigned name = 0;
  double values[3] = {0, 0, -1};
  EXPECT_EQ(dv::dv_ttf_font_named_instance(font, 1, &name, values, 3), 2);
  EXPECT_EQ(name, 259u);
  EXPECT_EQ(values[0], 100);
  EXPECT_EQ(values[1], 50);
  EXPECT_EQ(values[2], -1); // past the axes: untouched
  EXPECT_EQ(dv::dv_ttf_font_named_instance(font, -1, nullptr, nullptr, 0), 2);
  dv::dv_ttf_font_free(font);
}

// A refused string changes nothing: the instance drawn and the glyphs cached stay.
TEST(VariableFont, RefusedSettingsLeaveTheHandleAsItWas) {
  FontHandle* font = load(variable_font());
  ASSERT_NE(font, nullptr);
  ASSERT_EQ(dv::dv_ttf_font_set_variation(font, "wght=900"), 1);
  const Ink before = ink_of(font, 'A');
  TextImage* image = dv::dv_ttf_font_render(font, "A", 0, 0, 0, 255);
  ASSERT_NE(image, nullptr);
  delete[] image->pixels;
  delete image;
  const unsigned long cached = font->bitmap_cache.count();
  for (const char* settings :
       {"wght", "wght=", "wght=7x", "=5", "wght=1,", "wght=1;wdth=2", "wghtt=1", "opsz=12",
        "wght==1", "wght=.", "wght=1e3", "wght=1.2.3", ",", "wght=1234567890123456"}) {
    EXPECT_EQ(dv::dv_ttf_font_set_variation(font, settings), 0) << settings;
    EXPECT_EQ(font->bitmap_cache.count(), cached) << settings;
    EXPECT_EQ(ink_of(font, 'A'), before) << settings;
  }
  EXPECT_EQ(dv::dv_ttf_font_set_variation(nullptr, "wght=1"), 0);
  dv::dv_ttf_font_free(font);
}

TEST(VariableFont, FontsWithoutVariationsRefuseEveryString) {
  for (const Bytes& bytes : {testfont::build_font({}), variable_font({}, false)}) {
    FontHandle* font = load(bytes);
    ASSERT_NE(font, nullptr);
    const bool variable = font->backend->variations() != nullptr;
    for (const char* settings : {"", "wght=700"})
      EXPECT_EQ(dv::dv_ttf_font_set_variation(font, settings), variable ? 1 : 0);
    EXPECT_EQ(dv::dv_ttf_font_set_variation(font, nullptr), variable ? 1 : 0);
    EXPECT_EQ(dv::dv_ttf_font_variation_axis(font, 0, nullptr, nullptr, nullptr, nullptr),
              variable ? 2 : 0);
    dv::dv_ttf_font_free(font);
  }
}

std::vector<uint8_t> render(FontHandle* font, const char* text) {
  TextImage* image = dv::dv_ttf_font_render(font, text, 0, 0, 0, 255);
  EXPECT_NE(image, nullptr);
  std::vector<uint8_t> pixels(image->pixels, image->pixels + 4 * image->width * image->height);
  pixels.push_back(static_cast<uint8_t>(image->width));
  delete[] image->pixels;
  delete image;
  return pixels;
}

// A new instance drops the cached glyphs; returning to the default draws what was drawn
// before any instance was set, byte for byte.
TEST(VariableFont, ChangingTheInstanceRedrawsAndTheDefaultIsUnchanged) {
  FontHandle* font = load(variable_font());
  ASSERT_NE(font, nullptr);
  const auto first = render(font, "AB A");
  ASSERT_EQ(dv::dv_ttf_font_set_variation(font, "wght=900,wdth=60"), 1);
  EXPECT_EQ(font->bitmap_cache.count(), 0u);
  EXPECT_NE(render(font, "AB A"), first);
  ASSERT_EQ(dv::dv_ttf_font_set_variation(font, nullptr), 1);
  EXPECT_EQ(render(font, "AB A"), first);
  dv::dv_ttf_font_free(font);
}

} // namespace
