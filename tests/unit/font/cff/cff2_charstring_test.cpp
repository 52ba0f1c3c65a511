// CFF2 charstrings drawn at instances of a one-axis font: blend in the glyph and in its
// subroutines, vsindex in the charstring and in the Private DICT, the default instance
// drawing as the same outline does in CFF, the deltas counted as work, and the code that
// CFF2 makes malformed.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "cff2_test_font.h"
#include "font/cff/charstring.h"
#include "font/cff/type2_operators.h"
#include "support/cff_builder.h"

using testfont::Bytes;
using testfont::Type2Code;

namespace {

using namespace type2_op;

struct Drawn {
  bool ok = false;
  std::vector<double> edges; // x0 y0 x1 y1 of each edge
  double right = 0.0;        // the largest x any edge reaches
  CharstringWork work;
};

Drawn draw(const CffFont& font, uint32_t glyph) {
  Drawn d;
  OutlineBuilder outline;
  d.ok = draw_cff_glyph(font, glyph, 1.0, outline, d.work);
  for (unsigned long i = 0; i < outline.segments.size; ++i) {
    const LineSegment& s = outline.segments.data[i];
    d.edges.insert(d.edges.end(), {s.p0.x, s.p0.y, s.p1.x, s.p1.y});
    d.right = std::max({d.right, s.p0.x, s.p1.x});
  }
  return d;
}

// A 100-unit square whose width grows by `deltas` (one per region of the data set in use).
Type2Code blended_square(const std::vector<int>& deltas) {
  Type2Code code;
  code.n(0).n(0).op(kRmoveto).n(100);
  for (int d : deltas)
    code.n(d);
  code.n(1).op(kBlend).n(0).op(kRlineto).n(0).n(100).op(kRlineto).n(-100);
  for (int d : deltas)
    code.n(-d);
  return code.n(1).op(kBlend).n(0).op(kRlineto);
}

struct BlendCase {
  const char* name;
  Bytes code;
  std::vector<Bytes> local_subrs;
  std::vector<Bytes> global_subrs;
  Bytes private_operators;
  double weight;
  double width;
};

class BlendsAtTheInstance : public testing::TestWithParam<BlendCase> {};

TEST_P(BlendsAtTheInstance, SquareWidth) {
  const BlendCase& c = GetParam();
  testfont::Cff2Params params = cff2_test::params_with({Bytes{}, c.code});
  params.global_subrs = c.global_subrs;
  params.font_dicts[0].local_subrs = c.local_subrs;
  params.font_dicts[0].private_operators = c.private_operators;
  const auto font = cff2_test::load(params, c.weight);
  ASSERT_NE(font, nullptr);
  const Drawn d = draw(*font, 1);
  EXPECT_TRUE(d.ok);
  EXPECT_EQ(d.edges.size(), 16u); // a closed square: the glyph ends where its data does
  EXPECT_DOUBLE_EQ(d.right, c.width);
}

const Bytes kVsindex1 = Type2Code().n(1).op(kVsindex);
const Bytes kPrivateVsindex1 = [] {
  Bytes dict = testfont::dict_int(1);
  dict.push_back(22); // vsindex
  return dict;
}();

INSTANTIATE_TEST_SUITE_P(
    Cff2, BlendsAtTheInstance,
    testing::Values(
        BlendCase{"DefaultInstance", blended_square({50}), {}, {}, {}, 400, 100},
        BlendCase{"AtThePeak", blended_square({50}), {}, {}, {}, 900, 150},
        BlendCase{"HalfwayToThePeak", blended_square({50}), {}, {}, {}, 650, 125},
        BlendCase{"OutsideTheRegion", blended_square({50}), {}, {}, {}, 100, 100},
        BlendCase{"VsindexAtMinimum",
                  Type2Code().raw(kVsindex1).raw(blended_square({50, 30})),
                  {},
                  {},
                  {},
                  100,
                  130},
        BlendCase{"VsindexHalfwayToMinimum",
                  Type2Code().raw(kVsindex1).raw(blended_square({50, 30})),
                  {},
                  {},
                  {},
                  250,
                  115},
        BlendCase{"VsindexAtMaximum",
                  Type2Code().raw(kVsindex1).raw(blended_square({50, 30})),
                  {},
                  {},
                  {},
                  900,
                  150},
        BlendCase{
            "PrivateDictVsindex", blended_square({50, 30}), {}, {}, kPrivateVsindex1, 100, 130},
        BlendCase{"InLocalSubroutine",
                  Type2Code().n(-107).op(kCallsubr),
                  {blended_square({50})},
                  {},
                  {},
                  900,
                  150},
        BlendCase{"InGlobalSubroutine",
                  Type2Code().n(-107).op(kCallgsubr),
                  {},
                  {blended_square({50})},
                  {},
                  650,
                  125},
        BlendCase{"TwoValuesInOneBlend",
                  Type2Code()
                      .n(0)
                      .n(0)
                      .n(20)
                      .n(0)
                      .n(2)
                      .op(kBlend)
                      .op(kRmoveto)
                      .n(100)
                      .n(0)
                      .op(kRlineto)
                      .n(0)
                      .n(100)
                      .op(kRlineto)
                      .n(-100)
                      .n(0)
                      .op(kRlineto),
                  {},
                  {},
                  {},
                  900,
                  120}),
    [](const auto& case_info) { return case_info.param.name; });

// With every weight 0 the blended values are their defaults: the same outline a CFF
// font draws from the same code without blends.
TEST(Cff2Charstrings, DefaultInstanceDrawsAsCff) {
  const Bytes curves = Type2Code()
                           .n(10)
                           .n(20)
                           .op(kRmoveto)
                           .n(30)
                           .n(5)
                           .n(1)
                           .op(kBlend)
                           .n(40)
                           .n(20)
                           .n(30)
                           .n(10)
                           .n(40)
                           .op(kRrcurveto)
                           .n(5)
                           .n(-60)
                           .op(kRlineto)
                           .n(10)
                           .n(20)
                           .n(30)
                           .n(40)
                           .n(50)
                           .op(kHvcurveto);
  const Bytes cff_curves = Type2Code()
                               .n(10)
                               .n(20)
                               .op(kRmoveto)
                               .n(30)
                               .n(40)
                               .n(20)
                               .n(30)
                               .n(10)
                               .n(40)
                               .op(kRrcurveto)
                               .n(5)
                               .n(-60)
                               .op(kRlineto)
                               .n(10)
                               .n(20)
                               .n(30)
                               .n(40)
                               .n(50)
                               .op(kHvcurveto)
                               .op(kEndchar);
  const auto cff2 = cff2_test::load(cff2_test::params_with({Bytes{}, curves}));
  testfont::CffParams cff;
  cff.charstrings = {Type2Code().op(kEndchar), cff_curves};
  testfont::FontParams sfnt;
  sfnt.glyphs.resize(2);
  const auto cff1 = cff2_test::load_bytes(testfont::build_cff_font(sfnt, cff));
  ASSERT_NE(cff2, nullptr);
  ASSERT_NE(cff1, nullptr);
  const Drawn a = draw(*cff2, 1);
  const Drawn b = draw(*cff1, 1);
  EXPECT_TRUE(a.ok);
  EXPECT_TRUE(b.ok);
  EXPECT_FALSE(a.edges.empty());
  EXPECT_EQ(a.edges, b.edges);
}

// Each blend applies n values times the data set's region count of deltas, at the
// default instance too (the work is the code's, whatever the weights).
TEST(Cff2Charstrings, CountsEveryDeltaAsWork) {
  const Bytes code = Type2Code().raw(kVsindex1).raw(blended_square({50, 30}));
  for (double weight : {400.0, 900.0}) {
    const auto font = cff2_test::load(cff2_test::params_with({Bytes{}, code}), weight);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(draw(*font, 1).work.variation_deltas, 4u) << weight;
  }
}

Type2Code numbers(int count) {
  Type2Code code;
  for (int i = 0; i < count; ++i)
    code.n(1);
  return code;
}

// The stack holds 513 operands, which a blend may fill.
TEST(Cff2Charstrings, StackHolds513Operands) {
  const Bytes full = Type2Code().raw(numbers(513)).op(kRlineto);
  // 170 values, each with its two deltas, and the count: 511 operands.
  const Bytes blend = Type2Code().raw(kVsindex1).raw(numbers(510)).n(170).op(kBlend).op(kRlineto);
  for (const Bytes& code : {full, blend}) {
    const auto font = cff2_test::load(cff2_test::params_with({Bytes{}, code}), 900);
    ASSERT_NE(font, nullptr);
    EXPECT_TRUE(draw(*font, 1).ok);
  }
}

struct MalformedCase {
  const char* name;
  Bytes code;
};

class RefusesMalformedCode : public testing::TestWithParam<MalformedCase> {};

TEST_P(RefusesMalformedCode, GlyphFails) {
  const auto font = cff2_test::load(cff2_test::params_with({Bytes{}, GetParam().code}), 900);
  ASSERT_NE(font, nullptr);
  const Drawn d = draw(*font, 1);
  EXPECT_FALSE(d.ok);
  EXPECT_FALSE(d.work.past_limits());
}

INSTANTIATE_TEST_SUITE_P(
    Cff2, RefusesMalformedCode,
    testing::Values(MalformedCase{"StackOverflow", Type2Code().raw(numbers(514)).op(kRlineto)},
                    // 171 values with two deltas each and their count: 514 operands.
                    MalformedCase{"BlendOperandsOverflowTheStack",
                                  Type2Code().raw(kVsindex1).raw(numbers(513)).n(171).op(kBlend)},
                    MalformedCase{"BlendWithoutCount", Type2Code().op(kBlend)},
                    MalformedCase{"BlendShortOfDeltas", Type2Code().n(10).n(20).n(2).op(kBlend)},
                    MalformedCase{"BlendNegativeCount", Type2Code().n(10).n(-1).op(kBlend)},
                    MalformedCase{"BlendFractionalCount",
                                  Type2Code().n(10).n(5).fixed(1.5).op(kBlend)},
                    MalformedCase{"VsindexAfterBlend",
                                  Type2Code().n(10).n(5).n(1).op(kBlend).n(1).op(kVsindex)},
                    MalformedCase{"VsindexOfMissingDataSet",
                                  Type2Code().n(2).op(kVsindex).n(1).n(1).n(0).n(1).op(kBlend)},
                    MalformedCase{"VsindexWithoutOperand", Type2Code().op(kVsindex)},
                    MalformedCase{"Endchar", Type2Code().n(0).n(0).op(kRmoveto).op(kEndchar)},
                    MalformedCase{"Return", Type2Code().n(0).n(0).op(kRmoveto).op(kReturn)},
                    MalformedCase{"Arithmetic", Type2Code().n(1).n(2).esc(kAdd).op(kHmoveto)},
                    MalformedCase{"Dotsection", Type2Code().esc(kDotsection)}),
    [](const auto& case_info) { return case_info.param.name; });

// Blend needs the store: a font without one draws what does not blend and fails the rest.
TEST(Cff2Charstrings, BlendWithoutStoreFails) {
  testfont::Cff2Params params =
      cff2_test::params_with({Bytes{}, blended_square({50}), Type2Code().n(0).n(0).op(kRmoveto)});
  params.variation_store.clear();
  const auto font = cff2_test::load(params, 900);
  ASSERT_NE(font, nullptr);
  EXPECT_FALSE(draw(*font, 1).ok);
  EXPECT_TRUE(draw(*font, 2).ok);
}

} // namespace
