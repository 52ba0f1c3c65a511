#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "font/truetype/outline.h"
#include "support/sfnt_builder.h"
#include "unit/font/font_bytes.h"

using testfont::box;
using testfont::Bytes;
using testfont::ByteWriter;
using testfont::Component;
using testfont::FontParams;
using testfont::GlyphShape;

namespace {

struct Edge {
  double x0, y0, x1, y1;
  bool operator==(const Edge&) const = default;
};

void PrintTo(const Edge& e, std::ostream* os) {
  *os << "(" << e.x0 << "," << e.y0 << ")->(" << e.x1 << "," << e.y1 << ")";
}

std::vector<Edge> edges_of(const OutlineBuilder& b) {
  std::vector<Edge> edges;
  for (size_t k = 0; k < b.segments.size; ++k) {
    const LineSegment& s = b.segments.data[k];
    edges.push_back({s.p0.x, s.p0.y, s.p1.x, s.p1.y});
  }
  return edges;
}

constexpr AffineTransform kIdentity{1, 0, 0, 1, 0, 0};

// A simple glyph written field by field, so broken forms can be expressed exactly.
Bytes raw_simple_glyph(int16_t contours, const std::vector<uint16_t>& end_points,
                       const Bytes& flags, const Bytes& coordinates,
                       uint16_t instruction_length = 0) {
  ByteWriter out;
  out.i16(contours).i16(0).i16(0).i16(0).i16(0);
  for (uint16_t end : end_points)
    out.u16(end);
  out.u16(instruction_length).append(Bytes(instruction_length, 0));
  out.append(flags).append(coordinates);
  return out.bytes();
}

// Font bytes whose glyph 0 is a box and whose glyph k (k >= 1) is glyphs[k - 1]. With
// `glyf_last` the glyf table ends the data, so reads past a glyph run off the font.
Bytes font_bytes_with(const std::vector<Bytes>& glyphs, bool glyf_last) {
  FontParams params;
  params.index_to_loc_format = 1;
  params.glyphs.push_back({testfont::simple_glyph({box(0, 0, 10, 10)}), 500, 0});
  for (const Bytes& g : glyphs)
    params.glyphs.push_back({g, 500, 0});
  auto tables = testfont::font_tables(params);
  if (!glyf_last)
    return testfont::sfnt_file(tables);
  std::stable_partition(tables.begin(), tables.end(),
                        [](const testfont::TableEntry& t) { return t.tag != "glyf"; });
  Bytes bytes = testfont::sfnt_file(tables);
  const testfont::TableLocation glyf = testfont::find_table(bytes, "glyf");
  bytes.resize(glyf.offset + glyf.length);
  return bytes;
}

std::unique_ptr<TrueTypeFont> font_with(const std::vector<Bytes>& glyphs, bool glyf_last = false) {
  auto font = load_font(font_bytes_with(glyphs, glyf_last));
  EXPECT_NE(font, nullptr);
  return font;
}

struct Appended {
  bool ok;
  OutlineBuilder builder;
  bool past_limits; // stopped at a limit (a large glyph) rather than at broken data
};

Appended append(const TrueTypeFont& font, uint16_t glyph,
                const AffineTransform& transform = kIdentity) {
  Appended result{false, {}, false};
  GlyfScratch scratch;
  result.ok = append_glyph_outline(font, glyph, transform, result.builder, 0, scratch);
  result.past_limits = scratch.past_limits;
  return result;
}

Bytes one_component(Component c) {
  return testfont::composite_glyph({c});
}

} // namespace

TEST(GlyphOutline, SimpleBoxIsClosedAndTransformed) {
  const auto font = font_with({testfont::simple_glyph({box(100, 0, 500, 600)})});
  const Appended a = append(*font, 1, {0.5, 0, 0, 0.5, 3, 4});
  ASSERT_TRUE(a.ok);
  const std::vector<Edge> expected = {
      {53, 4, 53, 304}, {53, 304, 253, 304}, {253, 304, 253, 4}, {253, 4, 53, 4}};
  EXPECT_EQ(edges_of(a.builder), expected);
  EXPECT_FALSE(a.builder.contour_open);
}

