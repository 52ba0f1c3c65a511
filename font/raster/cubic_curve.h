// Cubic Bezier curves (Type 2 and Type 1 charstrings) flattened into an outline builder.
#pragma once
#include "font/raster/outline.h"

// Appends the cubic curve p0-p1-p2-p3 as edges by midpoint subdivision, with the flatness
// rule of the quadratic curves: a piece is drawn as its chord once both control points lie
// within 0.35 pixel of the chord's points at one and two thirds (the curve then strays at
// most 3/4 of that from the chord), or at depth 10 (at most 1024 edges). The builder's pen
// must be at p0. Returns the number of edges the curve was cut into (its work).
unsigned int flatten_cubic(OutlineBuilder& b, const Point& p0, const Point& p1, const Point& p2,
                           const Point& p3);
