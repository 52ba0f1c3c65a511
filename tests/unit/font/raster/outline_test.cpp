#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "font/raster/curve_flattening.h"
#include "font/raster/outline.h"
#include "unit/font/raster/edge_chain.h"

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
  for (unsigned long k = 0; k < b.segments.size; ++k) {
    const LineSegment& s = b.segments.data[k];
    edges.push_back({s.p0.x, s.p0.y, s.p1.x, s.p1.y});
  }
  return edges;
}

void expect_bounds(const OutlineBuilder& b, double x0, double y0, double x1, double y1) {
  EXPECT_TRUE(b.has_bounds);
  EXPECT_EQ(b.min_x, x0);
  EXPECT_EQ(b.min_y, y0);
  EXPECT_EQ(b.max_x, x1);
  EXPECT_EQ(b.max_y, y1);
}

} // namespace

TEST(Geometry, MidpointAndTransform) {
  const Point m = midpoint({1, 2}, {4, -6});
  EXPECT_EQ(m.x, 2.5);
  EXPECT_EQ(m.y, -2);
  const AffineTransform t{2, 3, 5, 7, 11, 13};
  const Point p = transform_point(t, {1, 10});
  EXPECT_EQ(p.x, 2 * 1 + 3 * 10 + 11);
  EXPECT_EQ(p.y, 5 * 1 + 7 * 10 + 13);
}

TEST(OutlineBuilder, StartsEmpty) {
  OutlineBuilder b;
  EXPECT_EQ(b.segments.size, 0u);
  EXPECT_FALSE(b.contour_open);
  EXPECT_FALSE(b.has_bounds);
  EXPECT_EQ(b.current.x, 0);
  EXPECT_EQ(b.min_x, 0);
  EXPECT_EQ(b.max_y, 0);
}

TEST(OutlineBuilder, LineWithoutMoveStartsContourAtItsEnd) {
  OutlineBuilder b;
  b.line_to({3, 4});
  EXPECT_EQ(b.segments.size, 0u);
  EXPECT_TRUE(b.contour_open);
  EXPECT_EQ(b.contour_start.x, 3);
  EXPECT_EQ(b.contour_start.y, 4);
  EXPECT_EQ(b.current.x, 3);
  EXPECT_EQ(b.current.y, 4);
  expect_bounds(b, 3, 4, 3, 4);
}

TEST(OutlineBuilder, MoveClosesOpenContourAndCloseAddsFinalEdge) {
  OutlineBuilder b;
  b.move_to({0, 0});   // A
  b.line_to({4, 0});   // B
  b.line_to({4, 3});   // C
  b.move_to({10, 10}); // D closes A-B-C with C->A
  b.line_to({12, 10}); // E
  b.close_contour();   // E->D
  const std::vector<Edge> expected = {
      {0, 0, 4, 0}, {4, 0, 4, 3}, {4, 3, 0, 0}, {10, 10, 12, 10}, {12, 10, 10, 10}};
  EXPECT_EQ(edges_of(b), expected);
  EXPECT_FALSE(b.contour_open);
  EXPECT_EQ(b.current.x, 10);
  EXPECT_EQ(b.current.y, 10);
}

TEST(OutlineBuilder, NoZeroLengthEdges) {
  OutlineBuilder b;
  b.move_to({1, 1});
  b.line_to({1, 1}); // repeats the pen position
  b.line_to({2, 1});
  b.line_to({2, 1});
  b.line_to({1, 1}); // back at the start
  b.close_contour(); // nothing left to close
  b.close_contour(); // a second close is a no-op
  const std::vector<Edge> expected = {{1, 1, 2, 1}, {2, 1, 1, 1}};
  EXPECT_EQ(edges_of(b), expected);
  // A move right after a closed contour adds nothing either.
  b.move_to({5, 5});
  EXPECT_EQ(b.segments.size, 2u);
}

TEST(OutlineBuilder, HorizontalEdgesAreStored) {
  OutlineBuilder b;
  b.move_to({0, 0});
  b.line_to({5, 0});
  EXPECT_EQ(b.segments.size, 1u);
}

TEST(OutlineBuilder, BoundsCoverEveryPointIncludingStrayMoves) {
  OutlineBuilder b;
  b.move_to({1, 2});
  expect_bounds(b, 1, 2, 1, 2); // the first point gives a box of zero size
  b.line_to({5, 6});
  b.line_to({3, 3}); // inside: unchanged
  expect_bounds(b, 1, 2, 5, 6);
  b.move_to({-7, 40}); // stray move, no edge, still widens the box
  b.move_to({0, 0});
  expect_bounds(b, -7, 0, 5, 40);
  b.line_to({0, 0}); // repeated point: no edge, bounds updated anyway (already inside)
  b.line_to({-20, -1});
  expect_bounds(b, -20, -1, 5, 40);
}

