#include "font/raster/rasterizer.h"

#include "font/raster/sample_grid.h"
#include "runtime/math.h"

namespace {

constexpr int32_t kSamplesPerAxis = 4;
constexpr int32_t kNoEdge = -1;
// The key of a crossing whose position is NaN: it lies right of no sample, so it counts
// nowhere, and it sorts after every real crossing.
constexpr uint32_t kNoCrossing = 0xFFFFFFFFu;
// floor and ceil are exact only inside the 32-bit integer range.
constexpr double kCoordinateLimit = 2147483648.0;

// count * 255 / 16 for every count of covered samples.
constexpr unsigned char kCoverage[kSamplesPerAxis * kSamplesPerAxis + 1] = {
    0, 15, 31, 47, 63, 79, 95, 111, 127, 143, 159, 175, 191, 207, 223, 239, 255};

struct PixelGrid {
  long long left;
  long long top;
  long long width;
  long long height;
};

bool within_coordinate_range(double value) {
  return value > -kCoordinateLimit && value < kCoordinateLimit;
}

// The pixel frame around the outline's bounds, or false when there is none to draw (no
// bounds within the 32-bit range, or a bitmap beyond the size limits).
bool grid_for_bounds(const OutlineBuilder& outline, PixelGrid& grid) {
  if (!within_coordinate_range(outline.min_x) || !within_coordinate_range(outline.max_x) ||
      !within_coordinate_range(outline.min_y) || !within_coordinate_range(outline.max_y))
    return false;
  const auto fx0 = static_cast<long long>(dv::floor(outline.min_x));
  const auto fx1 = static_cast<long long>(dv::ceil(outline.max_x));
  const auto fy0 = static_cast<long long>(dv::floor(outline.min_y));
  const auto fy1 = static_cast<long long>(dv::ceil(outline.max_y));
  grid.width = fx1 - fx0 + 2;
  grid.height = fy1 - fy0 + 2;
  grid.left = fx0 - 1;
  grid.top = fy1 + 1;
  if (grid.width <= 0 || grid.height <= 0)
    return false;
  if (grid.width > kMaxBitmapSide || grid.height > kMaxBitmapSide ||
      grid.width * grid.height > kMaxBitmapPixels)
    return false;
  return grid.left >= -kCoordinateLimit && grid.top < kCoordinateLimit;
}

// Edges whose coordinates and differences stay below this take the division-free
// estimate; nothing in it can overflow and its error bound holds.
constexpr double kEstimateRange = 1099511627776.0; // 2^40
// 2^-46: the estimate's error bound per unit of coordinate magnitude (see columns_left).
constexpr double kEstimateError = 1.0 / 70368744177664.0;

double magnitude(double value) {
  return value < 0 ? -value : value;
}

// The error bound of columns_left's estimate for an edge starting at x0 with differences
// dx and dy, or +inf when the edge is outside the estimate's range (or has a NaN).
double estimate_tolerance(double x0, double dx, double dy, double first_x) {
  if (!(magnitude(x0) < kEstimateRange && magnitude(dx) < kEstimateRange &&
        magnitude(dy) < kEstimateRange))
    return __builtin_inf();
  return kEstimateError * (magnitude(x0) + magnitude(dx) + magnitude(first_x) + 1.0);
}

// Prepares every edge that spans a sample row and lists it under the first row it spans.
// Counts the crossings of all edges together into `crossings`; false when they exceed
// kMaxCrossings.
bool prepare_edges(const OutlineBuilder& outline, const SampleGrid& grid, RasterScratch& s,
                   unsigned long long& crossings) {
  // At most one edge per segment, and every edge at most once in the active list: both
  // arrays get that room here and are filled through their data below (plain structs).
  s.edges.clear();
  s.edges.reserve(outline.segments.size);
  s.active.reserve(outline.segments.size);
  s.first_edge_of_row.assign(static_cast<size_t>(grid.rows), kNoEdge);
  SweepEdge* edges = s.edges.data;
  size_t edge_count = 0;
  crossings = 0;
  const LineSegment* segments = outline.segments.data;
  for (size_t k = 0; k < outline.segments.size; ++k) {
    const Point p0 = segments[k].p0;
    const Point p1 = segments[k].p1;
    int32_t first = 0;
    int32_t end = 0;
    if (!spanned_rows(p0, p1, grid, first, end))
      continue;
    const bool upward = p0.y < p1.y;
    crossings += static_cast<unsigned long long>(end - first);
    if (crossings > kMaxCrossings)
      break;
    const double dx = p1.x - p0.x;
    const double dy = p1.y - p0.y;
    edges[edge_count] = SweepEdge{p0.x,
                                  p0.y,
                                  dx,
                                  dy,
                                  dx / dy,
                                  estimate_tolerance(p0.x, dx, dy, grid.first_x),
                                  end,
                                  s.first_edge_of_row.data[first],
                                  upward ? 1u : 0u};
    s.first_edge_of_row.data[first] = static_cast<int32_t>(edge_count++);
  }
  s.edges.size = edge_count;
  return crossings <= kMaxCrossings;
}

// Covered samples of one pixel row, gathered span by span over its four sample rows: the
// pixel at column p holds partial[p] plus the running sum of steps[0..p].
struct RowCover {
  int32_t* partial;
  int32_t* steps;
  int32_t width;
  int32_t low = 0x7fffffff; // lowest and highest index written since the last flush
  int32_t high = -1;

