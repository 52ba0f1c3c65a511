#include <gtest/gtest.h>

#include <vector>

#include "font/type1/interpreter.h"
#include "support/type1_builder.h"
#include "unit/font/type1/charstring_run.h"

using testfont::Bytes;
using testfont::Charstring;
using type1test::add_subr;
using type1test::Edge;
using type1test::edges;
using type1test::Outcome;
using type1test::run;
using type1test::to_dv;

namespace {

Outcome run(const Bytes& charstring, double scale = 1.0) {
  Type1Font font;
  return run(charstring, font, scale);
}

const std::vector<Edge> kTriangle = {{15, 10, 35, 10}, {35, 10, 35, 30}, {35, 30, 15, 10}};

} // namespace

TEST(Type1Interpreter, ClosedContourInPixels) {
  Bytes glyph = Charstring()
                    .hsbw(50, 500)
                    .rmoveto(100, 100)
                    .rlineto(200, 0)
                    .rlineto(0, 200)
                    .closepath()
                    .endchar()
                    .bytes();
  Outcome r = run(glyph, 0.1);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.edges, kTriangle);
  EXPECT_DOUBLE_EQ(r.advance, 50);
}

TEST(Type1Interpreter, ContourWithoutMoveStartsAtTheSideBearing) {
  Outcome r =
      run(Charstring().hsbw(50, 500).rlineto(200, 0).rlineto(0, 200).closepath().bytes(), 0.1);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.edges, (std::vector<Edge>{{5, 0, 25, 0}, {25, 0, 25, 20}, {25, 20, 5, 0}}));
}

TEST(Type1Interpreter, SbwSetsTheStartAndAdvance) {
  Outcome r =
      run(Charstring().num(10).num(20).num(600).num(7).esc(7).hlineto(30).vlineto(40).bytes());
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.edges, (std::vector<Edge>{{10, 20, 40, 20}, {40, 20, 40, 60}}));
  EXPECT_EQ(r.advance, 600);
}

TEST(Type1Interpreter, MovesCloseTheOpenContour) {
  Outcome r = run(Charstring()
                      .hsbw(0, 100)
                      .rmoveto(0, 0)
                      .rlineto(10, 0)
                      .rlineto(0, 10)
                      .num(5)
                      .op(22) // hmoveto closes the triangle first
                      .num(5)
                      .op(4) // vmoveto right after: nothing to close
                      .bytes());
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.edges, (std::vector<Edge>{{0, 0, 10, 0}, {10, 0, 10, 10}, {10, 10, 0, 0}}));
}

TEST(Type1Interpreter, UnsupportedOperatorsFailButKeepTheAdvance) {
  Bytes triangle =
      Charstring().hsbw(0, 300).rmoveto(0, 0).rlineto(10, 0).rlineto(0, 10).closepath().bytes();
  struct Case {
    const char* what;
    Bytes tail;
  } cases[] = {
      {"rrcurveto", Charstring().num(1).num(2).num(3).num(4).num(5).num(6).op(8).bytes()},
      {"vhcurveto", Charstring().num(1).num(2).num(3).num(4).op(30).bytes()},
      {"hvcurveto", Charstring().num(1).num(2).num(3).num(4).op(31).bytes()},
      {"reserved 0", Bytes{0}},
      {"reserved 2", Bytes{2}},
      {"operator 15", Bytes{15}},
      {"dotsection", Bytes{12, 0}},
      {"vstem3", Charstring().num(1).num(2).num(3).num(4).num(5).num(6).esc(1).bytes()},
      {"seac", Charstring().num(0).num(0).num(0).num(65).num(66).esc(6).bytes()},
      {"div", Charstring().num(10).num(2).esc(12).bytes()},
      {"escape as the last byte", Bytes{12}},
      {"rlineto with one operand", Charstring().num(5).op(5).bytes()},
      {"hsbw with no operand", Bytes{13}},
  };
  for (const Case& c : cases) {
    Bytes glyph = triangle;
    glyph.insert(glyph.end(), c.tail.begin(), c.tail.end());
    Outcome r = run(glyph);
    EXPECT_FALSE(r.ok) << c.what;
    EXPECT_EQ(r.advance, 300) << c.what;
  }
}

TEST(Type1Interpreter, OnlyTheTopmostOperandsAreUsed) {
  Outcome r = run(Charstring().hsbw(0, 0).num(999).rlineto(3, 4).bytes());
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.edges, (std::vector<Edge>{{0, 0, 3, 4}}));
}

