#include "font/raster/cubic_curve.h"

namespace {

// The same limits as the quadratic flattening (font/raster/outline.cpp), on how far the
// curve may stray from its edges: a quadratic piece is flat when its control point lies
// within 0.35 pixel of the chord's middle, where the curve strays at most half of that
// (0.175 pixel). A cubic piece strays at most 3/4 of its control points' offset (below), so
// the offset allowed is 0.175 / (3/4) = 0.35 * 2/3 pixel.
constexpr double kControlOffset = 0.35 * 2.0 / 3.0;
constexpr double kFlatnessSquared = kControlOffset * kControlOffset;
constexpr int kMaxFlattenDepth = 10;

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

// The point a third of the way from `a` to `b`.
Point third_of_the_way(const Point& a, const Point& b) {
  return {(2.0 * a.x + b.x) / 3.0, (2.0 * a.y + b.y) / 3.0};
}

// Flat when each control point lies near where a straight line, evenly parametrised,
// would put it. The curve minus that line is 3t(1-t)^2 d1 + 3t^2(1-t) d2 (d1, d2 the control
// points' offsets), whose weights sum to at most 3/4. NaN offsets are never flat.
bool is_flat(const CubicPiece& c) {
  return squared_distance(c.p1, third_of_the_way(c.p0, c.p3)) <= kFlatnessSquared &&
         squared_distance(c.p2, third_of_the_way(c.p3, c.p0)) <= kFlatnessSquared;
}

} // namespace

// Depth-first subdivision at the parameter middle (de Casteljau) with an explicit stack:
// the left half is refined at once and the right half waits, so the edges come out in curve
// order. Each level leaves at most one right half waiting: the stack holds at most
// kMaxFlattenDepth + 1 pieces.
unsigned int flatten_cubic(OutlineBuilder& b, const Point& p0, const Point& p1, const Point& p2,
                           const Point& p3) {
  CubicPiece waiting[kMaxFlattenDepth + 1];
  int waiting_count = 0;
  unsigned int edges = 0;
  CubicPiece piece{p0, p1, p2, p3, 0};
  for (;;) {
    if (piece.depth >= kMaxFlattenDepth || is_flat(piece)) {
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
