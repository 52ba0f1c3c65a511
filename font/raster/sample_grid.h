// The 4 x 4 sample grid of a bitmap, as whole sample rows and columns.
//
// Sample row r (0 at the top) lies at y = top - 0.125 - 0.25 r and sample column c at
// x = left + 0.125 + 0.25 c. Within the bitmap limits (|left|, |top| < 2^31, at most 2^16
// sample rows and columns) every such value is a multiple of 1/8 below 2^33, so each sum
// is exact and equals, bit for bit, the per-pixel form top - row - 0.125 - 0.25 j and
// left + column + 0.125 + 0.25 i.
#pragma once
#include <stdint.h>

#include "runtime/truncate.h"

struct SampleGrid {
  double first_y; // top - 0.125
  double first_x; // left + 0.125
  int32_t rows;
  int32_t columns;

  double row_y(int32_t row) const { return first_y - 0.25 * row; }
  double column_x(int32_t column) const { return first_x + 0.25 * column; }

  // The first sample row whose y is below `y`, or `rows` when none is. Rows below a value
  // form a run to the bottom, so the estimate is settled by the exact comparison itself.
  // `y` must not be NaN.
  int32_t first_row_below(double y) const {
    int32_t row = whole_above(4.0 * (first_y - y), rows);
    while (row > 0 && row_y(row - 1) < y)
      --row;
    while (row < rows && !(row_y(row) < y))
      ++row;
    return row;
  }

  // How many sample columns lie strictly left of `x` (those a crossing at `x` lies to the
  // right of): a run from the left, settled like first_row_below. `x` must not be NaN.
  int32_t columns_left_of(double x) const {
    int32_t column = whole_above(4.0 * (x - first_x), columns);
    while (column > 0 && !(column_x(column - 1) < x))
      --column;
    while (column < columns && column_x(column) < x)
      ++column;
    return column;
  }

private:
  // floor(estimate) + 1 clamped to 0..limit, defined for every estimate.
  static int32_t whole_above(double estimate, int32_t limit) {
    if (!(estimate >= 0.0))
      return 0;
    if (estimate >= static_cast<double>(limit))
      return limit;
    return dv::truncate_to_int32(estimate) + 1;
  }
};