TEST(GlyphOutline, OffCurveRunsGetMidpointsIncludingAcrossTheWrap) {
  // Four off-curve points: on-curve midpoints go between every pair and between the last
  // and the first; the last of them is copied to the front. At 1/2048 each of the four
  // curves is flat enough to be a single edge, so the edges connect the midpoints.
  const auto font = font_with({testfont::simple_glyph(
      {{{0, 0, false}, {1024, 0, false}, {1024, 1024, false}, {0, 1024, false}}})});
  const double s = 1.0 / 2048;
  const Appended a = append(*font, 1, {s, 0, 0, s, 0, 0});
  ASSERT_TRUE(a.ok);
  const std::vector<Edge> expected = {
      {0, 0.25, 0.25, 0}, {0.25, 0, 0.5, 0.25}, {0.5, 0.25, 0.25, 0.5}, {0.25, 0.5, 0, 0.25}};
  EXPECT_EQ(edges_of(a.builder), expected);
  // At full size every curve is subdivided, and the contour still closes on itself.
  const Appended big = append(*font, 1);
  ASSERT_TRUE(big.ok);
  EXPECT_GT(big.builder.segments.size, 16u);
  EXPECT_EQ(big.builder.segments.data[0].p0.x, 0);
  EXPECT_EQ(big.builder.segments.data[0].p0.y, 512);
  EXPECT_EQ(big.builder.segments.data[big.builder.segments.size - 1].p1.y, 512);
}

TEST(GlyphOutline, CurveBetweenOnCurvePointsAndTrailingOffCurvePoint) {
  // on (0,0), off (50,100), on (100,0), off (50,-100): two curves, the second closing the
  // contour through the off-curve point before the start.
  const auto font = font_with({testfont::simple_glyph(
      {{{0, 0, true}, {50, 100, false}, {100, 0, true}, {50, -100, false}}})});
  const Appended a = append(*font, 1);
  ASSERT_TRUE(a.ok);
  EXPECT_EQ(a.builder.max_y, 50); // the curve peaks halfway to its control point
  EXPECT_EQ(a.builder.min_y, -50);
  EXPECT_EQ(a.builder.segments.data[a.builder.segments.size - 1].p1.x, 0);
}

TEST(GlyphOutline, SinglePointContourDrawsNothing) {
  const auto font = font_with({testfont::simple_glyph({{{7, 9, true}}})});
  const Appended a = append(*font, 1);
  ASSERT_TRUE(a.ok);
  EXPECT_EQ(a.builder.segments.size, 0u);
  EXPECT_EQ(a.builder.min_x, 7);
  EXPECT_EQ(a.builder.max_y, 9);
}

TEST(GlyphOutline, RepeatFlagOvershootingThePointCount) {
  // Three points; the flag repeats 5 more times (6 flags). Only three are used and the x
  // bytes start right after the repeat count.
  // At the end of the data, fewer bytes remain than two per point: the same glyph.
  const Bytes glyph = raw_simple_glyph(1, {2}, {0x3F, 5}, {10, 20, 30, 1, 2, 3});
  for (const bool glyf_last : {false, true}) {
    const auto font = font_with({glyph}, glyf_last);
    const Appended a = append(*font, 1);
    ASSERT_TRUE(a.ok) << glyf_last;
    const std::vector<Edge> expected = {{10, 1, 30, 3}, {30, 3, 60, 6}, {60, 6, 10, 1}};
    EXPECT_EQ(edges_of(a.builder), expected) << glyf_last;
  }
}

