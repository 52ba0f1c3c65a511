// The horizontal edges of a glyph's flattened outline: runs of edges that travel roughly
// horizontally, each a flat stretch or the rounded top or bottom of a curve, told apart by
// which side the ink lies on.
#pragma once
#include "containers/vector.h"
#include "font/raster/outline.h"

struct HorizontalEdge {
  double y;     // the flat height, or the extreme of a rounded run, in pixels (y up)
  double x_min; // the horizontal extent of the run
  double x_max;
  double length; // horizontal distance travelled, in pixels
  bool top;      // ink lies below (the upper side of a stroke), else above
  bool fitted;   // set by the fitting: `target` holds where the edge goes
  double target;
};

// Appends the outline's horizontal edges to `edges` (cleared first). Stops, returning
// false, once more than `max_edges` were found: the outline is too intricate to hint.
bool find_horizontal_edges(const OutlineBuilder& outline, size_t max_edges,
                           dv::vector<HorizontalEdge>& edges);
