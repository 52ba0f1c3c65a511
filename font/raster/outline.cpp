#include "font/raster/outline.h"

namespace {

// Exact comparison: a NaN coordinate makes two points different.
bool same_point(const Point& a, const Point& b) {
  return a.x == b.x && a.y == b.y;
}

} // namespace

void OutlineBuilder::move_to(const Point& p) {
  if (contour_open && !same_point(current, contour_start))
    line_to(contour_start);
  contour_start = p;
  current = p;
  contour_open = true;
  update_bounds(p);
}

void OutlineBuilder::close_contour() {
  if (contour_open && !same_point(current, contour_start))
    add_segment(current, contour_start);
  contour_open = false;
  current = contour_start;
}
