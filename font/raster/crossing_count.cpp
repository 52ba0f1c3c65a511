#include "font/raster/crossing_count.h"

namespace {

// ceil(log2(count)) for count >= 1 (the bit length of count - 1, the smallest b with
// 2^b >= count), and 0 for count 0.
constexpr uint64_t log2_ceil(uint64_t count) {
  return count <= 1 ? 0 : 64 - static_cast<uint64_t>(__builtin_clzll(count - 1));
}

// The sweep work of a row of `crossings`.
constexpr uint64_t row_work(uint64_t crossings) {
  return crossings * (1 + log2_ceil(crossings));
}

// row_work of the small counts nearly every row has, looked up instead of computed.
constexpr uint64_t kTabulatedRowCounts = 16;
struct RowWorkTable {
  uint64_t units[kTabulatedRowCounts];
};

constexpr RowWorkTable tabulate_row_work() {
  RowWorkTable table{};
  for (uint64_t crossings = 0; crossings < kTabulatedRowCounts; ++crossings)
    table.units[crossings] = row_work(crossings);
  return table;
}

constexpr RowWorkTable kSmallRowWork = tabulate_row_work();

} // namespace

CrossingCount CrossingCounter::result() const {
  CrossingCount count = count_;
  if (stopped_) {
    count.sweep_work = count.crossings;
    return count;
  }
  int64_t on_row = 0;
  for (int32_t row = 0; row < sample_rows_; ++row) {
    on_row += rows_.data[row];
    // A row without crossings adds 0 * (1 + 0).
    const uint64_t crossings = static_cast<uint64_t>(on_row);
    count.sweep_work +=
        crossings < kTabulatedRowCounts ? kSmallRowWork.units[crossings] : row_work(crossings);
  }
  return count;
}

CrossingCount count_crossings(const OutlineBuilder& outline, const SampleGrid& grid,
                              uint64_t max_crossings, dv::vector<int32_t>& rows) {
  CrossingCounter counter(grid, max_crossings, rows);
  SpannedRowFinder spanned_rows(grid);
  for (const LineSegment& segment : outline.segments) {
    int32_t first = 0;
    int32_t end = 0;
    if (spanned_rows.find(segment.p0, segment.p1, first, end) && !counter.add(first, end))
      break;
  }
  return counter.result();
}
