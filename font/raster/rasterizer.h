// Coverage rasterizer: 4 x 4 samples per pixel, non-zero winding, swept one pixel row (four
// sample rows) at a time over the edges that cross it.
#pragma once
#include <stdint.h>

#include "containers/vector.h"
#include "font/glyph_bitmap.h"
#include "font/glyph_budget.h"
#include "font/glyph_limits.h"
#include "font/raster/crossing_count.h"
#include "font/raster/crossing_sort.h"
#include "font/raster/outline.h"

// An edge prepared for the sweep: the segment as given (start and difference, so the
// crossing is computed from exactly the operands of the winding rule) and its sample rows.
struct SweepEdge {
  double x0;
  double y0;
  double dx;         // x1 - x0
  double dy;         // y1 - y0, never 0
  double slope;      // dx / dy, for the division-free estimate of the crossing
  double tolerance;  // bound on that estimate's error in sample columns (+inf: none)
  int32_t first_row; // first sample row the edge spans
  int32_t end_row;   // first sample row past the edge
  int32_t next;      // next edge starting in the same pixel row, or -1
  uint32_t winding;  // 1 upward, 0 downward
};

// Storage the rasterizer reuses from one glyph to the next.
struct RasterScratch {
  dv::vector<SweepEdge> edges;
  dv::vector<int32_t> first_edge_of_pixel_row; // -1 when no edge starts in the pixel row
  dv::vector<int32_t> active;                  // edges crossing the current pixel row
  dv::vector<uint32_t> row_crossings;          // three sample rows' keys, room for each edge
  dv::vector<uint64_t> last_row_crossings;     // the fourth's, each with its edge
  dv::vector<int32_t> coverage_steps;          // per pixel of a row: change in covered samples
  dv::vector<int32_t> row_counts;              // per sample row, for count_crossings
};

// Bytes of storage the scratch holds.
size_t held_bytes(const RasterScratch& scratch);

// Scratch storage a backend keeps from one glyph to the next: a glyph that leaves more
// behind (hundreds of thousands of edges, or thousands of pixels wide) gives it all back.
constexpr size_t kMaxKeptScratchBytes = size_t{1} << 20;

// Turns the outline's edges into a coverage bitmap with a one-pixel empty margin around
// the outline's bounds. `advance` is copied into the result unchanged. Pays from `budget`
// one unit per edge, the sweep's work as count_crossings counts it, and one unit and one
// byte of bitmap per pixel of the frame, each before the work or the allocation it pays
// for; when the budget cannot pay, the bitmap comes back empty and the budget exhausted.
// Past the bitmap and crossing limits of font/glyph_limits.h it comes back empty as well,
// paid for what was counted, with the budget refused (exhausted). An outline with nothing
// to draw (no edges, or a NaN first point) gives an empty bitmap and leaves the budget
// usable.
GlyphBitmap rasterize_outline(const OutlineBuilder& outline, double advance, RasterScratch& scratch,
                              GlyphBudget& budget);
// With fresh scratch storage, or a budget no glyph exhausts.
GlyphBitmap rasterize_outline(const OutlineBuilder& outline, double advance,
                              RasterScratch& scratch);
GlyphBitmap rasterize_outline(const OutlineBuilder& outline, double advance);

// The bitmap rasterize_outline would return with the same budget, without its pixels,
// having paid from `budget` exactly what it pays: the frame from the outline's bounds and
// the crossings counted edge by edge, with no edge prepared and no row swept.
GlyphBitmap measure_outline(const OutlineBuilder& outline, double advance, GlyphBudget& budget);
