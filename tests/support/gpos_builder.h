// Writes GPOS and kern tables for tests: pair-adjustment lookups of both formats, with
// the coverage and class-definition formats chosen, under a kern feature of one script.
// Independent of the library.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "support/sfnt_builder.h"

namespace testfont {

// How a pair subtable stores its data. Value records always hold the first glyph's x
// advance; `placements` adds x and y placements before it, `second_values` a second
// record (x placement and x advance) after it.
struct PairLayout {
  int coverage_format = 1; // 1: glyph list, 2: ranges
  int class_format = 2;    // 1: class array, 2: ranges
  bool placements = false;
  bool second_values = false;
};

struct PairValue {
  uint16_t second;
  int16_t x_advance;
};

// Format 1: for each first glyph (ascending), its pairs (ascending by second glyph).
Bytes pair_pos_glyphs(const std::map<uint16_t, std::vector<PairValue>>& sets,
                      const PairLayout& layout = {});

// Format 2: the covered first glyphs, the glyphs' classes (unlisted glyphs: class 0) and the
// x advance of every class pair, x_advances[class1][class2].
Bytes pair_pos_classes(const std::vector<uint16_t>& covered,
                       const std::map<uint16_t, uint16_t>& first_classes,
                       const std::map<uint16_t, uint16_t>& second_classes,
                       const std::vector<std::vector<int16_t>>& x_advances,
                       const PairLayout& layout = {});

struct GposLookup {
  std::vector<Bytes> subtables;
  bool extension = false; // each subtable behind a type-9 extension
  uint16_t type = 2;      // the lookup type written (of the extended subtables, when extension)
};

// A GPOS table: the lookups in order, the kern feature listing `kern_lookups` in the given
// order, under the default language system of `script`.
Bytes gpos_table(const std::vector<GposLookup>& lookups, const std::vector<uint16_t>& kern_lookups,
                 const std::string& script = "latn");

struct KernPair {
  uint16_t left;
  uint16_t right;
  int16_t value;
};

// A version-0 kern table of format-0 subtables, each with its coverage word (1: horizontal
// kerning; 8 adds override, 2 minimum, 4 cross-stream). Pairs are written as given.
struct KernSubtable {
  std::vector<KernPair> pairs;
  uint16_t coverage = 1;
};
Bytes kern_table(const std::vector<KernSubtable>& subtables);

} // namespace testfont
