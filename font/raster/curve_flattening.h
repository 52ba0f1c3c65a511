// Curves flattened into an outline builder as straight edges: quadratic curves (glyf
// outlines) and cubic curves (Type 2 and Type 1 charstrings), with one tolerance and one
// depth bound for both.
#pragma once
#include "font/raster/outline.h"

// How far a curve may stray from the edges that replace it, in pixels.
inline constexpr double kCurveTolerance = 0.175;
// Subdivision stops at this depth whatever the curve: at most 2^10 = 1024 edges per curve.
inline constexpr int kMaxCurveDepth = 10;

// Appends the quadratic curve p0-p1-p2 as edges by midpoint subdivision: a piece is drawn
// as its chord once its control point lies within 2 * kCurveTolerance (0.35 pixel) of the
// chord's middle, where the curve strays at most half of that. The pen must be at p0.
// `start_depth` counts levels already spent against kMaxCurveDepth (a negative one counts
// as 0); the glyph formats start at 0.
void flatten_quadratic(OutlineBuilder& b, const Point& p0, const Point& p1, const Point& p2,
                       int start_depth = 0);

// Appends the cubic curve p0-p1-p2-p3 as edges by midpoint subdivision: a piece is drawn
// as its chord once both control points lie within kCurveTolerance / (3/4) (0.35 * 2/3
// pixel) of the chord's points at one and two thirds. The pen must be at p0. Returns the
// number of edges the curve was cut into (its work).
unsigned int flatten_cubic(OutlineBuilder& b, const Point& p0, const Point& p1, const Point& p2,
                           const Point& p3);
