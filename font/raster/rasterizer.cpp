#include "font/raster/rasterizer.h"

#include "font/raster/sample_grid.h"
#include "runtime/math.h"

namespace {

constexpr int32_t kSamplesPerAxis = 4;
constexpr int32_t kNoEdge = -1;
// floor and ceil are exact only inside the 32-bit integer range.
constexpr double kCoordinateLimit = 2147483648.0;

// count * 255 / 16 for every count of covered samples.
constexpr unsigned char kCoverage[kSamplesPerAxis * kSamplesPerAxis + 1] = {
    0, 15, 31, 47, 63, 79, 95, 111, 127, 143, 159, 175, 191, 207, 223, 239, 255};

// SSE2 registers as vectors, without a header: two doubles, four or eight integers,
// sixteen bytes (and the two-lane halves of integer vectors).
using Doubles2 = double __attribute__((vector_size(16)));
using Ints4 = int32_t __attribute__((vector_size(16)));
using Shorts8 = short __attribute__((vector_size(16)));
using Chars16 = char __attribute__((vector_size(16)));
using Ints2 = int32_t __attribute__((vector_size(8)));
using Unsigned2 = uint32_t __attribute__((vector_size(8)));

struct PixelGrid {
  long long left;
  long long top;
  long long width;
  long long height;
};

bool within_coordinate_range(double value) {
  return value > -kCoordinateLimit && value < kCoordinateLimit;
}

// The pixel frame around the outline's bounds (none of them NaN); false when it lies beyond
// the bitmap limits or the 32-bit range.
bool frame_within_limits(const OutlineBuilder& outline, PixelGrid& grid) {
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
  if (grid.width <= 0 || grid.height <= 0 || grid.width > kMaxBitmapSide ||
      grid.height > kMaxBitmapSide || grid.width * grid.height > kMaxBitmapPixels)
    return false;
  return grid.left >= -kCoordinateLimit && grid.top < kCoordinateLimit;
}

bool is_nan(double value) {
  return value != value;
}

// The pixel frame around the outline's bounds, or false when there is none to draw: bounds
// with a NaN (only a NaN first point leaves one), or a frame beyond the bitmap limits or the
// 32-bit range, which refuses the glyph.
bool grid_for_bounds(const OutlineBuilder& outline, PixelGrid& grid, GlyphBudget& budget) {
  if (is_nan(outline.min_x) || is_nan(outline.max_x) || is_nan(outline.min_y) ||
      is_nan(outline.max_y))
    return false;
  if (!frame_within_limits(outline, grid)) {
    budget.refuse();
    return false;
  }
  return true;
}

// Edges whose coordinates and differences stay below this take the division-free
// estimate; nothing in it can overflow and its error bound holds.
constexpr double kEstimateRange = 1099511627776.0; // 2^40
// 2^-46: the estimate's error bound per unit of coordinate magnitude (see columns_left).
constexpr double kEstimateError = 1.0 / 70368744177664.0;

// |value|; only the sign of a zero or a NaN differs from `value < 0 ? -value : value`, and
// no use below tells those apart.
double magnitude(double value) {
  return __builtin_fabs(value);
}

// The error bound of columns_left's estimate for an edge starting at x0 with differences
// dx and dy, or +inf when the edge is outside the estimate's range (or has a NaN).
double estimate_tolerance(double x0, double dx, double dy, double first_x) {
  if (!(magnitude(x0) < kEstimateRange && magnitude(dx) < kEstimateRange &&
        magnitude(dy) < kEstimateRange))
    return __builtin_inf();
  return kEstimateError * (magnitude(x0) + magnitude(dx) + magnitude(first_x) + 1.0);
}

// Prepares every edge that spans a sample row, lists it under the pixel row of the first
// sample row it spans, and counts the crossings as count_crossings does (the same rows of
// the same edges, stopping at the same edge), in one walk over the segments. Every edge
// kept here is swept only once the caller has paid for the count (pay_for_count).
//
// An edge whose x is NaN is counted but not listed: its crossing is NaN on every row, which
// lies right of no sample. Only such edges have NaN crossings: every other coordinate is
// finite (a point with an infinite coordinate puts the bounds beyond the 32-bit range), so
// x0 + dx * (sy - y0) / dy is a finite number plus a finite or infinite quotient.
CrossingCount prepare_edges(const OutlineBuilder& outline, const SampleGrid& grid,
                            RasterScratch& s) {
  // At most one edge per segment: the array gets that room here and is filled through its
  // data below (plain structs).
  s.edges.clear();
  s.edges.reserve(outline.segments.size);
  s.first_edge_of_pixel_row.assign(static_cast<size_t>(grid.rows / kSamplesPerAxis), kNoEdge);
  CrossingCounter counter(grid, kMaxCrossings, s.row_counts);
  SpannedRowFinder spanned_rows(grid);
  SweepEdge* edges = s.edges.data;
  size_t edge_count = 0;
  const LineSegment* segments = outline.segments.data;
  for (size_t k = 0; k < outline.segments.size; ++k) {
    const Point p0 = segments[k].p0;
    const Point p1 = segments[k].p1;
    int32_t first = 0;
    int32_t end = 0;
    if (!spanned_rows.find(p0, p1, first, end))
      continue;
    if (!counter.add(first, end))
      break;
    const bool upward = p0.y < p1.y;
    const double dx = p1.x - p0.x;
    if (dx != dx)
      continue;
    const double dy = p1.y - p0.y;
    int32_t& pixel_row_list = s.first_edge_of_pixel_row.data[first / kSamplesPerAxis];
    edges[edge_count] = SweepEdge{p0.x,
                                  p0.y,
                                  dx,
                                  dy,
                                  dx / dy,
                                  estimate_tolerance(p0.x, dx, dy, grid.first_x),
                                  first,
                                  end,
                                  pixel_row_list,
                                  upward ? 1u : 0u};
    pixel_row_list = static_cast<int32_t>(edge_count++);
  }
  s.edges.size = edge_count;
  return counter.result();
}

// Covered samples of one pixel row, gathered span by span over its four sample rows in one
// difference array: the pixel at column p holds the sum of steps[0..p].
struct RowCover {
  int32_t* steps; // width + 2 entries, all 0 between flushes
  int32_t width;
  int32_t low = 0x7fffffff; // lowest and highest index written since the last flush
  int32_t high = -1;

