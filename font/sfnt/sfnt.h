// Reading sfnt font data in place: big-endian fields and the bounds test that guards
// every read. The data is the font's bytes; offsets are absolute.
#pragma once
#include <stdint.h>

#include "font/font_bytes.h"

// One entry of the table directory. The checksum is not kept.
struct TableRecord {
  uint32_t offset = 0; // from the start of the font file
  uint32_t length = 0;
};

// A table tag ("cmap") as the big-endian u32 the directory stores.
constexpr uint32_t sfnt_tag(const char (&name)[5]) {
  return static_cast<uint32_t>(static_cast<unsigned char>(name[0])) << 24 |
         static_cast<uint32_t>(static_cast<unsigned char>(name[1])) << 16 |
         static_cast<uint32_t>(static_cast<unsigned char>(name[2])) << 8 |
         static_cast<uint32_t>(static_cast<unsigned char>(name[3]));
}

// True when `count` bytes starting at `offset` lie inside the data. Written without
// adding to `offset`, so hostile values cannot wrap.
inline bool has_bytes(ByteView data, uint64_t offset, uint64_t count) {
  return offset <= data.size && data.size - offset >= count;
}

// Unchecked field reads; each call sits behind a has_bytes test.
inline uint16_t read_u16_be(ByteView data, uint64_t offset) {
  return static_cast<uint16_t>(data.data[offset] << 8 | data.data[offset + 1]);
}

inline uint32_t read_u32_be(ByteView data, uint64_t offset) {
  const unsigned char* p = data.data + offset;
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
         static_cast<uint32_t>(p[2]) << 8 | static_cast<uint32_t>(p[3]);
}

inline int16_t read_i16_be(ByteView data, uint64_t offset) {
  return static_cast<int16_t>(read_u16_be(data, offset));
}
