// Glyph outlines in pixel space: points, directed edges, affine maps and the builder that
// collects closed contours as straight edges together with the bounds of every point given.
#pragma once
#include "containers/vector.h"
#include "font/glyph_limits.h"

struct Point {
  double x;
  double y;
};

// One directed edge; the rasterizer takes the winding sign from its direction.
struct LineSegment {
  Point p0;
  Point p1;
};

// Maps (x, y) to (xx*x + xy*y + dx, yx*x + yy*y + dy).
struct AffineTransform {
  double xx;
  double xy;
  double yx;
  double yy;
  double dx;
  double dy;
};

inline Point midpoint(const Point& a, const Point& b) {
  return {(a.x + b.x) * 0.5, (a.y + b.y) * 0.5};
}

inline Point transform_point(const AffineTransform& t, const Point& p) {
  return {t.xx * p.x + t.xy * p.y + t.dx, t.yx * p.x + t.yy * p.y + t.dy};
}

// Collects contours as edges. A contour left open is closed by the next move_to or by
// close_contour. The bounds include every point given, even those that made no edge.
// Edges past kMaxOutlineSegments (font/glyph_limits.h) are not stored (so their storage
// stays within 8 MiB); `overflowed` tells that some were dropped.
struct OutlineBuilder {
  dv::vector<LineSegment> segments;
  bool overflowed = false;
  bool contour_open = false;
  bool has_bounds = false;
  Point contour_start = {0.0, 0.0};
  Point current = {0.0, 0.0};
  double min_x = 0.0;
  double max_x = 0.0;
  double min_y = 0.0;
  double max_y = 0.0;

  void move_to(const Point& p);
  void close_contour();

  // Inline: the glyph decoders and curve flatteners call it for every edge.
  [[gnu::always_inline]] void line_to(const Point& p) {
    if (!contour_open) {
      move_to(p);
      return;
    }
    // Exact comparison: a NaN coordinate makes two points different.
    if (p.x != current.x || p.y != current.y) {
      add_segment(current, p);
      current = p;
    }
    update_bounds(p);
  }

  void update_bounds(const Point& p) {
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

private:
  void add_segment(const Point& from, const Point& to) {
    if (segments.size >= kMaxOutlineSegments) {
      overflowed = true;
      return;
    }
    segments.push_back(LineSegment{from, to});
  }
};