  // Covers sample columns from..to-1 (from < to). Covering every column from c on adds
  // 4 - c % 4 samples to pixel c / 4 and 4 to each pixel after it: a step of 4 - c % 4 at
  // c / 4 and of c % 4 at the next pixel. The span is that from `from` minus that from `to`.
  void add_span(int32_t from, int32_t to) {
    const int32_t first_pixel = from >> 2;
    const int32_t last_pixel = to >> 2; // `width` when the span ends at the right edge
    steps[first_pixel] += kSamplesPerAxis - (from & 3);
    steps[first_pixel + 1] += from & 3;
    steps[last_pixel] -= kSamplesPerAxis - (to & 3);
    steps[last_pixel + 1] -= to & 3;
    low = first_pixel < low ? first_pixel : low;
    high = last_pixel + 1 > high ? last_pixel + 1 : high;
  }

  // Writes the row's coverage values and clears what was gathered, in one pass. Only
  // indices `width` and `width + 1` have no pixel.
  //
  // Four pixels at a time: adding the steps shifted up one lane and then the sums shifted
  // up two lanes leaves in lane i the sum of the group's steps 0..i; adding the count left
  // of the group (carried in every lane) gives each pixel's count c, 0 to 16, and
  // kCoverage[c] = c * 255 / 16 = (c * 256 - c) >> 4, which the two packs keep as a byte.
  void flush(unsigned char* out) {
    const int32_t last = high < width ? high : width - 1;
    const Ints4 zero = {};
    Ints4 left = {};
    // `low` is INT32_MAX when nothing was written, and `last` at least -1.
    int32_t p = low;
    for (; p <= last - 3; p += 4) {
      Ints4 counts;
      __builtin_memcpy(&counts, steps + p, sizeof counts);
      __builtin_memcpy(steps + p, &zero, sizeof zero);
      counts += __builtin_shufflevector(zero, counts, 3, 4, 5, 6);
      counts += __builtin_shufflevector(zero, counts, 2, 3, 4, 5);
      counts += left;
      left = __builtin_shufflevector(counts, counts, 3, 3, 3, 3);
      const Ints4 coverage = ((counts << 8) - counts) >> 4;
      const Shorts8 words = __builtin_ia32_packssdw128(coverage, coverage);
      const Chars16 bytes = __builtin_ia32_packuswb128(words, words);
      __builtin_memcpy(out + p, &bytes, 4);
    }
    int32_t covered = left[0];
    for (; p <= last; ++p) {
      covered += steps[p];
      out[p] = kCoverage[covered];
      steps[p] = 0;
    }
    for (; p <= high; ++p)
      steps[p] = 0;
    low = 0x7fffffff;
    high = -1;
  }
};

// The number of sample columns the crossing of `edge` with the sample row at `sy` lies
// right of: the winding rule's own expression, and the count settled by its comparison.
// The crossing is never NaN (prepare_edges lists no such edge).
int32_t exact_columns_left(const SweepEdge& edge, double sy, const SampleGrid& grid) {
  return grid.columns_left_of(edge.x0 + edge.dx * (sy - edge.y0) / edge.dy);
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
inline int32_t columns_left(const SweepEdge& edge, double sy, const SampleGrid& grid) {
  const double t = (edge.x0 + (sy - edge.y0) * edge.slope - grid.first_x) * 4.0;
  if (t > 0.0 && t < static_cast<double>(grid.columns)) {
    const int32_t whole = dv::truncate_to_int32(t);
    const double fraction = t - whole;
    if (fraction > edge.tolerance && fraction < 1.0 - edge.tolerance)
      return whole + 1;
  }
  return exact_columns_left(edge, sy, grid);
}

// columns_left for the sample rows `row` and `row + 1` at once: each lane performs the
// scalar estimate's operations in the same order (SSE2 rounds each exactly as the scalar
// unit does, and nothing is fused), so it decides the same lanes with the same counts; a
// lane it leaves undecided takes the exact expression.
inline void columns_left_pair(const SweepEdge& edge, int32_t row, const SampleGrid& grid,
                              int32_t columns[2]) {
  const Doubles2 sy = {grid.row_y(row), grid.row_y(row + 1)};
  const Doubles2 t = (edge.x0 + (sy - edge.y0) * edge.slope - grid.first_x) * 4.0;
  const Ints4 whole4 = __builtin_ia32_cvttpd2dq(t); // truncate_to_int32 of each lane
  const Ints2 whole = __builtin_shufflevector(whole4, whole4, 0, 1);
  const Doubles2 fraction = t - __builtin_convertvector(whole, Doubles2);
  const auto decided = (t > 0.0) & (t < static_cast<double>(grid.columns)) &
                       (fraction > edge.tolerance) & (fraction < 1.0 - edge.tolerance);
  // Unsigned, so that lanes past the int32 range (left undecided) wrap instead of overflowing.
  const Unsigned2 counts = reinterpret_cast<Unsigned2>(whole) + 1u;
  __builtin_memcpy(columns, &counts, sizeof counts);
  const int decided_lanes = __builtin_ia32_movmskpd(reinterpret_cast<Doubles2>(decided));
  for (int lane = 0; lane < 2; ++lane)
    if ((decided_lanes >> lane & 1) == 0)
      columns[lane] = exact_columns_left(edge, sy[lane], grid);
}

// A crossing's sort key: the number of sample columns left of it, times two, plus the
// edge's winding bit.
inline uint32_t key_of(const SweepEdge& edge, int32_t columns) {
  return static_cast<uint32_t>(columns) << 1 | edge.winding;
}

inline uint32_t crossing_key(const SweepEdge& edge, double sy, const SampleGrid& grid) {
  return key_of(edge, columns_left(edge, sy, grid));
}

inline uint32_t crossing_of(uint32_t key) {
  return key;
}
inline uint32_t crossing_of(uint64_t key) {
  return static_cast<uint32_t>(key >> 32);
}

// The crossings of the four sample rows of one pixel row, each row's in the order of the
// active list. The fourth row's keys carry their edge in the low 32 bits, so that once
// sorted they give the next pixel row's active list in left-to-right order.
struct PixelRowCrossings {
  uint32_t* rows[kSamplesPerAxis - 1]; // each with room for every edge
  uint64_t* last_row;
  int32_t count[kSamplesPerAxis] = {};
  int winding[kSamplesPerAxis] = {}; // the sum of the windings of each row's crossings

  // Lists the crossings of edge number `index` with the sample rows row0 .. row0 + 3.
  void add(const SweepEdge& edge, int32_t index, int32_t row0, const SampleGrid& grid) {
    if (edge.first_row <= row0 && edge.end_row >= row0 + kSamplesPerAxis) {
      add_all_four(edge, index, row0, grid);
      return;
    }
    const int32_t from = edge.first_row > row0 ? edge.first_row - row0 : 0;
    const int32_t to =
        edge.end_row < row0 + kSamplesPerAxis ? edge.end_row - row0 : kSamplesPerAxis;
    const int delta = edge.winding != 0 ? 1 : -1;
    for (int32_t j = from; j < to; ++j) {
      const uint32_t key = crossing_key(edge, grid.row_y(row0 + j), grid);
      winding[j] += delta;
      if (j < kSamplesPerAxis - 1)
        rows[j][count[j]++] = key;
      else
        last_row[count[j]++] = with_edge(key, index);
    }
  }

  // The same for an edge that crosses all four rows, two rows at a time.
  void add_all_four(const SweepEdge& edge, int32_t index, int32_t row0, const SampleGrid& grid) {
    int32_t columns[kSamplesPerAxis];
    columns_left_pair(edge, row0, grid, columns);
    columns_left_pair(edge, row0 + 2, grid, columns + 2);
    const int delta = edge.winding != 0 ? 1 : -1;
    for (int32_t j = 0; j < kSamplesPerAxis - 1; ++j) {
      rows[j][count[j]++] = key_of(edge, columns[j]);
      winding[j] += delta;
    }
    last_row[count[kSamplesPerAxis - 1]++] = with_edge(key_of(edge, columns[3]), index);
    winding[kSamplesPerAxis - 1] += delta;
  }

  static uint64_t with_edge(uint32_t key, int32_t index) {
    return static_cast<uint64_t>(key) << 32 | static_cast<uint32_t>(index);
  }
};

// Adds the spans of non-zero winding of one sample row, its crossings sorted, to `cover`.
// `winding` is the winding left of every sample; each crossing changes it from its column on.
//
// A row of two crossings (sorted) needs no walk: with windings of opposite sign the total is
// 0, the first crossing opens a span and the second closes it; with the same sign the
// total is +-2, the samples left of the first are inside and the winding only returns to 0
// after the second, so one span runs from column 0 to the second crossing.
//
// A row whose total is 0 and whose crossings, taken in pairs from the left, each have
// opposite windings takes the windings 0, +-1, 0, +-1, ... 0 across them: the walk below
// would open a span at the first of each pair and close it at the second (when not
// empty), so the pairs are the spans.
template <class Key> bool in_opposite_pairs(const Key* crossings, int32_t count) {
  uint32_t opposite = 1;
  for (int32_t i = 0; i < count; i += 2)
    opposite &= crossing_of(crossings[i]) ^ crossing_of(crossings[i + 1]);
  return (opposite & 1) != 0;
}

template <class Key>
void sweep_row(const Key* crossings, int32_t count, int winding, int32_t columns, RowCover& cover) {
  if (count == 2) {
    const auto first = static_cast<int32_t>(crossing_of(crossings[0]) >> 1);
    const auto second = static_cast<int32_t>(crossing_of(crossings[1]) >> 1);
    const int32_t start = winding == 0 ? first : 0;
    if (second > start)
      cover.add_span(start, second);
    return;
  }
  // Four crossings, the commonest row past two, with the pairs unrolled.
  if (count == 4 && winding == 0) {
    const uint32_t k0 = crossing_of(crossings[0]);
    const uint32_t k1 = crossing_of(crossings[1]);
    const uint32_t k2 = crossing_of(crossings[2]);
    const uint32_t k3 = crossing_of(crossings[3]);
    if (((k0 ^ k1) & (k2 ^ k3) & 1) != 0) {
      if ((k1 >> 1) > (k0 >> 1))
        cover.add_span(static_cast<int32_t>(k0 >> 1), static_cast<int32_t>(k1 >> 1));
      if ((k3 >> 1) > (k2 >> 1))
        cover.add_span(static_cast<int32_t>(k2 >> 1), static_cast<int32_t>(k3 >> 1));
      return;
    }
  }
  if (count > 4 && winding == 0 && count % 2 == 0 && in_opposite_pairs(crossings, count)) {
    for (int32_t i = 0; i < count; i += 2) {
      const auto open = static_cast<int32_t>(crossing_of(crossings[i]) >> 1);
      const auto close = static_cast<int32_t>(crossing_of(crossings[i + 1]) >> 1);
      if (close > open)
        cover.add_span(open, close);
    }
    return;
  }
  int32_t span_start = 0;
  for (int32_t i = 0; i < count; ++i) {
    const uint32_t key = crossing_of(crossings[i]);
    const int32_t column = static_cast<int32_t>(key >> 1);
    const int before = winding;
    winding -= (key & 1) != 0 ? 1 : -1;
    if (before == 0 && winding != 0)
      span_start = column;
    else if (before != 0 && winding == 0 && column > span_start)
      cover.add_span(span_start, column);
  }
  if (winding != 0 && span_start < columns)
    cover.add_span(span_start, columns);
}

// The first pixel row at or after `pixel_row` where an edge starts, or `pixel_rows`.
int32_t next_pixel_row_start(const RasterScratch& s, int32_t pixel_row, int32_t pixel_rows) {
  while (pixel_row < pixel_rows && s.first_edge_of_pixel_row.data[pixel_row] == kNoEdge)
    ++pixel_row;
  return pixel_row;
}

// Exactness. A sample (sx, sy) is inside when the windings of the edges with
// low <= sy < high whose crossing x0 + (x1 - x0) * (sy - y0) / (y1 - y0) is greater than sx
// do not sum to 0. Here:
//  - the sample rows an edge crosses are exactly those with low <= sy < high: both ends
//    are found by that comparison on the exact row positions (SampleGrid), and each pixel
//    row lists an edge's crossings with exactly those of its four rows;
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
  const size_t room = s.edges.size;
  s.active.reserve(room);
  s.row_crossings.reserve((kSamplesPerAxis - 1) * room);
  s.last_row_crossings.reserve(room);
  const SweepEdge* edges = s.edges.data;
  int32_t* active = s.active.data;
  size_t active_count = 0;
  RowCover cover{s.coverage_steps.data, width};
  const int32_t pixel_rows = grid.rows / kSamplesPerAxis;
  for (int32_t pixel_row = 0; pixel_row < pixel_rows; ++pixel_row) {
    if (active_count == 0) {
      pixel_row = next_pixel_row_start(s, pixel_row, pixel_rows);
      if (pixel_row >= pixel_rows)
        break;
    }
    for (int32_t edge = s.first_edge_of_pixel_row.data[pixel_row]; edge != kNoEdge;
         edge = edges[edge].next)
      active[active_count++] = edge;
    const int32_t row0 = pixel_row * kSamplesPerAxis;
    PixelRowCrossings crossings{
        {s.row_crossings.data, s.row_crossings.data + room, s.row_crossings.data + 2 * room},
        s.last_row_crossings.data};
    for (size_t i = 0; i < active_count; ++i)
      crossings.add(edges[active[i]], active[i], row0, grid);
    for (int32_t j = 0; j < kSamplesPerAxis - 1; ++j) {
      sort_crossings(crossings.rows[j], static_cast<size_t>(crossings.count[j]));
      sweep_row(crossings.rows[j], crossings.count[j], crossings.winding[j], grid.columns, cover);
    }
    const int32_t last = kSamplesPerAxis - 1;
    sort_crossings(crossings.last_row, static_cast<size_t>(crossings.count[last]));
    sweep_row(crossings.last_row, crossings.count[last], crossings.winding[last], grid.columns,
              cover);
    cover.flush(pixels + static_cast<size_t>(pixel_row) * width);
    // The edges that go on below, left to right.
    active_count = 0;
    for (int32_t i = 0; i < crossings.count[last]; ++i) {
      const auto edge = static_cast<int32_t>(static_cast<uint32_t>(crossings.last_row[i]));
      if (edges[edge].end_row > row0 + kSamplesPerAxis)
        active[active_count++] = edge;
    }
  }
}

SampleGrid sample_grid(const PixelGrid& grid) {
  return SampleGrid{static_cast<double>(grid.top) - 0.125, static_cast<double>(grid.left) + 0.125,
                    static_cast<int32_t>(grid.height * kSamplesPerAxis),
                    static_cast<int32_t>(grid.width * kSamplesPerAxis)};
}

// True when the budget pays for the sweep `count` describes and its crossings stay within
// kMaxCrossings (beyond it the glyph is refused). However many crossings one row holds,
// its sorting is paid for here.
bool pay_for_count(const CrossingCount& count, GlyphBudget& budget) {
  if (!budget.spend(count.sweep_work))
    return false;
  if (count.crossings > kMaxCrossings) {
    budget.refuse();
    return false;
  }
  return true;
}

// The pixel frame of the outline when the budget pays for its edges and pixels; false
// (nothing to draw, the glyph refused, or the budget exhausted) otherwise.
bool pay_for_frame(const OutlineBuilder& outline, GlyphBudget& budget, PixelGrid& grid) {
  return budget.spend(outline.segments.size) && outline.segments.size != 0 && outline.has_bounds &&
         grid_for_bounds(outline, grid, budget) &&
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
         scratch.first_edge_of_pixel_row.capacity * sizeof(int32_t) +
         scratch.active.capacity * sizeof(int32_t) +
         scratch.row_crossings.capacity * sizeof(uint32_t) +
         scratch.last_row_crossings.capacity * sizeof(uint64_t) +
         (scratch.coverage_steps.capacity + scratch.row_counts.capacity) * sizeof(int32_t);
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
  if (!pay_for_count(prepare_edges(outline, samples, scratch), budget))
    return bitmap;
  if (!budget.take_pixels(pixels))
    return bitmap;
  set_box(bitmap, grid);
  bitmap.pixels.resize(static_cast<size_t>(grid.width * grid.height));
  scratch.coverage_steps.assign(static_cast<size_t>(grid.width + 2), 0);
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
  if (!pay_for_count(count_crossings(outline, sample_grid(grid), kMaxCrossings, rows), budget) ||
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
