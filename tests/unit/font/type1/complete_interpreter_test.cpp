// The charstring interpreter in the complete mode: curves, the path rules of the format,
// flex and hint replacement through the standard OtherSubrs, seac, div, and the limits
// that keep hostile charstrings cheap.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "font/raster/curve_flattening.h"
#include "font/type1/interpreter.h"
#include "support/type1_builder.h"
#include "unit/font/type1/charstring_run.h"

using testfont::Bytes;
using testfont::Charstring;
using type1test::add_charstring;
using type1test::add_subr;
using type1test::Edge;
using type1test::edges;
using type1test::Outcome;
using type1test::run;
using type1test::to_dv;

namespace {

Type1Font complete_font() {
  Type1Font font;
  font.mode = Type1Mode::kComplete;
  return font;
}

Outcome run(const Bytes& charstring) {
  return run(charstring, complete_font());
}

// The standard subroutines 0-3 that flex and hint replacement call.
Type1Font font_with_standard_subrs() {
  Type1Font font = complete_font();
  add_subr(font, 0, Charstring().callothersubr(3, 0).pop().pop().esc(33).ret().bytes()); // flex end
  add_subr(font, 1, Charstring().callothersubr(0, 1).ret().bytes()); // flex start
  add_subr(font, 2, Charstring().callothersubr(0, 2).ret().bytes()); // flex point
  add_subr(font, 3, Charstring().ret().bytes());                     // hint replacement fallback
  return font;
}

// What a builder holds after the moves and curves given, drawn by hand.
class ExpectedOutline {
public:
  ExpectedOutline& move(Point p) {
    builder_.move_to(p);
    return *this;
  }
  ExpectedOutline& line(Point p) {
    builder_.line_to(p);
    return *this;
  }
  ExpectedOutline& curve(Point c1, Point c2, Point end) {
    flatten_cubic(builder_, builder_.current, c1, c2, end);
    return *this;
  }
  ExpectedOutline& close() {
    builder_.close_contour();
    return *this;
  }
  std::vector<Edge> edges() const { return ::edges(builder_); }

private:
  OutlineBuilder builder_;
};

} // namespace

TEST(Type1CompleteInterpreter, CurvesAreFlattenedFromThePen) {
  Outcome r = run(
      Charstring().hsbw(10, 500).rrcurveto(0, 100, 100, 0, 0, -100).closepath().endchar().bytes(),
      complete_font(), 0.5);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.edges,
            ExpectedOutline().move({5, 0}).curve({5, 50}, {55, 50}, {55, 0}).close().edges());
  EXPECT_GT(r.edges.size(), 4u);
  EXPECT_EQ(r.advance, 250);
}

TEST(Type1CompleteInterpreter, VhAndHvCurvesAreCurvesWithZeros) {
  struct Case {
    Bytes shorthand;
    Bytes full;
  } cases[] = {
      {Charstring().num(30).num(40).num(50).num(60).op(30).bytes(),
       Charstring().rrcurveto(0, 30, 40, 50, 60, 0).bytes()},
      {Charstring().num(30).num(40).num(50).num(60).op(31).bytes(),
       Charstring().rrcurveto(30, 0, 40, 50, 0, 60).bytes()},
  };
  for (const Case& c : cases) {
    Bytes a = Charstring().hsbw(0, 0).rmoveto(5, 5).bytes();
    Bytes b = a;
    a.insert(a.end(), c.shorthand.begin(), c.shorthand.end());
    b.insert(b.end(), c.full.begin(), c.full.end());
    Outcome ra = run(a), rb = run(b);
    ASSERT_TRUE(ra.ok);
    EXPECT_EQ(ra.edges, rb.edges);
    EXPECT_GT(ra.edges.size(), 1u);
  }
}

