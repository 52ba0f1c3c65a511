// Character maps of TrueType fonts: choosing the format-4 and format-12 subtables of a
// cmap table while loading, and mapping code points to glyph indices through them.
#pragma once
#include <stdint.h>

#include "containers/unordered_map.h"
#include "containers/vector.h"
#include "font/sfnt/sfnt.h"

// Where the chosen format-4 subtable lies in the font data. Its four arrays were proven to
// lie inside the data when it was chosen, so lookups read them without further tests.
struct Format4Subtable {
  uint32_t offset = 0; // absolute offset of the subtable
  uint16_t seg_count = 0;
  // Array positions relative to `offset`.
  uint16_t end_code_offset = 0;
  uint16_t start_code_offset = 0;
  uint16_t id_delta_offset = 0;
  uint16_t id_range_offset_offset = 0;
  bool valid = false;
};

// Where the sequential map groups of the chosen format-12 subtable lie in the font data:
// `size` groups of 12 bytes (start code, end code, start glyph, each u32) from `offset`,
// proven to lie inside the data when the subtable was chosen, so lookups read them in
// place without further tests.
struct Format12Groups {
  uint64_t offset = 0; // absolute offset of the first group
  uint32_t size = 0;   // 0: no format-12 subtable
};

// Walks the encoding records of the cmap table and keeps at most one subtable of each
// format (platforms 0 and 3 only). Returns false only when the cmap header or the record
// list does not fit in the data; unusable subtables are skipped.
bool select_cmap_subtables(ByteView data, const TableRecord& cmap, Format4Subtable& format4,
                           Format12Groups& format12);

// The glyph index of a code point: format 4 first (BMP only), then the format-12 groups;
// 0 when neither maps it.
uint16_t map_code_point(ByteView data, const Format4Subtable& format4,
                        const Format12Groups& format12, uint32_t codepoint);

// map_code_point with a memo: every answer, misses included, is kept in `cache`.
uint16_t lookup_glyph_cached(ByteView data, const Format4Subtable& format4,
                             const Format12Groups& format12,
                             dv::unordered_map<unsigned int, unsigned short>& cache,
                             uint32_t codepoint);
