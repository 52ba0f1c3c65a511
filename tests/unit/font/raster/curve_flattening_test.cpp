#include "font/raster/curve_flattening.h"

#include "unit/font/raster/edge_chain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

Point cubic_at(const Point (&p)[4], double t) {
  const double s = 1 - t;
  const double w0 = s * s * s, w1 = 3 * s * s * t, w2 = 3 * s * t * t, w3 = t * t * t;
  return {w0 * p[0].x + w1 * p[1].x + w2 * p[2].x + w3 * p[3].x,
          w0 * p[0].y + w1 * p[1].y + w2 * p[2].y + w3 * p[3].y};
}

unsigned int flatten(OutlineBuilder& b, const Point (&p)[4]) {
  b.move_to(p[0]);
  return flatten_cubic(b, p[0], p[1], p[2], p[3]);
}

} // namespace

TEST(FlattenCubic, EvenlySpacedControlPointsGiveOneEdge) {
  OutlineBuilder b;
  EXPECT_EQ(flatten(b, {{0, 0}, {30, 10}, {60, 20}, {90, 30}}), 1u);
  ASSERT_EQ(b.segments.size, 1u);
  EXPECT_EQ(b.segments.data[0].p1.x, 90);
}

TEST(FlattenCubic, FlatnessThresholdOnEitherControlPoint) {
  struct Case {
    double first_offset;
    double second_offset;
    bool split;
  };
  for (const Case c : {Case{0.23, 0, false}, Case{0, 0.23, false}, Case{0.23, -0.23, false},
                       Case{0.24, 0, true}, Case{0, -0.24, true}}) {
    OutlineBuilder b;
    const unsigned int edges =
        flatten(b, {{0, 0}, {3, c.first_offset}, {6, c.second_offset}, {9, 0}});
    EXPECT_EQ(edges > 1, c.split) << c.first_offset << " " << c.second_offset;
    EXPECT_EQ(edges, b.segments.size);
  }
}

TEST(FlattenCubic, FarControlPointsStopAtDepthTen) {
  OutlineBuilder b;
  EXPECT_EQ(flatten(b, {{0, 0}, {1e7, 1e7}, {-1e7, 1e7}, {2e7, 0}}), 1024u);
  EXPECT_EQ(b.segments.size, 1024u);
  expect_chain(b, {0, 0}, {2e7, 0});
}

TEST(FlattenCubic, NanControlPointSplitsToFullDepth) {
  OutlineBuilder b;
  EXPECT_EQ(flatten(b, {{0, 0}, {std::nan(""), 1}, {2, 1}, {4, 0}}), 1024u);
}

// Every edge end lies on the curve, and the curve strays from the edges by at most the
// quadratic curves' 0.175 pixel.
TEST(FlattenCubic, EdgesFollowTheCurveWithinTolerance) {
  std::mt19937 random(23);
  std::uniform_real_distribution<double> coordinate(-60, 60);
  for (int curve = 0; curve < 200; ++curve) {
    Point p[4];
    for (Point& q : p)
      q = {coordinate(random), coordinate(random)};
    OutlineBuilder b;
    flatten(b, p);
    expect_chain(b, p[0], p[3]);
    // The distance of dense points of the curve to the nearest edge.
    double worst = 0;
    for (int k = 0; k <= 4000; ++k) {
      const Point c = cubic_at(p, k / 4000.0);
      double nearest = INFINITY;
      for (unsigned long e = 0; e < b.segments.size; ++e) {
        const LineSegment& s = b.segments.data[e];
        const double dx = s.p1.x - s.p0.x, dy = s.p1.y - s.p0.y;
        const double len2 = dx * dx + dy * dy;
        double t = len2 > 0 ? ((c.x - s.p0.x) * dx + (c.y - s.p0.y) * dy) / len2 : 0;
        t = t < 0 ? 0 : (t > 1 ? 1 : t);
        nearest = std::fmin(nearest, std::hypot(s.p0.x + t * dx - c.x, s.p0.y + t * dy - c.y));
      }
      worst = std::fmax(worst, nearest);
    }
    EXPECT_LE(worst, 0.175 + 1e-9) << "curve " << curve;
  }
}