TEST(OutlineBuilder, NanCoordinatesLeaveBoundsAlone) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  OutlineBuilder b;
  b.move_to({1, 1});
  b.line_to({nan, 3});
  b.line_to({2, nan});
  expect_bounds(b, 1, 1, 2, 3);
  // A NaN pen position never equals anything, so edges keep coming.
  EXPECT_EQ(b.segments.size, 2u);
}

TEST(Flatten, ControlPointOnChordGivesOneEdge) {
  OutlineBuilder b;
  b.move_to({0, 0});
  flatten_quadratic(b, {0, 0}, {50, 50}, {100, 100});
  const std::vector<Edge> expected = {{0, 0, 100, 100}};
  EXPECT_EQ(edges_of(b), expected);
}

TEST(Flatten, FlatnessThresholdInPixels) {
  struct Case {
    double offset;
    bool split;
  };
  // The control point sits `offset` pixels above the middle of a 10-pixel chord.
  for (const Case c : {Case{0.3, false}, Case{0.35, false}, Case{0.36, true}, Case{0.4, true}}) {
    OutlineBuilder b;
    b.move_to({0, 0});
    flatten_quadratic(b, {0, 0}, {5, c.offset}, {10, 0});
    EXPECT_EQ(b.segments.size > 1, c.split) << "offset " << c.offset;
    expect_chain(b, {0, 0}, {10, 0});
  }
}

TEST(Flatten, FarControlPointStopsAtDepthTen) {
  OutlineBuilder b;
  b.move_to({0, 0});
  flatten_quadratic(b, {0, 0}, {1e7, 1e7}, {2e7, 0});
  EXPECT_EQ(b.segments.size, 1024u);
  expect_chain(b, {0, 0}, {2e7, 0});
  // Edges follow the curve from p0 to p2: x grows monotonically on this curve.
  for (unsigned long k = 0; k < b.segments.size; ++k)
    EXPECT_LT(b.segments.data[k].p0.x, b.segments.data[k].p1.x);
}

TEST(Flatten, NanControlPointSplitsToFullDepth) {
  OutlineBuilder b;
  b.move_to({0, 0});
  flatten_quadratic(b, {0, 0}, {std::nan(""), 1}, {4, 0});
  EXPECT_EQ(b.segments.size, 1024u);
}

TEST(Flatten, EdgeEndsLieOnTheCurve) {
  // Subdivision at parameter middles puts every edge end exactly on the curve.
  OutlineBuilder b;
  const Point p0{0, 0}, p1{40, 80}, p2{100, 0};
  b.move_to(p0);
  flatten_quadratic(b, p0, p1, p2);
  EXPECT_GT(b.segments.size, 4u);
  EXPECT_LT(b.segments.size, 64u);
  expect_chain(b, p0, p2);
  for (unsigned long k = 0; k < b.segments.size; ++k) {
    const LineSegment& s = b.segments.data[k];
    // Points of this curve satisfy y = 160 t (1 - t) with x = 80 t + 20 t^2.
    const double t = (-80 + std::sqrt(6400 + 80 * s.p1.x)) / 40;
    EXPECT_NEAR(s.p1.y, 160 * t * (1 - t), 1e-9);
  }
}

namespace {

// The subdivision as first defined, recursively: the flattening must make exactly its edges.
void flatten_by_recursion(OutlineBuilder& b, Point p0, Point p1, Point p2, int depth) {
  const Point m = midpoint(p0, p2);
  const double dx = p1.x - m.x, dy = p1.y - m.y;
  if (depth > 9 || dx * dx + dy * dy <= 0.35 * 0.35) {
    b.line_to(p2);
    return;
  }
  const Point q0 = midpoint(p0, p1), q1 = midpoint(p1, p2), r = midpoint(q0, q1);
  flatten_by_recursion(b, p0, q0, r, depth + 1);
  flatten_by_recursion(b, r, q1, p2, depth + 1);
}

} // namespace

TEST(FlattenQuadratic, SameEdgesAsTheRecursiveSubdivision) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  for (int curve = 0; curve < 2000; ++curve) {
    const double size = std::ldexp(1.0, curve % 24 - 4); // 1/16 to 2^19 pixels
    const Point p0{unit(random) * size, unit(random) * size};
    const Point p1{unit(random) * size, unit(random) * size};
    const Point p2{unit(random) * size, unit(random) * size};
    OutlineBuilder ours, expected;
    ours.move_to(p0);
    expected.move_to(p0);
    flatten_quadratic(ours, p0, p1, p2, curve % 3);
    flatten_by_recursion(expected, p0, p1, p2, curve % 3);
    ASSERT_EQ(ours.segments.size, expected.segments.size) << "curve " << curve;
    for (size_t k = 0; k < ours.segments.size; ++k) {
      const LineSegment& a = ours.segments.data[k];
      const LineSegment& e = expected.segments.data[k];
      ASSERT_TRUE(a.p0.x == e.p0.x && a.p0.y == e.p0.y && a.p1.x == e.p1.x && a.p1.y == e.p1.y)
          << "curve " << curve << " edge " << k;
    }
  }
}
