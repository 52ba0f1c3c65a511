// CFF INDEX structures: a count, an offset array and the data of `count` objects, read in
// place from the font data. Every offset is checked when an object is asked for, so a
// hostile INDEX can only make its objects unavailable, never reach outside the data.
#pragma once
#include <stdint.h>

#include "containers/vector.h"
#include "font/font_bytes.h"

// A run of bytes inside the font data (absolute offset).
struct ByteSpan {
  uint32_t offset = 0;
  uint32_t length = 0;
};

struct CffIndex {
  uint32_t count = 0;
  uint32_t offsets = 0;    // absolute offset of the offset array
  uint32_t data_base = 0;  // absolute offset that object offsets (which start at 1) count from
  uint8_t offset_size = 0; // 1 to 4
  uint32_t end = 0;        // first byte after the INDEX (its last offset, proven in range)
};

// Reads the INDEX at absolute `at`, which must end within [at, limit). An empty INDEX is two
// bytes. False when the header or offset array is cut short, the offset size is not 1-4,
// the first offset is not 1 or the last offset lies past `limit`.
bool read_cff_index(ByteView data, uint64_t at, uint64_t limit, CffIndex& index);

// The same for a CFF2 INDEX, whose count is 32 bits (an empty one is four bytes).
bool read_cff2_index(ByteView data, uint64_t at, uint64_t limit, CffIndex& index);

// Object `i`: false when `i` is past the count or its offsets are out of order or range.
bool cff_index_object(ByteView data, const CffIndex& index, uint32_t i, ByteSpan& object);