TEST(GlyphOutline, CoordinatesWrapAsSixteenBitValues) {
  // Two word x deltas of 30000: the second point is at 60000 - 65536 = -5536. y repeats.
  ByteWriter xs;
  xs.i16(30000).i16(30000);
  const auto font = font_with({raw_simple_glyph(1, {1}, {0x21, 0x21}, xs.bytes())});
  const Appended a = append(*font, 1);
  ASSERT_TRUE(a.ok);
  const std::vector<Edge> expected = {{30000, 0, -5536, 0}, {-5536, 0, 30000, 0}};
  EXPECT_EQ(edges_of(a.builder), expected);
}

TEST(GlyphOutline, ByteDeltasAreSignedByTheirFlag) {
  // x: +200 (0x12), -50 (0x02); y: same (0x20), +7 (0x24).
  const auto font =
      font_with({raw_simple_glyph(1, {1}, {0x01 | 0x12 | 0x20, 0x01 | 0x02 | 0x24}, {200, 50, 7})});
  const Appended a = append(*font, 1);
  ASSERT_TRUE(a.ok);
  const std::vector<Edge> expected = {{200, 0, 150, 7}, {150, 7, 200, 0}};
  EXPECT_EQ(edges_of(a.builder), expected);
}

TEST(GlyphOutline, InstructionsAreSkipped) {
  const auto font = font_with({testfont::simple_glyph({box(0, 0, 5, 5)}, Bytes(300, 0xB0))});
  const Appended a = append(*font, 1);
  ASSERT_TRUE(a.ok);
  EXPECT_EQ(a.builder.segments.size, 4u);
}

TEST(GlyphOutline, NothingToAppend) {
  const auto font = font_with({Bytes{}, raw_simple_glyph(0, {}, {}, {})});
  EXPECT_TRUE(append(*font, 1).ok);     // zero length
  EXPECT_TRUE(append(*font, 2).ok);     // zero contours
  EXPECT_TRUE(append(*font, 3).ok);     // past the glyph count
  EXPECT_TRUE(append(*font, 65535).ok); // far past it
  EXPECT_EQ(append(*font, 2).builder.segments.size, 0u);
}

TEST(GlyphOutline, MalformedSimpleGlyphsFail) {
  struct Case {
    const char* name;
    Bytes glyph;
  };
  ByteWriter instructions_cut;
  instructions_cut.i16(1).i16(0).i16(0).i16(0).i16(0).u16(0).u16(40000).u8(0xB0);
  const std::vector<Case> cases = {
      {"end points not increasing", raw_simple_glyph(2, {3, 3}, {0x39, 3}, {})},
      {"end point 65535 wraps the count to 0", raw_simple_glyph(1, {65535}, {}, {})},
      {"flags run out", raw_simple_glyph(1, {9}, {0x31, 0x31}, {})},
      {"repeat count missing", raw_simple_glyph(1, {9}, {0x39}, {})},
      {"repeat count missing after the last point's flag", raw_simple_glyph(1, {0}, {0x39}, {})},
      {"x bytes run out", raw_simple_glyph(1, {3}, {0x0B, 3}, {0, 1})},
      {"y words run out", raw_simple_glyph(1, {1}, {0x11, 0x11}, {0, 1, 2})},
      {"instructions run out", instructions_cut.bytes()},
      {"end points run out", raw_simple_glyph(30000, {0}, {}, {})},
      {"header only", raw_simple_glyph(1, {}, {}, {})},
  };
  for (const Case& c : cases) {
    const auto font = font_with({c.glyph}, true);
    ASSERT_NE(font, nullptr) << c.name;
    EXPECT_FALSE(append(*font, 1).ok) << c.name;
  }
}

TEST(GlyphOutline, HeaderCutShortByTheEndOfData) {
  const auto font = font_with({Bytes{0, 1, 0, 0, 0, 0}}, true); // 6 bytes end the data
  ASSERT_NE(font, nullptr);
  EXPECT_FALSE(append(*font, 1).ok);
  EXPECT_TRUE(append(*font, 0).ok);
}

