// Loading CFF2 tables: the Font DICT each glyph gets through FDSelect (formats 0, 3 and 4,
// or none), Private DICTs that blend, the store and what refuses it, and advances that
// HVAR moves at an instance.
#include <gtest/gtest.h>

#include <vector>

#include "cff2_test_font.h"
#include "font/cff/charstring.h"
#include "font/cff/glyph_bitmap.h"
#include "font/cff/type2_operators.h"
#include "support/cff_builder.h"

using testfont::Bytes;
using testfont::Type2Code;

namespace {

using namespace type2_op;

Bytes square(int size) {
  return Type2Code()
      .n(0)
      .n(0)
      .op(kRmoveto)
      .n(size)
      .n(0)
      .op(kRlineto)
      .n(0)
      .n(size)
      .op(kRlineto)
      .n(-size)
      .n(0)
      .op(kRlineto);
}

// The largest x the glyph's outline reaches, or -1 when it does not draw.
double right_edge(const CffFont& font, uint32_t glyph) {
  OutlineBuilder outline;
  CharstringWork work;
  if (!draw_cff_glyph(font, glyph, 1.0, outline, work))
    return -1;
  double right = 0;
  for (unsigned long i = 0; i < outline.segments.size; ++i)
    right = std::max(right, outline.segments.data[i].p1.x);
  return right;
}

Bytes dict_operator(std::vector<int32_t> operands, std::vector<uint8_t> op) {
  Bytes out;
  for (int32_t v : operands) {
    const Bytes number = testfont::dict_int(v);
    out.insert(out.end(), number.begin(), number.end());
  }
  out.insert(out.end(), op.begin(), op.end());
  return out;
}

Bytes join(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Two Font DICTs whose local subroutine 0 draws squares of 10 and 20: glyphs 1 and 3 use
// the first, glyph 2 the second.
testfont::Cff2Params two_font_dicts(int fd_select_format) {
  const Bytes call_local = Type2Code().n(-107).op(kCallsubr);
  testfont::Cff2Params params =
      cff2_test::params_with({Bytes{}, call_local, call_local, call_local});
  params.font_dicts = {{{square(10)}, {}}, {{square(20)}, {}}};
  params.fd_select = {0, 0, 1, 0};
  params.fd_select_format = fd_select_format;
  return params;
}

class FdSelectFormat : public testing::TestWithParam<int> {};

TEST_P(FdSelectFormat, PicksEachGlyphsFontDict) {
  const auto font = cff2_test::load(two_font_dicts(GetParam()));
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(right_edge(*font, 1), 10);
  EXPECT_EQ(right_edge(*font, 2), 20);
  EXPECT_EQ(right_edge(*font, 3), 10);
}

INSTANTIATE_TEST_SUITE_P(Cff2, FdSelectFormat, testing::Values(0, 3, 4));

TEST(Cff2Load, WithoutFdSelectEveryGlyphUsesTheFirstFontDict) {
  testfont::Cff2Params params = two_font_dicts(3);
  params.fd_select.clear();
  const auto font = cff2_test::load(params);
  ASSERT_NE(font, nullptr);
  EXPECT_TRUE(font->cff2);
  EXPECT_EQ(right_edge(*font, 2), 10);
}

TEST(Cff2Load, FdSelectNamingAMissingFontDictFailsItsGlyph) {
  testfont::Cff2Params params = two_font_dicts(4);
  params.fd_select = {0, 0, 7, 0};
  const auto font = cff2_test::load(params);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(right_edge(*font, 1), 10);
  EXPECT_EQ(right_edge(*font, 2), -1);
}

// Private DICT operators before its Subrs; a blend there leaves its default values.
struct PrivateCase {
  const char* name;
  Bytes operators;
  bool loads;
};

class PrivateDict : public testing::TestWithParam<PrivateCase> {};

TEST_P(PrivateDict, Loads) {
  testfont::Cff2Params params =
      cff2_test::params_with({Bytes{}, Type2Code().n(-107).op(kCallsubr)});
  params.font_dicts[0] = {{square(30)}, GetParam().operators};
  const auto font = cff2_test::load(params, 900);
  ASSERT_EQ(font != nullptr, GetParam().loads);
  if (font != nullptr)
    EXPECT_EQ(right_edge(*font, 1), 30);
}

INSTANTIATE_TEST_SUITE_P(
    Cff2, PrivateDict,
    testing::Values(
        // BlueValues -10 0 500 510, each with one delta.
        PrivateCase{"BlendedBlueValues",
                    dict_operator({-10, 0, 500, 510, 5, 5, 20, 20, 4}, {23, 6}), true},
        // The same through data set 1 (two deltas per value).
        PrivateCase{"BlendAfterVsindex",
                    join(dict_operator({1}, {22}), dict_operator({-10, 0, 5, 5, 7, 7, 2}, {23, 6})),
                    true},
        PrivateCase{"BlendShortOfDeltas", dict_operator({-10, 0, 5, 2}, {23, 6}), false},
        PrivateCase{"BlendOfMissingDataSet",
                    join(dict_operator({4}, {22}), dict_operator({-10, 5, 1}, {23, 6})), false},
        PrivateCase{"BlendWithoutCount", dict_operator({}, {23}), false}),
    [](const auto& case_info) { return case_info.param.name; });

TEST(Cff2Load, RefusesStoresThatDoNotFit) {
  testfont::Cff2Params params = cff2_test::params_with({Bytes{}, square(10)});
  EXPECT_NE(cff2_test::load(params), nullptr);

  testfont::Cff2Params two_axes = params; // regions of two axes in a one-axis font
  two_axes.variation_store = testfont::cff2_variation_store({{1.0, 0.0}}, {{0}});
  EXPECT_EQ(cff2_test::load(two_axes), nullptr);

  testfont::Cff2Params truncated = params; // the length cuts the region list
  truncated.variation_store_length = 12;
  EXPECT_EQ(cff2_test::load(truncated), nullptr);

  testfont::Cff2Params past_table = params; // the length runs past the table
  past_table.variation_store_length = 60000;
  EXPECT_NE(cff2_test::load(past_table), nullptr);
}

// A data set the store's length leaves out is only missed by the glyphs that blend with it.
TEST(Cff2Load, DataSetOutsideTheStoreFailsTheGlyphsThatBlend) {
  const Bytes blend = Type2Code().n(0).n(0).n(5).n(1).op(kBlend).op(kRmoveto);
  testfont::Cff2Params params = cff2_test::params_with({Bytes{}, blend, square(10)});
  // Header (8 + 2 * 4) and regions (4 + 2 * 6): data set 0 starts at 32, its header 6 long.
  params.variation_store_length = 34;
  const auto font = cff2_test::load(params, 900);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(right_edge(*font, 1), -1);
  EXPECT_EQ(right_edge(*font, 2), 10);
}

TEST(Cff2Load, TruncatedTablesAreRefused) {
  const Bytes table = testfont::cff2_table(cff2_test::params_with({Bytes{}, square(10)}));
  for (size_t length : {size_t{0}, size_t{4}, size_t{20}, table.size() / 2, table.size() - 1}) {
    testfont::Bytes cut(table.begin(), table.begin() + static_cast<long>(length));
    testfont::FontParams sfnt = cff2_test::weight_axis_sfnt(2, {{"CFF2", cut}});
    sfnt.omit_tables = {"glyf", "loca"};
    const Bytes font = testfont::sfnt_file(testfont::font_tables(sfnt), 0x4F54544F);
    EXPECT_EQ(cff2_test::load_bytes(font), nullptr) << length;
  }
}

// Advances are hmtx's (500), moved by HVAR away from the default instance.
TEST(Cff2Load, AdvancesVaryThroughHvar) {
  const testfont::Cff2Params params = cff2_test::params_with({Bytes{}, square(10)});
  const testfont::TableEntry hvar{"HVAR", testfont::hvar_table({{1.0}}, {{0}, {100}})};
  for (const auto& [weight, advance] : {std::pair{400.0, 500.0}, {900.0, 600.0}, {650.0, 550.0}}) {
    const auto font = cff2_test::load(params, weight, {hvar});
    ASSERT_NE(font, nullptr);
    CffGlyphScratch scratch;
    GlyphBudget budget = GlyphBudget::unlimited();
    EXPECT_DOUBLE_EQ(measure_cff_glyph(*font, 1, 1.0, scratch, budget).advance, advance) << weight;
  }
}

// The budget pays for the deltas: a glyph that blends costs more than one that does not
// by its steps, two units a delta and one a region weighed.
TEST(Cff2Load, BudgetPaysForBlends) {
  const Bytes plain = Type2Code().n(0).n(0).op(kRmoveto).raw(square(10));
  const Bytes blended = Type2Code().n(0).n(0).n(7).n(1).op(kBlend).op(kRmoveto).raw(square(10));
  const auto font = cff2_test::load(cff2_test::params_with({Bytes{}, plain, blended}), 900);
  ASSERT_NE(font, nullptr);
  uint64_t spent[2];
  for (uint32_t glyph : {1u, 2u}) {
    CffGlyphScratch scratch;
    GlyphBudget budget = GlyphBudget::unlimited();
    measure_cff_glyph(*font, glyph, 1.0, scratch, budget);
    spent[glyph - 1] = UINT64_MAX - budget.work;
  }
  // Two more operands and blend: three steps; one delta; one region.
  EXPECT_EQ(spent[1] - spent[0], 3 * kWorkPerInterpreterStep + kWorkPerVariationDelta + 1);
}

} // namespace
