// Light, vertical-only grid fitting of one glyph: its horizontal edges that lie in a blue
// zone go to the zone's row, the strokes its other edges bound get a whole number of rows
// (at least one) at a whole row, and everything else follows by the warp between them.
#pragma once
#include "containers/vector.h"
#include "font/hinting/blue_zones.h"
#include "font/hinting/horizontal_edges.h"
#include "font/hinting/vertical_warp.h"

// Fits `edges` (their `fitted` and `target` are overwritten) and pins the warp (cleared
// first) to the fitted heights. The zone edges come first, then the strokes, each kept only
// when it keeps the order of what was pinned before.
void fit_edges_to_grid(const BlueZones& zones, dv::vector<HorizontalEdge>& edges,
                       VerticalWarp& warp);