// closepath leaves the current point where the path was; a line after it starts a new
// contour there (the straight-line mode starts it at the last move instead).
TEST(Type1CompleteInterpreter, ClosepathKeepsThePenWhereThePathWas) {
  Bytes glyph = Charstring()
                    .hsbw(0, 0)
                    .rmoveto(10, 10)
                    .rlineto(50, 0)
                    .rlineto(0, 50)
                    .closepath()
                    .rlineto(0, 20)
                    .closepath()
                    .bytes();
  const std::vector<Edge> triangle = {{10, 10, 60, 10}, {60, 10, 60, 60}, {60, 60, 10, 10}};
  Outcome complete = run(glyph);
  ASSERT_TRUE(complete.ok);
  std::vector<Edge> expected = triangle;
  expected.insert(expected.end(), {{60, 60, 60, 80}, {60, 80, 60, 60}});
  EXPECT_EQ(complete.edges, expected);

  Type1Font straight;
  Outcome old = run(glyph, straight);
  expected = triangle;
  expected.insert(expected.end(), {{10, 10, 60, 80}, {60, 80, 10, 10}});
  EXPECT_EQ(old.edges, expected);
}

// A move only sets the current point: moves that nothing is drawn from leave no contour
// and no bounds behind.
TEST(Type1CompleteInterpreter, MovesStartNoContourOfTheirOwn) {
  Outcome r = run(Charstring()
                      .hsbw(0, 0)
                      .rmoveto(5000, 5000)
                      .rmoveto(-4990, -4990)
                      .rlineto(10, 0)
                      .rlineto(0, 10)
                      .num(-20)
                      .op(22) // hmoveto closes the contour
                      .num(-20)
                      .op(4) // vmoveto: nothing drawn after it
                      .endchar()
                      .bytes());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.edges, (std::vector<Edge>{{10, 10, 20, 10}, {20, 10, 20, 20}, {20, 20, 10, 10}}));
  EXPECT_EQ(r.outline.max_x, 20);
  EXPECT_EQ(r.outline.min_y, 10);
}

// The flex sequence of the format: subroutine 1, seven "rmoveto 2 callsubr" points (a
// reference point and the six points of two curves), then "height x y 0 callsubr", whose
// othersubr 0 hands the end point back through pop for setcurrentpoint.
TEST(Type1CompleteInterpreter, FlexDrawsItsTwoCurves) {
  const std::pair<int, int> moves[] = {{60, 0}, {-40, 10}, {20, 10}, {20, 0},
                                       {20, 0}, {20, -10}, {20, -10}};
  Charstring glyph;
  glyph.hsbw(0, 400).rmoveto(100, 100).rlineto(100, 0).callsubr(1);
  for (const auto& [dx, dy] : moves)
    glyph.rmoveto(dx, dy).callsubr(2);
  glyph.num(50).num(320).num(100).callsubr(0).rlineto(0, 100).closepath().endchar();

  Outcome r = run(glyph.bytes(), font_with_standard_subrs());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.edges, ExpectedOutline()
                         .move({100, 100})
                         .line({200, 100})
                         .curve({220, 110}, {240, 120}, {260, 120})
                         .curve({280, 120}, {300, 110}, {320, 100})
                         .line({320, 200})
                         .close()
                         .edges());
}

TEST(Type1CompleteInterpreter, HintReplacementCallsTheSubroutineOthersubrThreeReturns) {
  Type1Font font = font_with_standard_subrs();
  add_subr(font, 5, Charstring().rlineto(7, 0).ret().bytes());
  Outcome r = run(
      Charstring().hsbw(0, 0).num(5).callothersubr(1, 3).pop().op(10).rlineto(0, 7).bytes(), font);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.edges, (std::vector<Edge>{{0, 0, 7, 0}, {7, 0, 7, 7}}));
}

// An othersubr the interpreter does not know hands its arguments back, the last one popped
// first, as its PostScript procedure would if it did nothing. Operands below them stay.
TEST(Type1CompleteInterpreter, OtherOthersubrsReturnTheirArguments) {
  Outcome r = run(Charstring()
                      .hsbw(0, 0)
                      .num(9)
                      .num(1)
                      .num(2)
                      .num(3)
                      .callothersubr(3, 20)
                      .pop()
                      .pop()
                      .op(5) // rlineto 3 2; 9 stays below unused
                      .bytes());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.edges, (std::vector<Edge>{{0, 0, 3, 2}}));
}