TEST(GlyphOutline, CompositeMatrices) {
  const Bytes base = testfont::simple_glyph({box(10, 0, 20, 6)});
  struct Case {
    const char* name;
    Component component;
    Edge first_edge; // the box's first edge (10,0)->(10,6) after placement
  };
  auto make = [](std::vector<int16_t> matrix, int arg1, int arg2, uint16_t extra_flags = 0) {
    Component c;
    c.glyph = 1;
    c.matrix = matrix;
    c.arg1 = arg1;
    c.arg2 = arg2;
    c.flags = static_cast<uint16_t>(0x0002 | extra_flags);
    return c;
  };
  const std::vector<Case> cases = {
      {"identity with offset", make({}, 100, -50), {110, -50, 110, -44}},
      {"uniform scale 0.5", make({0x2000}, 100, 0), {105, 0, 105, 3}},
      {"uniform scale, scaled offset", make({0x2000}, 100, 0, 0x0800), {55, 0, 55, 3}},
      {"x and y scales", make({0x4000, static_cast<int16_t>(0xC000)}, 0, 0), {10, 0, 10, -6}},
      {"two by two rotation",
       make({0, 0x4000, static_cast<int16_t>(0xC000), 0}, 0, 0),
       {0, 10, -6, 10}},
      {"two by two, scaled offset",
       make({0, 0x4000, static_cast<int16_t>(0xC000), 0}, 3, 0, 0x0800),
       {0, 13, -6, 13}},
  };
  for (const Case& c : cases) {
    const auto font = font_with({base, one_component(c.component)});
    const Appended a = append(*font, 2);
    ASSERT_TRUE(a.ok) << c.name;
    ASSERT_EQ(a.builder.segments.size, 4u) << c.name;
    EXPECT_EQ(edges_of(a.builder)[0], c.first_edge) << c.name;
  }
}

TEST(GlyphOutline, CompositeTransformIsComposedWithTheCallersTransform) {
  Component c;
  c.glyph = 1;
  c.matrix = {0x2000}; // scale 0.5
  c.arg1 = 40;
  c.arg2 = 10;
  const auto font = font_with({testfont::simple_glyph({box(10, 0, 20, 6)}), one_component(c)});
  // Caller: scale 2 then shift by (1, 1). The box's (10, 0) goes to 0.5 * 10 + 40 = 45,
  // 0 + 10 = 10 in font units, then to (91, 21).
  const Appended a = append(*font, 2, {2, 0, 0, 2, 1, 1});
  ASSERT_TRUE(a.ok);
  EXPECT_EQ(edges_of(a.builder)[0], (Edge{91, 21, 91, 27}));
}

TEST(GlyphOutline, UniformScaleTakesPrecedenceOverTwoByTwo) {
  // Flags 0x0008 and 0x0080 together: only the single scale value is read, and the next
  // component record follows it directly.
  ByteWriter g;
  g.i16(-1).i16(0).i16(0).i16(0).i16(0);
  g.u16(0x0002 | 0x0008 | 0x0080 | 0x0020).u16(1).u8(0).u8(0).u16(0x2000); // 0.5
  g.u16(0x0002).u16(1).u8(100).u8(0);                                      // plain
  const auto font = font_with({testfont::simple_glyph({box(10, 0, 20, 6)}), g.bytes()});
  const Appended a = append(*font, 2);
  ASSERT_TRUE(a.ok);
  ASSERT_EQ(a.builder.segments.size, 8u);
  EXPECT_EQ(edges_of(a.builder)[0], (Edge{5, 0, 5, 3}));
  EXPECT_EQ(edges_of(a.builder)[4], (Edge{110, 0, 110, 6}));
}

TEST(GlyphOutline, ByteArgumentsAreSigned) {
  Component c;
  c.glyph = 1;
  c.word_args = false;
  c.arg1 = 0xFF;
  c.arg2 = 0x80;
  const auto font = font_with({testfont::simple_glyph({box(10, 0, 20, 6)}), one_component(c)});
  const Appended a = append(*font, 2);
  ASSERT_TRUE(a.ok);
  EXPECT_EQ(edges_of(a.builder)[0], (Edge{9, -128, 9, -122}));
}

