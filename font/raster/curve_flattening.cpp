#include "font/raster/curve_flattening.h"

namespace {

// A quadratic piece strays at most half its control point's offset from the chord's
// middle; a cubic piece at most 3/4 of its control points' offsets (see is_flat_cubic).
constexpr double kQuadraticControlOffset = 2.0 * kCurveTolerance;
constexpr double kCubicControlOffset = kQuadraticControlOffset * 2.0 / 3.0;
static_assert(kQuadraticControlOffset == 0.35 && kCubicControlOffset == 0.35 * 2.0 / 3.0);
constexpr double kQuadraticFlatnessSquared = kQuadraticControlOffset * kQuadraticControlOffset;
constexpr double kCubicFlatnessSquared = kCubicControlOffset * kCubicControlOffset;

struct QuadraticPiece {
  Point p0;
  Point p1;
  Point p2;
  int depth;
};

struct CubicPiece {
  Point p0;
  Point p1;
  Point p2;
  Point p3;
  int depth;
};

double squared_distance(const Point& a, const Point& b) {
  const double dx = a.x - b.x;
  const double dy = a.y - b.y;
  return dx * dx + dy * dy;
}

bool is_flat_quadratic(const QuadraticPiece& q) {
  const Point chord_middle = midpoint(q.p0, q.p2);
  const double dx = q.p1.x - chord_middle.x;
  const double dy = q.p1.y - chord_middle.y;
  return dx * dx + dy * dy <= kQuadraticFlatnessSquared;
}

// The point a third of the way from `a` to `b`.
Point third_of_the_way(const Point& a, const Point& b) {
  return {(2.0 * a.x + b.x) / 3.0, (2.0 * a.y + b.y) / 3.0};
}

// Flat when each control point lies near where a straight line, evenly parametrised,
// would put it. The curve minus that line is 3t(1-t)^2 d1 + 3t^2(1-t) d2 (d1, d2 the control
// points' offsets), whose weights sum to at most 3/4. NaN offsets are never flat.
bool is_flat_cubic(const CubicPiece& c) {
  return squared_distance(c.p1, third_of_the_way(c.p0, c.p3)) <= kCubicFlatnessSquared &&
         squared_distance(c.p2, third_of_the_way(c.p3, c.p0)) <= kCubicFlatnessSquared;
}

} // namespace

// Both flatteners subdivide depth first at the parameter middle (de Casteljau) with an
// explicit stack: the left half is refined at once and the right half waits, so the edges
// come out in curve order. Each level leaves at most one right half waiting: the stack
// holds at most kMaxCurveDepth + 1 pieces.
void flatten_quadratic(OutlineBuilder& b, const Point& p0, const Point& p1, const Point& p2,
                       int start_depth) {
  QuadraticPiece waiting[kMaxCurveDepth + 1];
  int waiting_count = 0;
  QuadraticPiece piece{p0, p1, p2, start_depth < 0 ? 0 : start_depth};
  for (;;) {
    if (piece.depth >= kMaxCurveDepth || is_flat_quadratic(piece)) {
      b.line_to(piece.p2);
      if (waiting_count == 0)
        return;
      piece = waiting[--waiting_count];
      continue;
    }
    const Point q0 = midpoint(piece.p0, piece.p1);
    const Point q1 = midpoint(piece.p1, piece.p2);
    const Point split = midpoint(q0, q1);
    waiting[waiting_count++] = QuadraticPiece{split, q1, piece.p2, piece.depth + 1};
    piece = QuadraticPiece{piece.p0, q0, split, piece.depth + 1};
  }
}

unsigned int flatten_cubic(OutlineBuilder& b, const Point& p0, const Point& p1, const Point& p2,
                           const Point& p3) {
  CubicPiece waiting[kMaxCurveDepth + 1];
  int waiting_count = 0;
  unsigned int edges = 0;
  CubicPiece piece{p0, p1, p2, p3, 0};
  for (;;) {
    if (piece.depth >= kMaxCurveDepth || is_flat_cubic(piece)) {
      b.line_to(piece.p3);
      ++edges;
      if (waiting_count == 0)
        return edges;
      piece = waiting[--waiting_count];
      continue;
    }
    const Point a = midpoint(piece.p0, piece.p1);
    const Point m = midpoint(piece.p1, piece.p2);
    const Point c = midpoint(piece.p2, piece.p3);
    const Point ab = midpoint(a, m);
    const Point bc = midpoint(m, c);
    const Point split = midpoint(ab, bc);
    waiting[waiting_count++] = CubicPiece{split, bc, c, piece.p3, piece.depth + 1};
    piece = CubicPiece{piece.p0, a, ab, split, piece.depth + 1};
  }
}