TEST(Type1CompleteInterpreter, MalformedOthersubrCallsFail) {
  Type1Font font = font_with_standard_subrs();
  Charstring seven_points;
  seven_points.callsubr(1);
  for (int i = 0; i < 7; ++i)
    seven_points.rmoveto(10, 0).callsubr(2);
  const Bytes seven = seven_points.bytes();
  struct Case {
    const char* what;
    Bytes body;
  } cases[] = {
      {"pop without a result", Charstring().pop().bytes()},
      {"flex end with six points", Charstring()
                                       .callsubr(1)
                                       .rmoveto(1, 0)
                                       .callsubr(2)
                                       .num(50)
                                       .num(0)
                                       .num(0)
                                       .callsubr(0)
                                       .bytes()},
      {"flex point without a start", Charstring().callsubr(2).bytes()},
      {"an eighth flex point",
       [&] {
         Bytes b = seven;
         Bytes more = Charstring().callsubr(2).bytes();
         b.insert(b.end(), more.begin(), more.end());
         return b;
       }()},
      {"flex end with two arguments",
       [&] {
         Bytes b = seven;
         Bytes end = Charstring().num(0).num(0).callothersubr(2, 0).bytes();
         b.insert(b.end(), end.begin(), end.end());
         return b;
       }()},
      {"hint replacement without its argument", Charstring().callothersubr(0, 3).bytes()},
      {"more arguments than operands", Charstring().num(1).callothersubr(2, 20).bytes()},
      {"a negative argument count", Charstring().callothersubr(-1, 20).bytes()},
      {"callothersubr alone", Charstring().esc(16).bytes()},
      {"setcurrentpoint with one operand", Charstring().num(1).esc(33).bytes()},
  };
  for (const Case& c : cases) {
    Bytes glyph = Charstring().hsbw(0, 100).bytes();
    glyph.insert(glyph.end(), c.body.begin(), c.body.end());
    Outcome r = run(glyph, font);
    EXPECT_FALSE(r.ok) << c.what;
    EXPECT_EQ(r.advance, 100) << c.what;
  }
}

TEST(Type1CompleteInterpreter, DivPushesTheQuotient) {
  // 7 (10 / 4) rlineto: div leaves the operand below it.
  Outcome r = run(Charstring().hsbw(0, 0).num(7).num(10).num(4).esc(12).op(5).bytes());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.edges, (std::vector<Edge>{{0, 0, 7, 2.5}}));

  EXPECT_FALSE(run(Charstring().num(1).num(0).esc(12).bytes()).ok) << "division by zero";
  EXPECT_FALSE(run(Charstring().num(1).esc(12).bytes()).ok) << "one operand";
  // 2e9 / (1 / 1000) lies beyond any charstring number.
  EXPECT_FALSE(run(Charstring().num(2000000000).num(1).num(1000).esc(12).esc(12).bytes()).ok);
}

TEST(Type1CompleteInterpreter, HintOperatorsAreAccepted) {
  Outcome r = run(Charstring()
                      .hsbw(0, 0)
                      .esc(0) // dotsection
                      .num(1)
                      .num(2)
                      .num(3)
                      .num(4)
                      .num(5)
                      .num(6)
                      .esc(1) // vstem3
                      .num(1)
                      .num(2)
                      .num(3)
                      .num(4)
                      .num(5)
                      .num(6)
                      .esc(2) // hstem3
                      .num(1)
                      .num(2)
                      .op(1) // hstem
                      .rlineto(4, 0)
                      .bytes());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.edges, (std::vector<Edge>{{0, 0, 4, 0}}));
}