TEST(Type1Interpreter, NumberEncodings) {
  // Each number is followed by hlineto so that the value shows as an edge length.
  struct Case {
    Bytes number;
    double value;
  } cases[] = {
      {{32}, -107},
      {{246}, 107},
      {{247, 0}, 108},
      {{250, 255}, 1131},
      {{251, 0}, -108},
      {{254, 255}, -1131},
      {{255, 0, 0, 1, 0xF4}, 500},
      {{255, 0xFF, 0xFF, 0xFF, 0x9C}, -100},
  };
  for (const Case& c : cases) {
    Bytes glyph = Charstring().hsbw(0, 0).bytes();
    glyph.insert(glyph.end(), c.number.begin(), c.number.end());
    glyph.push_back(6);
    Outcome r = run(glyph);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.edges.size(), 1u);
    EXPECT_EQ(r.edges[0].x1, c.value);
  }
}

TEST(Type1Interpreter, TruncatedNumberEndsTheCharstring) {
  for (Bytes tail : {Bytes{247}, Bytes{253}, Bytes{255, 0, 0, 1}}) {
    Bytes glyph = Charstring().hsbw(0, 200).bytes();
    glyph.insert(glyph.end(), tail.begin(), tail.end());
    Outcome r = run(glyph);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.advance, 200);
  }
}

TEST(Type1Interpreter, SubroutineCalls) {
  Type1Font font;
  add_subr(font, 0, Charstring().rlineto(10, 0).ret().bytes());
  add_subr(font, 3, Charstring().num(7).num(9).bytes()); // leaves operands, no return
  // slot 1 and 2 were never defined

  Outcome r =
      run(Charstring().hsbw(0, 0).num(42).callsubr(0).callsubr(1).callsubr(3).op(5).bytes(), font);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.edges, (std::vector<Edge>{{0, 0, 10, 0}, {10, 0, 17, 9}}))
      << "operands left by a subroutine reach the caller's next operator";

  EXPECT_FALSE(run(Charstring().callsubr(4).bytes(), font).ok) << "index equal to the table size";
  EXPECT_FALSE(run(Charstring().callsubr(-1).bytes(), font).ok);
  EXPECT_FALSE(run(Bytes{10}, font).ok) << "no operand";
}

TEST(Type1Interpreter, NestingLimit) {
  // The glyph runs at level 0 and subroutine i at level i + 1; subroutine `last` draws.
  // Sixteen nested subroutine levels work, a seventeenth fails.
  for (int last : {15, 16}) {
    Type1Font font;
    for (int i = 0; i < last; ++i)
      add_subr(font, i, Charstring().callsubr(i + 1).ret().bytes());
    add_subr(font, last, Charstring().rlineto(1, 1).ret().bytes());
    Outcome r = run(Charstring().hsbw(0, 0).callsubr(0).bytes(), font);
    EXPECT_EQ(r.ok, last == 15) << last;
    EXPECT_EQ(r.edges.size(), last == 15 ? 1u : 0u);
  }
  Type1Font recursive;
  add_subr(recursive, 0, Charstring().callsubr(0).bytes());
  EXPECT_FALSE(run(Charstring().callsubr(0).bytes(), recursive).ok);
}

TEST(Type1Interpreter, EndcharInsideASubroutineEndsTheGlyph) {
  Type1Font font;
  add_subr(font, 0, Charstring().rlineto(10, 0).endchar().bytes());
  Outcome r = run(Charstring().hsbw(0, 0).callsubr(0).rlineto(0, 50).bytes(), font);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.edges, (std::vector<Edge>{{0, 0, 10, 0}, {10, 0, 0, 0}}));
}

TEST(Type1Interpreter, OtherSubroutinesOnlyClearTheStack) {
  Type1Font font;
  add_subr(font, 0, Charstring().ret().bytes());
  // Hint replacement: othersubr 3 delivers a subroutine number through pop, which pushes
  // nothing, so the callsubr that follows has no operand.
  Outcome hint =
      run(Charstring().hsbw(0, 0).num(0).num(1).num(3).esc(16).esc(17).op(10).bytes(), font);
  EXPECT_FALSE(hint.ok);
  Outcome cleared = run(Charstring().hsbw(0, 0).num(5).num(5).esc(16).num(8).op(6).bytes(), font);
  EXPECT_TRUE(cleared.ok);
  EXPECT_EQ(cleared.edges, (std::vector<Edge>{{0, 0, 8, 0}}));
  Outcome setpoint =
      run(Charstring().hsbw(0, 0).num(100).num(100).esc(33).num(8).op(6).bytes(), font);
  EXPECT_EQ(setpoint.edges, (std::vector<Edge>{{0, 0, 8, 0}}));
}

// Subroutines that each call the next one many times would repeat work exponentially;
// the interpreter gives up after a fixed amount of work.
TEST(Type1Interpreter, ExponentialCallTreesAreCut) {
  Type1Font font;
  for (int level = 0; level < 16; ++level) {
    Charstring body;
    for (int i = 0; i < 50; ++i)
      body.callsubr(level + 1);
    add_subr(font, level, body.ret().bytes());
  }
  add_subr(font, 16, Charstring().ret().bytes());
  EXPECT_FALSE(run(Charstring().callsubr(0).bytes(), font).ok);
}
