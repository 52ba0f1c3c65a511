// Writes variable OpenType fonts with CFF2 outlines for tests: the CFF2 table (32-bit INDEX
// counts, a Top DICT without INDEX, an FDArray whose Private DICTs may carry vsindex and
// blend, FDSelect formats 0, 3 and 4, and a length-prefixed item variation store) inside
// the sfnt tables of sfnt_builder. Independent of the library.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "support/cff_builder.h"
#include "support/sfnt_builder.h"

namespace testfont {

struct Cff2FontDict {
  std::vector<Bytes> local_subrs;
  Bytes private_operators; // written at the start of its Private DICT (vsindex, blends, ...)
};

struct Cff2Params {
  std::vector<Bytes> charstrings; // one per glyph; glyph 0 is .notdef
  std::vector<Bytes> global_subrs;
  std::vector<Cff2FontDict> font_dicts = {Cff2FontDict{}};
  std::vector<uint16_t> fd_select; // the Font DICT of each glyph; empty: no FDSelect
  int fd_select_format = 3;        // 0, 3 or 4
  Bytes variation_store;           // without its length; empty: the Top DICT names none
  std::optional<uint16_t> variation_store_length; // what the length field says, if not the size
};

// An INDEX with a 32-bit count (offset size 4).
Bytes cff2_index(const std::vector<Bytes>& objects);

// An item variation store for CFF2: the regions of `peaks` (each from 0 to its peak on
// every axis) and per data set the regions it names, with no items (blends carry the
// deltas).
Bytes cff2_variation_store(const std::vector<std::vector<double>>& peaks,
                           const std::vector<std::vector<uint16_t>>& data_set_regions);

Bytes cff2_table(const Cff2Params& params);

// A variable OpenType font: `sfnt`'s tables without glyf and loca (put fvar, HVAR, ... in
// its extra tables), the CFF2 table of `cff2`, version "OTTO".
Bytes build_cff2_font(const FontParams& sfnt, const Cff2Params& cff2);

} // namespace testfont