TEST(GlyphOutline, CompositeWithNegativeTwoContoursAndInstructions) {
  Component first;
  first.glyph = 1;
  Component second;
  second.glyph = 1;
  second.arg1 = 50;
  second.has_instructions = true;
  second.instructions = Bytes(7, 0xB0);
  const Bytes composite = testfont::composite_glyph({first, second}, -2);
  const auto font = font_with({testfont::simple_glyph({box(10, 0, 20, 6)}), composite});
  const Appended a = append(*font, 2);
  ASSERT_TRUE(a.ok);
  EXPECT_EQ(a.builder.segments.size, 8u);
  EXPECT_EQ(a.builder.max_x, 70);
}

TEST(GlyphOutline, ComponentPastTheGlyphCountAddsNothing) {
  Component missing;
  missing.glyph = 999;
  Component present;
  present.glyph = 1;
  const auto font = font_with(
      {testfont::simple_glyph({box(10, 0, 20, 6)}), testfont::composite_glyph({missing, present})});
  const Appended a = append(*font, 2);
  ASSERT_TRUE(a.ok);
  EXPECT_EQ(a.builder.segments.size, 4u);
}

TEST(GlyphOutline, MalformedCompositesFail) {
  Component point_matched;
  point_matched.glyph = 1;
  point_matched.flags = 0; // arguments would be point numbers
  Component self;
  self.glyph = 2;
  struct Case {
    const char* name;
    Bytes glyph;
  };
  ByteWriter cut_arguments;
  cut_arguments.i16(-1).i16(0).i16(0).i16(0).i16(0).u16(0x0003).u16(1).u8(0);
  ByteWriter cut_matrix;
  cut_matrix.i16(-1).i16(0).i16(0).i16(0).i16(0).u16(0x0082).u16(1).u8(0).u8(0).u16(0x4000);
  ByteWriter more_but_none;
  more_but_none.i16(-1).i16(0).i16(0).i16(0).i16(0).u16(0x0022).u16(1).u8(0).u8(0);
  ByteWriter cut_instructions;
  cut_instructions.i16(-1).i16(0).i16(0).i16(0).i16(0).u16(0x0102).u16(1).u8(0).u8(0).u16(500);
  const std::vector<Case> cases = {
      {"point matching", one_component(point_matched)},
      {"lists itself", one_component(self)},
      {"arguments cut", cut_arguments.bytes()},
      {"matrix cut", cut_matrix.bytes()},
      {"more components promised", more_but_none.bytes()},
      {"instructions cut", cut_instructions.bytes()},
  };
  for (const Case& c : cases) {
    const auto font = font_with({testfont::simple_glyph({box(10, 0, 20, 6)}), c.glyph}, true);
    ASSERT_NE(font, nullptr) << c.name;
    const Appended a = append(*font, 2);
    EXPECT_FALSE(a.ok) << c.name;
    EXPECT_FALSE(a.past_limits) << c.name;
  }
  // Two composites listing each other, below a simple one: broken, however deep the
  // expansion could go.
  Component to_three;
  to_three.glyph = 3;
  Component to_two;
  to_two.glyph = 2;
  Component to_simple;
  to_simple.glyph = 1;
  const auto font =
      font_with({testfont::simple_glyph({box(10, 0, 20, 6)}),
                 testfont::composite_glyph({to_simple, to_three}), one_component(to_two)},
                true);
  ASSERT_NE(font, nullptr);
  for (uint16_t glyph : {2, 3}) {
    const Appended a = append(*font, glyph);
    EXPECT_FALSE(a.ok) << glyph;
    EXPECT_FALSE(a.past_limits) << glyph;
  }
}

