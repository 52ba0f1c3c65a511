// Type 2 charstrings drawn from fonts the test-side CFF builder writes: every path operator,
// the width operand, hints and hint masks, subroutines, arithmetic, the accented-character
// form of endchar, CID-keyed fonts, and the limits that stop hostile code.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "font/cff/charstring.h"
#include "font/cff/font.h"
#include "font/cff/type2_operators.h"
#include "support/cff_builder.h"

using testfont::Bytes;
using testfont::Type2Code;

namespace {

using namespace type2_op;

struct Edge {
  double x0, y0, x1, y1;
  bool operator==(const Edge&) const = default;
};

void PrintTo(const Edge& e, std::ostream* os) {
  *os << "(" << e.x0 << "," << e.y0 << ")->(" << e.x1 << "," << e.y1 << ")";
}

std::unique_ptr<CffFont> load(const testfont::CffParams& cff) {
  testfont::FontParams sfnt;
  sfnt.glyphs.resize(cff.charstrings.size());
  auto font = std::make_unique<CffFont>();
  const Bytes bytes = testfont::build_cff_font(sfnt, cff);
  if (!load_cff_font(*font, dv::vector<unsigned char>(bytes.data(), bytes.data() + bytes.size()),
                     0))
    return nullptr;
  return font;
}

struct Drawn {
  bool ok = false;
  std::vector<Edge> edges;
  OutlineBuilder outline;
  CharstringWork work;
};

Drawn draw(const CffFont& font, uint32_t glyph) {
  Drawn d;
  d.ok = draw_cff_glyph(font, glyph, 1.0, d.outline, d.work);
  for (unsigned long i = 0; i < d.outline.segments.size; ++i) {
    const LineSegment& s = d.outline.segments.data[i];
    d.edges.push_back({s.p0.x, s.p0.y, s.p1.x, s.p1.y});
  }
  return d;
}

// Glyph 1 of a font whose only other glyph is an empty .notdef.
Drawn draw_one(const Bytes& code, const std::vector<Bytes>& local_subrs = {},
               const std::vector<Bytes>& global_subrs = {}) {
  testfont::CffParams cff;
  cff.charstrings = {Type2Code().op(kEndchar), code};
  cff.local_subrs = local_subrs;
  cff.global_subrs = global_subrs;
  const auto font = load(cff);
  EXPECT_NE(font, nullptr);
  return font ? draw(*font, 1) : Drawn();
}

// The closed square (0,0)-(10,10) as edges.
const std::vector<Edge> kSquare = {{0, 0, 10, 0}, {10, 0, 10, 10}, {10, 10, 0, 10}, {0, 10, 0, 0}};

struct SquareCase {
  const char* name;
  Bytes code;
};

class DrawsTheSquare : public testing::TestWithParam<SquareCase> {};

TEST_P(DrawsTheSquare, EdgeForEdge) {
  const Drawn d = draw_one(GetParam().code);
  EXPECT_TRUE(d.ok);
  EXPECT_EQ(d.edges, kSquare);
}

Type2Code square_from_origin() {
  return Type2Code().n(10).n(0).op(kRlineto).n(0).n(10).op(kRlineto).n(-10).n(0).op(kRlineto);
}

INSTANTIATE_TEST_SUITE_P(
    Operators, DrawsTheSquare,
    testing::Values(
        SquareCase{"Rlineto",
                   Type2Code().n(0).n(0).op(kRmoveto).raw(square_from_origin()).op(kEndchar)},
        SquareCase{"OneRlinetoWithPairs",
                   Type2Code().n(0).op(kHmoveto).n(10).n(0).n(0).n(10).n(-10).n(0).op(kRlineto).op(
                       kEndchar)},
        SquareCase{"HlinetoAlternates",
                   Type2Code().n(0).op(kVmoveto).n(10).n(10).n(-10).op(kHlineto).op(kEndchar)},
        SquareCase{"VlinetoAlternates", Type2Code()
                                            .n(0)
                                            .n(0)
                                            .op(kRmoveto)
                                            .n(10)
                                            .op(kHlineto)
                                            .n(10)
                                            .n(-10)
                                            .n(-10)
                                            .op(kVlineto)
                                            .op(kEndchar)},
        SquareCase{
            "WidthBeforeRmoveto",
            Type2Code().n(500).n(0).n(0).op(kRmoveto).raw(square_from_origin()).op(kEndchar)},
        SquareCase{"WidthBeforeHmoveto",
                   Type2Code().n(500).n(0).op(kHmoveto).raw(square_from_origin()).op(kEndchar)},
        SquareCase{"WidthBeforeStems", Type2Code()
                                           .n(500)
                                           .n(0)
                                           .n(10)
                                           .op(kHstem)
                                           .n(0)
                                           .n(0)
                                           .op(kRmoveto)
                                           .raw(square_from_origin())
                                           .op(kEndchar)},
        SquareCase{
            "WidthBeforeEndchar",
            Type2Code().n(0).n(0).op(kRmoveto).raw(square_from_origin()).n(500).op(kEndchar)},
        SquareCase{"NoEndchar", Type2Code().n(0).n(0).op(kRmoveto).raw(square_from_origin())},
        SquareCase{"ImplicitStartAtOrigin", square_from_origin().op(kEndchar)},
        // Three stems (two declared, one by the mask's own arguments) take one mask byte;
        // the byte 0x0e would end the glyph if it were read as an operator.
        SquareCase{"HintmaskSkipsItsBytes", Type2Code()
                                                .n(0)
                                                .n(10)
                                                .n(20)
                                                .n(10)
                                                .op(kHstemhm)
                                                .n(0)
                                                .n(5)
                                                .op(kHintmask)
                                                .raw({0x0E})
                                                .n(0)
                                                .n(0)
                                                .op(kRmoveto)
                                                .raw(square_from_origin())
                                                .op(kEndchar)},
        // Nine stems take two mask bytes.
        SquareCase{"HintmaskOfNineStems", Type2Code()
                                              .n(0)
                                              .n(1)
                                              .n(2)
                                              .n(1)
                                              .n(4)
                                              .n(1)
                                              .n(6)
                                              .n(1)
                                              .n(8)
                                              .n(1)
                                              .op(kHstemhm)
                                              .n(0)
                                              .n(1)
                                              .n(2)
                                              .n(1)
                                              .n(4)
                                              .n(1)
                                              .n(6)
                                              .n(1)
                                              .op(kVstem)
                                              .op(kHintmask)
                                              .raw({0xFF, 0x0E})
                                              .n(0)
                                              .n(0)
                                              .op(kRmoveto)
                                              .raw(square_from_origin())
                                              .op(kEndchar)},
        SquareCase{"Fixed", Type2Code()
                                .n(0)
                                .n(0)
                                .op(kRmoveto)
                                .fixed(10.0)
                                .n(0)
                                .op(kRlineto)
                                .n(0)
                                .fixed(10.0)
                                .op(kRlineto)
                                .fixed(-10.0)
                                .n(0)
                                .op(kRlineto)
                                .op(kEndchar)}),
    [](const testing::TestParamInfo<SquareCase>& case_info) { return case_info.param.name; });

struct ArithmeticCase {
  const char* name;
  Bytes expression; // leaves one number on the stack
  double value;
};

class Arithmetic : public testing::TestWithParam<ArithmeticCase> {};

// "0 0 rmoveto <expression> 0 rlineto": the first edge ends at x = the expression's value.
TEST_P(Arithmetic, LeavesItsResult) {
  const Drawn d = draw_one(
      Type2Code().n(0).n(0).op(kRmoveto).raw(GetParam().expression).n(0).op(kRlineto).op(kEndchar));
  ASSERT_TRUE(d.ok);
  ASSERT_FALSE(d.edges.empty());
  EXPECT_EQ(d.edges[0].x1, GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Operators, Arithmetic,
    testing::Values(
        ArithmeticCase{"Add", Type2Code().n(4).n(6).esc(10), 10},
        ArithmeticCase{"Sub", Type2Code().n(4).n(6).esc(11), -2},
        ArithmeticCase{"Mul", Type2Code().n(4).n(6).esc(24), 24},
        ArithmeticCase{"Div", Type2Code().n(3).n(4).esc(12), 0.75},
        ArithmeticCase{"Neg", Type2Code().n(4).esc(14), -4},
        ArithmeticCase{"Abs", Type2Code().n(-4).esc(9), 4},
        ArithmeticCase{"Sqrt", Type2Code().n(81).esc(26), 9},
        ArithmeticCase{"AndOrNot", Type2Code().n(1).n(0).esc(3).n(0).esc(4).esc(5), 1},
        ArithmeticCase{"Eq", Type2Code().n(5).n(5).esc(15), 1},
        ArithmeticCase{"IfElseTakesFirstWhenLessOrEqual", Type2Code().n(7).n(8).n(2).n(2).esc(22),
                       7},
        ArithmeticCase{"IfElseTakesSecond", Type2Code().n(7).n(8).n(3).n(2).esc(22), 8},
        ArithmeticCase{"DropAndExch", Type2Code().n(1).n(2).n(3).esc(18).esc(28).esc(18), 2},
        ArithmeticCase{"Dup", Type2Code().n(6).esc(27).esc(10), 12},
        ArithmeticCase{"Index",
                       Type2Code().n(5).n(6).n(7).n(2).esc(29).n(0).esc(24).esc(10).esc(18).esc(18),
                       5},
        ArithmeticCase{"Roll", Type2Code().n(1).n(2).n(3).n(3).n(1).esc(30).esc(18).esc(18), 3},
        ArithmeticCase{"PutGet", Type2Code().n(42).n(3).esc(20).n(3).esc(21), 42},
        ArithmeticCase{"RandomAtMostOne", Type2Code().n(10).n(20).esc(23).n(1).esc(22), 10},
        ArithmeticCase{"RandomAboveZero", Type2Code().n(10).n(20).esc(23).n(0).esc(22), 20}),
    [](const testing::TestParamInfo<ArithmeticCase>& case_info) { return case_info.param.name; });

// The curve operators against the same curves spelled with rrcurveto.
struct CurveCase {
  const char* name;
  Bytes code;
  Bytes same_as;
};

class Curves : public testing::TestWithParam<CurveCase> {};

TEST_P(Curves, DrawLikeRrcurveto) {
  const Bytes start = Type2Code().n(0).n(0).op(kRmoveto);
  const Drawn d = draw_one(Type2Code().raw(start).raw(GetParam().code).op(kEndchar));
  const Drawn expected = draw_one(Type2Code().raw(start).raw(GetParam().same_as).op(kEndchar));
  ASSERT_TRUE(d.ok);
  ASSERT_TRUE(expected.ok);
  EXPECT_GT(d.edges.size(), 2u);
  EXPECT_EQ(d.edges, expected.edges);
}

Type2Code rr(std::vector<int> values) {
  Type2Code code;
  for (int v : values)
    code.n(v);
  return code.op(kRrcurveto);
}

Type2Code with(std::vector<int> values, uint8_t op, bool escaped = false) {
  Type2Code code;
  for (int v : values)
    code.n(v);
  return escaped ? code.esc(op) : code.op(op);
}

INSTANTIATE_TEST_SUITE_P(
    Operators, Curves,
    testing::Values(
        CurveCase{"Hhcurveto", with({30, 40, 50, 60, 10, 20, 30, 40}, kHhcurveto),
                  rr({30, 0, 40, 50, 60, 0, 10, 0, 20, 30, 40, 0})},
        CurveCase{"HhcurvetoOddFirst", with({5, 30, 40, 50, 60}, kHhcurveto),
                  rr({30, 5, 40, 50, 60, 0})},
        CurveCase{"Vvcurveto", with({7, 30, 40, 50, 60}, kVvcurveto), rr({7, 30, 40, 50, 0, 60})},
        CurveCase{"Hvcurveto", with({30, 40, 50, 60, 70, 80, 90, 100, 11}, kHvcurveto),
                  rr({30, 0, 40, 50, 0, 60, 0, 70, 80, 90, 100, 11})},
        CurveCase{"Vhcurveto", with({30, 40, 50, 60, 70, 80, 90, 100}, kVhcurveto),
                  rr({0, 30, 40, 50, 60, 0, 70, 0, 80, 90, 0, 100})},
        CurveCase{"VhcurvetoLastOffset", with({30, 40, 50, 60, 9}, kVhcurveto),
                  rr({0, 30, 40, 50, 60, 9})},
        CurveCase{"Rcurveline", with({10, 20, 30, 40, 50, 60, 7, 8}, kRcurveline),
                  Type2Code().raw(rr({10, 20, 30, 40, 50, 60})).n(7).n(8).op(kRlineto)},
        CurveCase{"Rlinecurve", with({7, 8, 10, 20, 30, 40, 50, 60}, kRlinecurve),
                  Type2Code().n(7).n(8).op(kRlineto).raw(rr({10, 20, 30, 40, 50, 60}))},
        CurveCase{"Flex",
                  with({10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 50}, kFlex, true),
                  rr({10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120})},
        CurveCase{"Hflex", with({10, 20, 30, 40, 50, 60, 70}, kHflex, true),
                  rr({10, 0, 20, 30, 40, 0, 50, 0, 60, -30, 70, 0})},
        CurveCase{"Hflex1", with({10, 5, 20, 30, 40, 50, 60, 7, 70}, kHflex1, true),
                  rr({10, 5, 20, 30, 40, 0, 50, 0, 60, 7, 70, -42})},
        CurveCase{"Flex1Horizontal", with({10, 1, 20, 2, 30, 3, 40, 4, 50, 5, 60}, kFlex1, true),
                  rr({10, 1, 20, 2, 30, 3, 40, 4, 50, 5, 60, -15})},
        CurveCase{"Flex1Vertical", with({1, 10, 2, 20, 3, 30, 4, 40, 5, 50, 60}, kFlex1, true),
                  rr({1, 10, 2, 20, 3, 30, 4, 40, 5, 50, -15, 60})}),
    [](const testing::TestParamInfo<CurveCase>& case_info) { return case_info.param.name; });

TEST(Type2Subroutines, LocalAndGlobalWithTheirBiases) {
  const Bytes right = Type2Code().n(10).n(0).op(kRlineto).op(kReturn);
  const Bytes up_and_back =
      Type2Code().n(0).n(10).op(kRlineto).n(-10).n(0).op(kRlineto).op(kReturn);
  // 1240 local subroutines: the bias is 1131, so subroutine 1239 is called as 108.
  std::vector<Bytes> locals(1240, Type2Code().op(kReturn));
  locals[1239] = right;
  const Drawn d = draw_one(
      Type2Code().n(0).n(0).op(kRmoveto).n(108).op(kCallsubr).n(-107).op(kCallgsubr).op(kEndchar),
      locals, {up_and_back});
  EXPECT_TRUE(d.ok);
  EXPECT_EQ(d.edges, kSquare);
}

TEST(Type2Subroutines, EndcharInsideASubroutineEndsTheGlyph) {
  const Bytes ends = Type2Code().raw(square_from_origin()).op(kEndchar);
  const Drawn d = draw_one(
      Type2Code().n(0).n(0).op(kRmoveto).n(-107).op(kCallsubr).n(50).n(0).op(kRlineto), {ends});
  EXPECT_TRUE(d.ok);
  EXPECT_EQ(d.edges, kSquare);
}

// "A" and "grave" by their standard names (charset SIDs 34 and 124), and a glyph made of
// both with endchar's accent form: the accent moved by (adx, ady).
TEST(Type2Endchar, AccentFormComposesTwoGlyphs) {
  testfont::CffParams cff;
  const Bytes square = Type2Code().n(0).n(0).op(kRmoveto).raw(square_from_origin()).op(kEndchar);
  const Bytes bar = Type2Code().n(0).n(0).op(kRmoveto).n(4).op(kHlineto).op(kEndchar);
  cff.charstrings = {Type2Code().op(kEndchar), square, bar,
                     Type2Code().n(500).n(100).n(200).n('A').n(193).op(kEndchar)};
  cff.charset_sids = {34, 124, 200};
  const auto font = load(cff);
  ASSERT_NE(font, nullptr);
  const Drawn composite = draw(*font, 3);
  EXPECT_TRUE(composite.ok);
  std::vector<Edge> expected = kSquare;
  expected.push_back({100, 200, 104, 200});
  expected.push_back({104, 200, 100, 200});
  EXPECT_EQ(composite.edges, expected);
}

TEST(Type2Endchar, AccentFormNeedsBothComponents) {
  testfont::CffParams cff;
  cff.charstrings = {Type2Code().op(kEndchar), Type2Code().n(0).n(0).n('A').n(193).op(kEndchar)};
  cff.charset_sids = {200}; // neither "A" nor "grave"
  const auto font = load(cff);
  ASSERT_NE(font, nullptr);
  EXPECT_FALSE(draw(*font, 1).ok);
}

// Glyphs 1 and 2 call local subroutine 0 of their own Font DICT: one draws the square, the
// other a bar.
TEST(Type2CidKeyed, EachGlyphUsesItsFontDictsSubroutines) {
  for (const int format : {0, 3}) {
    testfont::CffParams cff;
    const Bytes call = Type2Code().n(0).n(0).op(kRmoveto).n(-107).op(kCallsubr).op(kEndchar);
    cff.charstrings = {Type2Code().op(kEndchar), call, call};
    cff.font_dict_subrs = {{Type2Code().raw(square_from_origin()).op(kReturn)},
                           {Type2Code().n(4).op(kHlineto).op(kReturn)}};
    cff.fd_select = {0, 0, 1};
    cff.fd_select_format = format;
    const auto font = load(cff);
    ASSERT_NE(font, nullptr) << format;
    EXPECT_TRUE(font->cid_keyed);
    EXPECT_EQ(draw(*font, 1).edges, kSquare) << format;
    EXPECT_EQ(draw(*font, 2).edges, (std::vector<Edge>{{0, 0, 4, 0}, {4, 0, 0, 0}})) << format;
  }
}

// Code that a careful interpreter must refuse, each a glyph that fails without harm:
// broken code, or (`large`) a glyph that stops at the step or edge limit.
struct HostileCase {
  const char* name;
  Bytes code;
  std::vector<Bytes> local_subrs = {};
  bool large = false;
};

class HostileCharstring : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileCharstring, FailsTheGlyph) {
  const Drawn d = draw_one(GetParam().code, GetParam().local_subrs);
  EXPECT_FALSE(d.ok);
  EXPECT_LE(d.work.steps, kMaxCharstringSteps + 1);
  EXPECT_EQ(d.work.past_limits(), GetParam().large);
}

std::vector<Bytes> calls_itself() {
  return {Type2Code().n(-107).op(kCallsubr).op(kReturn)};
}

// Subroutine i calls subroutine i + 1 sixteen times: 16^9 calls unless the step limit holds.
std::vector<Bytes> exponential_calls() {
  std::vector<Bytes> subrs;
  for (int i = 0; i < 10; ++i) {
    Type2Code code;
    for (int k = 0; k < 16; ++k)
      code.n(i + 1 - 107).op(kCallsubr);
    subrs.push_back(code.op(kReturn));
  }
  return subrs;
}

// Each call draws a curve of 1024 edges; the edge limit stops it.
std::vector<Bytes> many_edges() {
  Type2Code code;
  for (int k = 0; k < 40; ++k)
    code.n(0).n(30000).n(30000).n(-30000).n(30000).n(0).op(kRrcurveto);
  Type2Code caller;
  for (int k = 0; k < 16; ++k)
    caller.n(-107).op(kCallsubr);
  return {code.op(kReturn), caller.op(kReturn)};
}

Bytes numbers(int count) {
  Type2Code code;
  for (int i = 0; i < count; ++i)
    code.n(1);
  return code;
}

INSTANTIATE_TEST_SUITE_P(
    Limits, HostileCharstring,
    testing::Values(
        HostileCase{"RecursionPastTenLevels", Type2Code().n(-107).op(kCallsubr), calls_itself()},
        HostileCase{"ExponentialCalls", Type2Code().n(-107).op(kCallsubr), exponential_calls()},
        HostileCase{"EdgesPastTheOutlineLimit",
                    Type2Code()
                        .n(-106)
                        .op(kCallsubr)
                        .n(-106)
                        .op(kCallsubr)
                        .n(-106)
                        .op(kCallsubr)
                        .n(-106)
                        .op(kCallsubr)
                        .n(-106)
                        .op(kCallsubr)
                        .n(-106)
                        .op(kCallsubr)
                        .n(-106)
                        .op(kCallsubr),
                    many_edges(), true},
        HostileCase{"StackOverflow", Type2Code().raw(numbers(49)).op(kRlineto)},
        HostileCase{"SubroutinePastTheIndex", Type2Code().n(-106).op(kCallsubr), calls_itself()},
        HostileCase{"SubroutineWithoutNumber", Type2Code().op(kCallsubr), calls_itself()},
        HostileCase{"GlobalSubroutineMissing", Type2Code().n(0).op(kCallgsubr)},
        HostileCase{"TruncatedShortInteger", Bytes{28, 1}},
        HostileCase{"TruncatedFixed", Bytes{255, 0, 1}},
        HostileCase{"TruncatedTwoByteNumber", Bytes{247}},
        HostileCase{"TruncatedEscape", Bytes{12}},
        HostileCase{"HintmaskPastTheEnd",
                    Type2Code().n(0).n(1).n(2).n(1).op(kHstemhm).op(kHintmask)},
        HostileCase{"DivisionByZero", Type2Code().n(1).n(0).esc(12)},
        HostileCase{"SquareRootOfNegative", Type2Code().n(-1).esc(26)},
        HostileCase{"ReservedOperator", Type2Code().op(2)},
        HostileCase{"ReservedEscape", Type2Code().esc(1)},
        HostileCase{"RmovetoWithoutOperands", Type2Code().op(kRmoveto)},
        HostileCase{"GetOutsideTheTransientArray", Type2Code().n(32).esc(21)},
        HostileCase{"FlexShortOfOperands", Type2Code().n(1).n(2).esc(35)}),
    [](const testing::TestParamInfo<HostileCase>& case_info) { return case_info.param.name; });

} // namespace
