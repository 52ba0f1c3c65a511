// Cubic Bezier curves (Type 2 and Type 1 charstrings) flattened into an outline builder.
#pragma once
#include "font/raster/outline.h"

// Appends the cubic curve p0-p1-p2-p3 as edges by midpoint subdivision, with the tolerance
// and depth bound of the quadratic curves: a piece is drawn as its chord once the curve
// strays at most 0.175 pixel from it, which holds when both control points lie within
// 0.35 * 2/3 pixel of the chord's points at one and two thirds, or at depth 10 (at most
// 1024 edges). The builder's pen
// must be at p0. Returns the number of edges the curve was cut into (its work).
unsigned int flatten_cubic(OutlineBuilder& b, const Point& p0, const Point& p1, const Point& p2,
                           const Point& p3);