// asb adx ady bchar achar seac: the base at its own side bearing, the accent's origin at
// (adx, ady) from the base's, moved by the accented character's side bearing less asb.
// Codes are StandardEncoding's (65 "A", 193 "grave"); the advance is the accented
// character's own.
TEST(Type1CompleteInterpreter, SeacComposesBaseAndAccent) {
  Type1Font font = complete_font();
  add_charstring(
      font, "A",
      Charstring().hsbw(20, 600).rlineto(100, 0).rlineto(0, 100).closepath().endchar().bytes());
  add_charstring(
      font, "grave",
      Charstring().hsbw(5, 300).rlineto(10, 0).rlineto(0, 10).closepath().endchar().bytes());
  Bytes agrave =
      Charstring().hsbw(20, 650).num(5).num(100).num(200).num(65).num(193).esc(6).bytes();
  Outcome r = run(agrave, font);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.edges, (std::vector<Edge>{{20, 0, 120, 0},
                                        {120, 0, 120, 100},
                                        {120, 100, 20, 0},
                                        {120, 200, 130, 200},
                                        {130, 200, 130, 210},
                                        {130, 210, 120, 200}}));
  EXPECT_EQ(r.advance, 650);

  // Nothing after seac runs: it ends the glyph.
  Bytes with_tail = agrave;
  Bytes tail = Charstring().rlineto(1000, 0).bytes();
  with_tail.insert(with_tail.end(), tail.begin(), tail.end());
  EXPECT_EQ(run(with_tail, font).edges, r.edges);
}

TEST(Type1CompleteInterpreter, SeacFailures) {
  Type1Font font = complete_font();
  add_charstring(font, "A", Charstring().hsbw(0, 600).rlineto(100, 0).endchar().bytes());
  add_charstring(font, "grave", Charstring().hsbw(0, 300).rlineto(10, 0).endchar().bytes());
  // A base that is itself composed: seac does not nest.
  add_charstring(font, "B",
                 Charstring().hsbw(0, 600).num(0).num(0).num(0).num(65).num(193).esc(6).bytes());
  struct Case {
    const char* what;
    int base, accent;
  } cases[] = {
      {"code past 255", 321, 193},
      {"negative code", -65, 193},
      {"code StandardEncoding leaves unused", 65, 0},
      {"accent the font lacks", 65, 194}, // "acute"
      {"nested seac", 66, 193},
  };
  for (const Case& c : cases) {
    Outcome r =
        run(Charstring().hsbw(0, 700).num(0).num(0).num(0).num(c.base).num(c.accent).esc(6).bytes(),
            font);
    EXPECT_FALSE(r.ok) << c.what;
    EXPECT_EQ(r.advance, 700) << c.what;
  }
  EXPECT_FALSE(run(Charstring().num(65).num(193).esc(6).bytes(), font).ok) << "two operands";
}

// Operands below the subroutine number reach the subroutine.
TEST(Type1CompleteInterpreter, SubroutinesReceiveTheOperandsBelowTheirNumber) {
  Type1Font font = complete_font();
  add_subr(font, 0, Charstring().op(5).ret().bytes()); // rlineto with the caller's operands
  Outcome r = run(Charstring().hsbw(0, 0).num(3).num(4).callsubr(0).bytes(), font);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.edges, (std::vector<Edge>{{0, 0, 3, 4}}));
}

// One curve may become 1024 edges: a charstring of a few hundred wild curves reaches the
// edge limit long before its bytes run out, and fails instead of growing the outline.
TEST(Type1CompleteInterpreter, CurvesCountAgainstTheLimits) {
  Charstring glyph;
  glyph.hsbw(0, 0);
  for (int i = 0; i < 400; ++i)
    glyph.rrcurveto(1000000, 1000000, -2000000, 0, 1000000, -1000000);
  Outcome r = run(glyph.bytes(), complete_font(), 1.0);
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.outline.overflowed);
  EXPECT_LE(r.edges.size(), kMaxOutlineSegments);
}

// The straight-line mode is untouched by the complete one: curves still fail there.
TEST(Type1CompleteInterpreter, StraightLineModeStillRefusesCurves) {
  Type1Font straight;
  EXPECT_FALSE(run(Charstring().hsbw(0, 0).rrcurveto(0, 10, 10, 0, 0, -10).bytes(), straight).ok);
  EXPECT_TRUE(run(Charstring().hsbw(0, 0).rrcurveto(0, 10, 10, 0, 0, -10).bytes()).ok);
}