  // Covers sample columns from..to-1 (from < to).
  void add_span(int32_t from, int32_t to) {
    const int32_t first_pixel = from >> 2;
    const int32_t last_pixel = to >> 2; // may be `width` when the span ends at the right
    if (first_pixel == last_pixel) {
      partial[first_pixel] += to - from;
    } else {
      partial[first_pixel] += kSamplesPerAxis - (from & 3);
      steps[first_pixel + 1] += kSamplesPerAxis;
      steps[last_pixel] -= kSamplesPerAxis;
      partial[last_pixel] += to & 3;
    }
    low = first_pixel < low ? first_pixel : low;
    high = last_pixel > high ? last_pixel : high;
  }

  // Writes the row's coverage values and clears what was gathered, in one pass. Only a
  // span ending at the right edge writes index `width`, which has no pixel.
  void flush(unsigned char* out) {
    const int32_t last = high < width ? high : width - 1;
    int32_t covered = 0;
    for (int32_t p = low; p <= last; ++p) {
      covered += steps[p];
      out[p] = kCoverage[covered + partial[p]];
      steps[p] = 0;
      partial[p] = 0;
    }
    if (high == width) {
      steps[width] = 0;
      partial[width] = 0;
    }
    low = 0x7fffffff;
    high = -1;
  }
};

// The number of sample columns the crossing of `edge` with the sample row at `sy` lies
// right of: the winding rule's own expression, and the count settled by its comparison.
// -1 when the crossing is NaN (it lies right of no sample and counts nowhere).
int32_t exact_columns_left(const SweepEdge& edge, double sy, const SampleGrid& grid) {
  const double crossing = edge.x0 + edge.dx * (sy - edge.y0) / edge.dy;
  if (crossing != crossing)
    return -1;
  return grid.columns_left_of(crossing);
}

// The same count, usually without the division. With u = sy - y0 (|u| <= |dy| on the
// edge's rows), the exact crossing is c = x0 (+) ((dx (*) u) (/) dy) and the estimate
// e = x0 (+) (u (*) (dx (/) dy)), each operation rounded. Both quotients are within
// 2 ulp of dx u / dy, whose magnitude is at most |dx|, so |c - e| <= 2^-50 |dx| plus the
// rounding of the two sums, 2^-52 (|x0| + |dx|); the difference from the first sample
// column, scaled to columns, adds 2^-51 (|e| + |first_x|). The count of columns left of c
// is the count of integers i >= 0 with i < T = 4 (c - first_x), and the computed
// t = 4 (e - first_x) is within 2^-47 (|x0| + |dx| + |first_x| + 1) of T (the 1 covers
// subnormal results), half the tolerance. So when t's fraction is farther than the
// tolerance from both neighbouring integers, T lies strictly between the same integers
// and the count is floor(t) + 1. Otherwise, and outside the bitmap, the exact expression
// decides.
int32_t columns_left(const SweepEdge& edge, double sy, const SampleGrid& grid) {
  const double t = (edge.x0 + (sy - edge.y0) * edge.slope - grid.first_x) * 4.0;
  if (t > 0.0 && t < static_cast<double>(grid.columns)) {
    const int32_t whole = dv::truncate_to_int32(t);
    const double fraction = t - whole;
    if (fraction > edge.tolerance && fraction < 1.0 - edge.tolerance)
      return whole + 1;
  }
  return exact_columns_left(edge, sy, grid);
}

// The crossing of `edge` with the sample row at `sy` as a sort key: the number of sample
// columns left of it, times two, plus the edge's winding bit.
uint32_t crossing_key(const SweepEdge& edge, double sy, const SampleGrid& grid, int& winding) {
  const int32_t columns = columns_left(edge, sy, grid);
  if (columns < 0)
    return kNoCrossing;
  winding += edge.winding != 0 ? 1 : -1;
  return static_cast<uint32_t>(columns) << 1 | edge.winding;
}

// Brings the active list to sample row `row`: edges that ended leave, edges that start
// join, and every entry gets its crossing's key. Returns the sum of the windings of all
// crossings, the winding left of every sample.
int gather_crossings(RasterScratch& s, const SampleGrid& grid, int32_t row) {
  const double sy = grid.row_y(row);
  const SweepEdge* edges = s.edges.data;
  RowCrossing* active = s.active.data;
  int winding = 0;
  size_t kept = 0;
  for (size_t i = 0; i < s.active.size; ++i) {
    const int32_t edge = active[i].edge;
    if (edges[edge].end_row <= row)
      continue;
    active[kept++] = RowCrossing{crossing_key(edges[edge], sy, grid, winding), edge};
  }
  // The active list's room was reserved for every edge (prepare_edges).
  for (int32_t edge = s.first_edge_of_row.data[row]; edge != kNoEdge; edge = edges[edge].next)
    active[kept++] = RowCrossing{crossing_key(edges[edge], sy, grid, winding), edge};
  s.active.size = kept;
  return winding;
}

// Adds the spans of non-zero winding of one sample row, its crossings sorted, to `cover`.
// `winding` is the winding left of every sample; each crossing changes it from its column on.
void sweep_row(const RowCrossing* crossings, size_t count, int winding, int32_t columns,
               RowCover& cover) {
  int32_t span_start = 0;
  for (size_t i = 0; i < count && crossings[i].key != kNoCrossing; ++i) {
    const int32_t column = static_cast<int32_t>(crossings[i].key >> 1);
    const int before = winding;
    winding -= (crossings[i].key & 1) != 0 ? 1 : -1;
    if (before == 0 && winding != 0)
      span_start = column;
    else if (before != 0 && winding == 0 && column > span_start)
      cover.add_span(span_start, column);
  }
  if (winding != 0 && span_start < columns)
    cover.add_span(span_start, columns);
}

// The first sample row at or after `row` where an edge starts, rounded down to its pixel
// row, or `rows` when no edge starts any more.
int32_t next_pixel_row_start(const RasterScratch& s, int32_t row, int32_t rows) {
  while (row < rows && s.first_edge_of_row.data[row] == kNoEdge)
    ++row;
  return row < rows ? row - row % kSamplesPerAxis : rows;
}

// Exactness. A sample (sx, sy) is inside when the windings of the edges with
// low <= sy < high whose crossing x0 + (x1 - x0) * (sy - y0) / (y1 - y0) is greater than sx
// do not sum to 0. Here:
//  - the sample rows an edge is active on are exactly those with low <= sy < high: both
//    ends are found by that comparison on the exact row positions (SampleGrid);
//  - the crossing is that expression on the same operands in the same order (dx and dy are
//    the differences the expression forms itself), so it is the same double;
//  - the samples of the row a crossing lies right of are exactly the columns c with
//    column_x(c) < crossing, a run from the left whose length columns_left_of settles by
//    that comparison; a NaN crossing lies right of none and is left out;
//  - the winding at sample column c is therefore the sum of the windings of the crossings
//    whose run is longer than c: the total, minus each crossing from its run's end on,
//    which the sweep over the sorted runs computes span by span.
// Coverage is the count of inside samples per pixel, mapped to count * 255 / 16.
void sweep(RasterScratch& s, const SampleGrid& grid, int32_t width, unsigned char* pixels) {
  RowCover cover{s.partial.data, s.steps.data, width};
  s.active.clear();
  int32_t row = 0;
  while (row < grid.rows) {
    if (s.active.size == 0) {
      row = next_pixel_row_start(s, row, grid.rows);
      if (row >= grid.rows)
        break;
    }
    for (int32_t j = 0; j < kSamplesPerAxis; ++j, ++row) {
      const int winding = gather_crossings(s, grid, row);
      sort_crossings(s.active.data, s.active.size);
      sweep_row(s.active.data, s.active.size, winding, grid.columns, cover);
    }
    cover.flush(pixels + static_cast<size_t>(row / kSamplesPerAxis - 1) * width);
  }
}

SampleGrid sample_grid(const PixelGrid& grid) {
  return SampleGrid{static_cast<double>(grid.top) - 0.125, static_cast<double>(grid.left) + 0.125,
                    static_cast<int32_t>(grid.height * kSamplesPerAxis),
                    static_cast<int32_t>(grid.width * kSamplesPerAxis)};
}

// True when the budget pays for sweeping the outline's edges over the sample rows and they
// stay within kMaxCrossings and kMaxRowCrossings; `rows` is count_crossings' storage.
bool pay_for_sweep(const OutlineBuilder& outline, const SampleGrid& samples,
                   dv::vector<int32_t>& rows, GlyphBudget& budget) {
  const CrossingCount count = count_crossings(outline, samples, kMaxCrossings, rows);
  return budget.spend(count.sweep_work) && count.crossings <= kMaxCrossings &&
         count.busiest_row <= kMaxRowCrossings;
}

// The pixel frame of the outline when the budget pays for its edges and pixels; false
// (nothing to draw, or the budget exhausted) otherwise.
bool pay_for_frame(const OutlineBuilder& outline, GlyphBudget& budget, PixelGrid& grid) {
  return budget.spend(outline.segments.size) && outline.segments.size != 0 && outline.has_bounds &&
         grid_for_bounds(outline, grid) &&
         budget.spend(static_cast<uint64_t>(grid.width * grid.height));
}

void set_box(GlyphBitmap& bitmap, const PixelGrid& grid) {
  bitmap.left = static_cast<int>(grid.left);
  bitmap.top = static_cast<int>(grid.top);
  bitmap.width = static_cast<int>(grid.width);
  bitmap.height = static_cast<int>(grid.height);
}

} // namespace

