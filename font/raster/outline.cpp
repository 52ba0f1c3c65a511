#include "font/raster/outline.h"

namespace {

// Exact comparison: a NaN coordinate makes two points different.
bool same_point(const Point& a, const Point& b) {
  return a.x == b.x && a.y == b.y;
}

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
