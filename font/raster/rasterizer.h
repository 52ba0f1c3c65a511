// Coverage rasterizer: 4 x 4 samples per pixel, non-zero winding, swept one sample row at
// a time over the edges that cross it.
#pragma once
#include <stdint.h>

#include "containers/vector.h"
#include "font/font_api.h"
#include "font/raster/crossing_sort.h"
#include "font/raster/outline.h"

// Bitmaps larger than this come back empty (no pixels, only the advance): outlines that
// big only arise from absurd sizes or hostile fonts, and would otherwise ask for gigabytes.
constexpr long long kMaxBitmapSide = 16384;
constexpr long long kMaxBitmapPixels = 1LL << 24;

// The work of a bitmap is one crossing per edge and sample row it spans, plus its pixels.
// Beyond this many crossings the bitmap comes back empty, so a hostile outline (many long
// edges) cannot stall the caller. A real glyph crosses a sample row a few dozen times at
// most, so even 2^16 sample rows (16,384 pixels) stay far below it.
constexpr unsigned long long kMaxCrossings = 1ULL << 25;

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
  uint64_t work = 0;                           // what the last rasterize_outline call spent

  // Bytes of storage held between glyphs.
  size_t held_bytes() const;
};

// Turns the outline's edges into a coverage bitmap with a one-pixel empty margin around
// the outline's bounds. `advance` is copied into the result unchanged. Sets `scratch.work`
// to what it cost: one unit per edge, per crossing of an edge with a sample row and per
// pixel of the sampled frame (also when the bitmap comes back empty past a limit).
GlyphBitmap rasterize_outline(const OutlineBuilder& outline, double advance,
                              RasterScratch& scratch);
GlyphBitmap rasterize_outline(const OutlineBuilder& outline, double advance);
