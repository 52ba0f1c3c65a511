// Counting, before any sweeping, what sweeping an outline will cost: the crossings of its
// edges with the sample rows and the work of sorting each row's.
#pragma once
#include <stdint.h>

#include "containers/vector.h"
#include "font/raster/outline.h"
#include "font/raster/sample_grid.h"

// The sample rows first .. end - 1 an edge spans (those with low <= y < high, as the sweep
// decides it), for edges taken in outline order. Consecutive edges of a contour share an
// end point, so the row of the last end point found is kept and reused when the next edge
// starts at the same y: first_row_below is a function of y alone (its answer is settled by
// comparisons, which do not tell +0 from -0), so the reused row is the one it would give.
class SpannedRowFinder {
public:
  explicit SpannedRowFinder(const SampleGrid& grid) : grid_(grid) {}

  // The rows of the edge p0-p1; false when it spans none (horizontal edges and edges with
  // a NaN y among them).
  [[gnu::always_inline]] bool find(const Point& p0, const Point& p1, int32_t& first, int32_t& end) {
    if (!(p0.y < p1.y) && !(p1.y < p0.y))
      return false;
    const int32_t start_row = p0.y == known_y_ ? known_row_ : grid_.first_row_below(p0.y);
    known_y_ = p1.y;
    known_row_ = grid_.first_row_below(p1.y);
    const bool upward = p0.y < p1.y;
    first = upward ? known_row_ : start_row;
    end = upward ? start_row : known_row_;
    return first < end;
  }

private:
  const SampleGrid& grid_;
  double known_y_ = __builtin_nan(""); // equal to no y until a row is known
  int32_t known_row_ = 0;
};

struct CrossingCount {
  uint64_t crossings = 0; // edge and sample-row pairs, over all rows
  // Computing every crossing and sorting each row's: a row of k crossings costs
  // k (1 + ceil(log2 k)) units, the comparisons of an n log n sort. When counting stopped
  // early, one unit per crossing counted.
  uint64_t sweep_work = 0;
};

// Counts crossings edge by edge, for a caller that walks the edges itself: `add` each
// edge's spanned rows, then take the `result`. `rows` is storage for one entry per sample
// row, reused between calls.
class CrossingCounter {
public:
  CrossingCounter(const SampleGrid& grid, uint64_t max_crossings, dv::vector<int32_t>& rows)
      : rows_(rows), sample_rows_(grid.rows), max_crossings_(max_crossings) {
    // rows[r]: edges starting at sample row r minus edges ending there; its running sum
    // is the number of crossings on row r.
    rows_.assign(static_cast<size_t>(grid.rows) + 1, 0);
  }

  // Adds an edge spanning sample rows first .. end - 1 (first < end); false, with the
  // count final, once the crossings pass the maximum.
  bool add(int32_t first, int32_t end) {
    count_.crossings += static_cast<uint64_t>(end - first);
    if (count_.crossings > max_crossings_) {
      stopped_ = true;
      return false;
    }
    ++rows_.data[first];
    --rows_.data[end];
    return true;
  }

  // The count of the edges added; when counting stopped early, the sweep work is one
  // unit per crossing counted.
  CrossingCount result() const;

private:
  dv::vector<int32_t>& rows_;
  int32_t sample_rows_;
  uint64_t max_crossings_;
  CrossingCount count_;
  bool stopped_ = false;
};

// Counts the crossings of the outline's edges with the grid's sample rows (an edge spans
// the rows whose y lies in [low, high) of its ends, as the sweep decides it). Stops early,
// with the count so far, once the crossings pass `max_crossings`. `rows` is storage for
// one entry per sample row, reused between calls.
CrossingCount count_crossings(const OutlineBuilder& outline, const SampleGrid& grid,
                              uint64_t max_crossings, dv::vector<int32_t>& rows);
