// A monotone vertical warp: heights of the outline (`from`) pinned to new heights (`to`),
// every other height moved linearly between the pins around it, and by the nearest pin's
// shift beyond the outermost ones. Pins keep their order, so the warp never folds the
// outline over itself: x is untouched and y keeps its order, which keeps every contour
// simple and every winding what it was.
#pragma once
#include "containers/vector.h"
#include "font/raster/outline.h"

struct WarpPin {
  double from;
  double to;
  double slope = 0.0; // (to - from) of the next pin over theirs; set by VerticalWarp::finish
};

// Pins sorted by `from`, strictly increasing in both `from` and `to`.
struct VerticalWarp {
  dv::vector<WarpPin> pins;

  // Adds a pin unless it would break the order (or a pin of the same height already moves
  // elsewhere); true when the warp holds it afterwards.
  bool pin(double from, double to);
  // Adds both pins or neither.
  bool pin_pair(const WarpPin& low, const WarpPin& high);
  // Prepares the pins for apply, after the last was added.
  void finish();
  double apply(double y) const;
};

// Moves every edge end and the bounds of `outline` through the warp.
void warp_outline(const VerticalWarp& warp, OutlineBuilder& outline);