size_t held_bytes(const RasterScratch& scratch) {
  return scratch.edges.capacity * sizeof(SweepEdge) +
         scratch.first_edge_of_row.capacity * sizeof(int32_t) +
         scratch.active.capacity * sizeof(RowCrossing) +
         (scratch.partial.capacity + scratch.steps.capacity + scratch.row_counts.capacity) *
             sizeof(int32_t);
}

GlyphBitmap rasterize_outline(const OutlineBuilder& outline, double advance, RasterScratch& scratch,
                              GlyphBudget& budget) {
  GlyphBitmap bitmap;
  bitmap.advance = advance;
  PixelGrid grid;
  if (!pay_for_frame(outline, budget, grid))
    return bitmap;
  const int64_t pixels = grid.width * grid.height;
  const SampleGrid samples = sample_grid(grid);
  if (!pay_for_sweep(outline, samples, scratch.row_counts, budget))
    return bitmap;
  unsigned long long crossings = 0;
  if (!prepare_edges(outline, samples, scratch, crossings) || !budget.take_pixels(pixels))
    return bitmap;
  set_box(bitmap, grid);
  bitmap.pixels.resize(static_cast<size_t>(grid.width * grid.height));
  scratch.partial.assign(static_cast<size_t>(grid.width + 1), 0);
  scratch.steps.assign(static_cast<size_t>(grid.width + 1), 0);
  sweep(scratch, samples, bitmap.width, bitmap.pixels.data);
  return bitmap;
}

// Pays exactly what rasterize_outline pays, step by step, with the edges counted instead of
// prepared.
GlyphBitmap measure_outline(const OutlineBuilder& outline, double advance, GlyphBudget& budget) {
  GlyphBitmap bitmap;
  bitmap.advance = advance;
  PixelGrid grid;
  if (!pay_for_frame(outline, budget, grid))
    return bitmap;
  dv::vector<int32_t> rows;
  if (!pay_for_sweep(outline, sample_grid(grid), rows, budget) ||
      !budget.take_pixels(grid.width * grid.height))
    return bitmap;
  set_box(bitmap, grid);
  return bitmap;
}

GlyphBitmap rasterize_outline(const OutlineBuilder& outline, double advance,
                              RasterScratch& scratch) {
  GlyphBudget budget = GlyphBudget::unlimited();
  return rasterize_outline(outline, advance, scratch, budget);
}

GlyphBitmap rasterize_outline(const OutlineBuilder& outline, double advance) {
  RasterScratch scratch;
  return rasterize_outline(outline, advance, scratch);
}
