// Variable-font tables for test fonts: fvar, avar, gvar, HVAR and MVAR, written from plain
// descriptions. Coordinates are F2Dot14 values given as doubles.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "support/sfnt_builder.h"

namespace testfont {

struct Axis {
  std::string tag;
  double minimum, default_value, maximum;
};
struct Instance {
  uint16_t subfamily_name_id;
  std::vector<double> values;
};
Bytes fvar_table(const std::vector<Axis>& axes, const std::vector<Instance>& instances = {});

// Per axis its (from, to) pairs; an empty list for an axis writes no pairs for it.
Bytes avar_table(const std::vector<std::vector<std::pair<double, double>>>& maps);

// One tuple of point deltas: its peak, an optional intermediate region, the points it
// lists (empty: every point, the four phantom points included) and their deltas.
struct Tuple {
  std::vector<double> peak;
  std::vector<double> start; // empty with `end`: no intermediate region
  std::vector<double> end;
  std::vector<uint16_t> points;
  std::vector<int16_t> dx;
  std::vector<int16_t> dy;
};
// Embedded peaks and private point numbers throughout; glyphs without tuples have no data.
Bytes gvar_table(uint16_t axis_count, uint16_t glyph_count,
                 const std::map<uint16_t, std::vector<Tuple>>& glyph_tuples);

// An item variation store of one region per entry of `peaks` (each region from 0 to its
// peak on every axis) and one data set whose items are `rows` (a delta per region).
Bytes item_variation_store(const std::vector<std::vector<double>>& peaks,
                           const std::vector<std::vector<int16_t>>& rows);

// HVAR without an advance map: item g of the store is glyph g's advance delta.
Bytes hvar_table(const std::vector<std::vector<double>>& peaks,
                 const std::vector<std::vector<int16_t>>& glyph_rows);

// MVAR: each tag's value varies by the deltas of its row.
Bytes mvar_table(const std::vector<std::vector<double>>& peaks,
                 const std::vector<std::pair<std::string, std::vector<int16_t>>>& values);

} // namespace testfont
