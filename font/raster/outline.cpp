#include "font/raster/outline.h"

namespace {

// Exact comparison: a NaN coordinate makes two points different.
bool same_point(const Point& a, const Point& b) {
  return a.x == b.x && a.y == b.y;
}

// The flatness limit, compared against squared distances (0.35 pixel).
constexpr double kFlatnessSquared = 0.35 * 0.35;
constexpr int kMaxFlattenDepth = 10;

} // namespace

Point midpoint(const Point& a, const Point& b) {
  return {(a.x + b.x) * 0.5, (a.y + b.y) * 0.5};
}

Point transform_point(const AffineTransform& t, const Point& p) {
  return {t.xx * p.x + t.xy * p.y + t.dx, t.yx * p.x + t.yy * p.y + t.dy};
}

void OutlineBuilder::move_to(const Point& p) {
  if (contour_open && !same_point(current, contour_start))
    line_to(contour_start);
  contour_start = p;
  current = p;
  contour_open = true;
  update_bounds(p);
}

void OutlineBuilder::line_to(const Point& p) {
  if (!contour_open) {
    move_to(p);
    return;
  }
  if (!same_point(p, current)) {
    add_segment(current, p);
    current = p;
  }
  update_bounds(p);
}

void OutlineBuilder::close_contour() {
  if (contour_open && !same_point(current, contour_start))
    add_segment(current, contour_start);
  contour_open = false;
  current = contour_start;
}

void OutlineBuilder::add_segment(const Point& from, const Point& to) {
  if (segments.size >= kMaxOutlineSegments) {
    overflowed = true;
    return;
  }
  segments.push_back(LineSegment{from, to});
}

void OutlineBuilder::update_bounds(const Point& p) {
  if (!has_bounds) {
    min_x = max_x = p.x;
    min_y = max_y = p.y;
    has_bounds = true;
    return;
  }
  // Written so that a NaN on either side keeps the existing bound.
  min_x = p.x < min_x ? p.x : min_x;
  max_x = p.x > max_x ? p.x : max_x;
  min_y = p.y < min_y ? p.y : min_y;
  max_y = p.y > max_y ? p.y : max_y;
}

// Depth-first midpoint subdivision with an explicit stack instead of recursion: the left
// half is refined at once and the right half waits on the stack, so the flatness tests,
// the split points and the order of the edges are those of the recursive definition. Each
// level leaves at most one right half waiting, so the stack never holds more than
// kMaxFlattenDepth + 1 pieces. A negative depth counts as 0 (callers pass 0).
void flatten_quadratic_recursive(OutlineBuilder& b, const Point& p0, const Point& p1,
                                 const Point& p2, int depth) {
  struct Piece {
    Point p0;
    Point p1;
    Point p2;
    int depth;
  };
  Piece waiting[kMaxFlattenDepth + 1];
  int waiting_count = 0;
  Piece piece{p0, p1, p2, depth < 0 ? 0 : depth};
  for (;;) {
    const Point chord_middle = midpoint(piece.p0, piece.p2);
    const double dx = piece.p1.x - chord_middle.x;
    const double dy = piece.p1.y - chord_middle.y;
    if (piece.depth >= kMaxFlattenDepth || dx * dx + dy * dy <= kFlatnessSquared) {
      b.line_to(piece.p2);
      if (waiting_count == 0)
        return;
      piece = waiting[--waiting_count];
      continue;
    }
    const Point q0 = midpoint(piece.p0, piece.p1);
    const Point q1 = midpoint(piece.p1, piece.p2);
    const Point split = midpoint(q0, q1);
    waiting[waiting_count++] = Piece{split, q1, piece.p2, piece.depth + 1};
    piece = Piece{piece.p0, q0, split, piece.depth + 1};
  }
}