TEST(GlyphOutline, CompositesExpandDownToDepthEleven) {
  // Glyph 1 is simple; glyph k >= 2 is a composite of glyph k - 1, shifted by 1 unit.
  std::vector<Bytes> glyphs = {testfont::simple_glyph({box(0, 0, 10, 10)})};
  for (int k = 2; k <= 14; ++k) {
    Component c;
    c.glyph = static_cast<uint16_t>(k - 1);
    c.arg1 = 1;
    glyphs.push_back(one_component(c));
  }
  const auto font = font_with(glyphs);
  // Glyph 13: composites at depths 0..11, the simple glyph at depth 12.
  const Appended deepest = append(*font, 13);
  ASSERT_TRUE(deepest.ok);
  EXPECT_EQ(deepest.builder.min_x, 12);
  // Glyph 14 needs a composite at depth 12: a large glyph, not a broken one.
  const Appended too_deep = append(*font, 14);
  EXPECT_FALSE(too_deep.ok);
  EXPECT_TRUE(too_deep.past_limits);
}

TEST(GlyphOutline, FanOutOfNestedCompositesIsBounded) {
  // Each level lists the level below 32 times: 32^11 expansions as written. The glyph must
  // fail quickly once its component budget is spent.
  std::vector<Bytes> glyphs = {testfont::simple_glyph({box(0, 0, 10, 10)})};
  for (int level = 2; level <= 12; ++level) {
    std::vector<Component> components(32);
    for (Component& c : components)
      c.glyph = static_cast<uint16_t>(level - 1);
    glyphs.push_back(testfont::composite_glyph(components));
  }
  const auto font = font_with(glyphs);
  // The glyph fails once its component budget is spent: it expands kMaxGlyphComponents
  // component records, and each leaf it reached decoded the box's 4 points.
  OutlineBuilder builder;
  GlyfScratch scratch;
  EXPECT_FALSE(append_glyph_outline(*font, 12, kIdentity, builder, 0, scratch));
  EXPECT_TRUE(scratch.past_limits);
  EXPECT_GE(scratch.points_and_components, uint64_t{kMaxGlyphComponents});
  EXPECT_LE(scratch.points_and_components, uint64_t{kMaxGlyphComponents} * (1 + 4));
  EXPECT_LE(builder.segments.size, uint64_t{kMaxGlyphComponents} * 4);
  // Within the budget the same structure renders: 32 x 32 boxes.
  const Appended two_levels = append(*font, 3);
  EXPECT_TRUE(two_levels.ok);
  EXPECT_EQ(two_levels.builder.segments.size, 32u * 32u * 4u);
}

TEST(GlyphOutline, PointBudgetStopsRepeatedHugeGlyphs) {
  // A glyph of 40000 points listed 16 times exceeds the per-glyph point budget.
  testfont::Contour many;
  for (int k = 0; k < 40000; ++k)
    many.push_back({k % 200, k / 200, true});
  std::vector<Component> components(16);
  for (Component& c : components)
    c.glyph = 1;
  const auto font =
      font_with({testfont::simple_glyph({many}), testfont::composite_glyph(components)});
  EXPECT_TRUE(append(*font, 1).ok);
  const Appended repeated = append(*font, 2);
  EXPECT_FALSE(repeated.ok);
  EXPECT_TRUE(repeated.past_limits);
}

TEST(GlyphOutline, SegmentBudgetStopsHugeMagnification) {
  // Curves at an enormous scale flatten into 1024 edges each; a glyph may not flood the
  // builder without bound.
  testfont::Contour wavy;
  for (int k = 0; k < 600; ++k)
    wavy.push_back({k * 10, (k % 2) * 3000, k % 2 == 0});
  const auto font = font_with({testfont::simple_glyph({wavy})});
  EXPECT_TRUE(append(*font, 1).ok);
  const double huge = 1e6;
  const Appended a = append(*font, 1, {huge, 0, 0, huge, 0, 0});
  EXPECT_FALSE(a.ok);
  EXPECT_TRUE(a.past_limits);
  EXPECT_LE(a.builder.segments.size, kMaxOutlineSegments + 1024);
}
