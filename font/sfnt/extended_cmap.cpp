#include "font/sfnt/extended_cmap.h"

#include "font/sfnt/mac_central_european.h"
#include "font/sfnt/mac_cyrillic.h"
#include "font/sfnt/mac_roman.h"

namespace {

constexpr uint16_t kPlatformUnicode = 0;
constexpr uint16_t kPlatformMacintosh = 1;
constexpr uint16_t kPlatformWindows = 3;
constexpr uint16_t kMacintoshRoman = 0;
constexpr uint16_t kMacintoshCyrillic = 7;
constexpr uint16_t kMacintoshCentralEuropean = 29;

constexpr uint64_t kEncodingRecordSize = 8;
constexpr uint64_t kFormat0Size = 262; // format, length, language, 256 glyph bytes
constexpr uint64_t kFormat13HeaderSize = 16;
constexpr uint64_t kFormat13GroupSize = 12;
constexpr uint64_t kFormat14HeaderSize = 10;
constexpr uint64_t kSelectorRecordSize = 11;
constexpr uint64_t kDefaultRangeSize = 4;
constexpr uint64_t kNonDefaultMappingSize = 5;

uint32_t read_u24_be(ByteView data, uint64_t offset) {
  const unsigned char* p = data.data + offset;
  return static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
}

bool is_unicode_platform(uint16_t platform) {
  return platform == kPlatformUnicode || platform == kPlatformWindows;
}

bool is_macintosh_set_read(uint16_t platform, uint16_t encoding) {
  return platform == kPlatformMacintosh &&
         (encoding == kMacintoshRoman || encoding == kMacintoshCyrillic ||
          encoding == kMacintoshCentralEuropean);
}

// The byte of `codepoint` in Macintosh set `encoding` (one of those read), or -1.
int32_t macintosh_byte(uint16_t encoding, uint32_t codepoint) {
  switch (encoding) {
  case kMacintoshCyrillic:
    return mac_cyrillic_byte(codepoint);
  case kMacintoshCentralEuropean:
    return mac_central_european_byte(codepoint);
  default:
    return mac_roman_byte(codepoint);
  }
}

void consider_format0(ByteView data, uint16_t platform, uint16_t encoding, uint64_t start,
                      ExtendedCmaps& maps) {
  const bool macintosh = is_macintosh_set_read(platform, encoding);
  if (maps.format0_valid || !(macintosh || is_unicode_platform(platform)) ||
      !has_bytes(data, start, kFormat0Size))
    return;
  maps.format0 = static_cast<uint32_t>(start + 6);
  maps.format0_valid = true;
  maps.format0_macintosh = macintosh;
  maps.format0_encoding = encoding;
}

void consider_format13(ByteView data, uint16_t platform, uint64_t start, ExtendedCmaps& maps) {
  if (maps.format13.size != 0 || !is_unicode_platform(platform) ||
      !has_bytes(data, start, kFormat13HeaderSize))
    return;
  const uint32_t group_count = read_u32_be(data, start + 12);
  if (!has_bytes(data, start + kFormat13HeaderSize, kFormat13GroupSize * group_count))
    return;
  maps.format13.reserve(group_count);
  for (uint64_t i = 0; i < group_count; ++i) {
    const uint64_t group = start + kFormat13HeaderSize + kFormat13GroupSize * i;
    maps.format13.push_back(SharedGlyphRange{read_u32_be(data, group), read_u32_be(data, group + 4),
                                             read_u32_be(data, group + 8)});
  }
}

void consider_format14(ByteView data, uint16_t platform, uint16_t encoding, uint64_t start,
                       ExtendedCmaps& maps) {
  // Variation sequences live under Unicode platform encoding 5 only.
  if (maps.format14_length != 0 || platform != kPlatformUnicode || encoding != 5 ||
      !has_bytes(data, start, kFormat14HeaderSize))
    return;
  const uint32_t length = read_u32_be(data, start + 2);
  const uint32_t records = read_u32_be(data, start + 6);
  if (length < kFormat14HeaderSize || !has_bytes(data, start, length) ||
      (length - kFormat14HeaderSize) / kSelectorRecordSize < records)
    return;
  maps.format14 = static_cast<uint32_t>(start);
  maps.format14_length = length;
  maps.format14_records = records;
}

// Binary search over `count` records of `size` bytes from `first`, sorted by the u24 at
// their start; the index of the one equal to `value`, or -1.
int64_t find_u24(ByteView data, uint64_t first, uint64_t count, uint64_t size, uint32_t value) {
  uint64_t lo = 0;
  uint64_t hi = count;
  while (lo < hi) {
    const uint64_t mid = lo + (hi - lo) / 2;
    const uint32_t at = read_u24_be(data, first + size * mid);
    if (value < at)
      hi = mid;
    else if (value > at)
      lo = mid + 1;
    else
      return static_cast<int64_t>(mid);
  }
  return -1;
}

// The u32 count at `table` (an offset into the subtable), when it and its `size`-byte
// entries lie inside the subtable; false otherwise.
bool table_entries(ByteView data, const ExtendedCmaps& maps, uint32_t table, uint64_t size,
                   uint32_t& count) {
  if (table == 0 || uint64_t{table} + 4 > maps.format14_length)
    return false;
  count = read_u32_be(data, uint64_t{maps.format14} + table);
  return (maps.format14_length - table - 4) / size >= count;
}

bool in_default_ranges(ByteView data, const ExtendedCmaps& maps, uint32_t table, uint32_t base) {
  uint32_t count = 0;
  if (!table_entries(data, maps, table, kDefaultRangeSize, count))
    return false;
  const uint64_t first = uint64_t{maps.format14} + table + 4;
  // The last range starting at or below `base`.
  uint64_t lo = 0;
  uint64_t hi = count;
  while (lo < hi) {
    const uint64_t mid = lo + (hi - lo) / 2;
    if (read_u24_be(data, first + kDefaultRangeSize * mid) <= base)
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo == 0)
    return false;
  const uint64_t range = first + kDefaultRangeSize * (lo - 1);
  return base - read_u24_be(data, range) <= data.data[range + 3];
}

} // namespace

void select_extended_cmaps(ByteView data, const TableRecord& cmap, ExtendedCmaps& maps) {
  if (!has_bytes(data, cmap.offset, 4))
    return;
  const uint16_t record_count = read_u16_be(data, uint64_t{cmap.offset} + 2);
  const uint64_t records = uint64_t{cmap.offset} + 4;
  if (!has_bytes(data, records, kEncodingRecordSize * record_count))
    return;
  for (uint64_t i = 0; i < record_count; ++i) {
    const uint64_t at = records + kEncodingRecordSize * i;
    const uint16_t platform = read_u16_be(data, at);
    const uint16_t encoding = read_u16_be(data, at + 2);
    const uint32_t offset = read_u32_be(data, at + 4);
    const uint64_t start = uint64_t{cmap.offset} + offset;
    if (offset >= cmap.length || !has_bytes(data, start, 2))
      continue;
    const uint16_t format = read_u16_be(data, start);
    if (format == 0)
      consider_format0(data, platform, encoding, start, maps);
    else if (format == 13)
      consider_format13(data, platform, start, maps);
    else if (format == 14)
      consider_format14(data, platform, encoding, start, maps);
  }
}

bool has_extended_cmap(const ExtendedCmaps& maps) {
  return maps.format0_valid || maps.format13.size != 0;
}

uint16_t map_extended(ByteView data, const ExtendedCmaps& maps, uint32_t codepoint) {
  uint64_t lo = 0;
  uint64_t hi = maps.format13.size;
  while (lo < hi) {
    const uint64_t mid = lo + (hi - lo) / 2;
    const SharedGlyphRange& group = maps.format13.data[mid];
    if (codepoint < group.start_code)
      hi = mid;
    else if (codepoint > group.end_code)
      lo = mid + 1;
    else
      return static_cast<uint16_t>(group.glyph);
  }
  if (!maps.format0_valid)
    return 0;
  const int32_t code = maps.format0_macintosh ? macintosh_byte(maps.format0_encoding, codepoint)
                                              : (codepoint <= 0xFF ? int32_t(codepoint) : -1);
  return code < 0 ? 0 : data.data[uint64_t{maps.format0} + static_cast<uint32_t>(code)];
}

SequenceMapping map_variation_sequence(ByteView data, const ExtendedCmaps& maps, uint32_t base,
                                       uint32_t selector, uint16_t& glyph) {
  if (maps.format14_length == 0)
    return SequenceMapping::kNone;
  const uint64_t records = uint64_t{maps.format14} + kFormat14HeaderSize;
  const int64_t found =
      find_u24(data, records, maps.format14_records, kSelectorRecordSize, selector);
  if (found < 0)
    return SequenceMapping::kNone;
  const uint64_t record = records + kSelectorRecordSize * static_cast<uint64_t>(found);
  if (in_default_ranges(data, maps, read_u32_be(data, record + 3), base))
    return SequenceMapping::kDefault;
  const uint32_t table = read_u32_be(data, record + 7);
  uint32_t count = 0;
  if (!table_entries(data, maps, table, kNonDefaultMappingSize, count))
    return SequenceMapping::kNone;
  const uint64_t first = uint64_t{maps.format14} + table + 4;
  const int64_t mapping = find_u24(data, first, count, kNonDefaultMappingSize, base);
  if (mapping < 0)
    return SequenceMapping::kNone;
  glyph = read_u16_be(data, first + kNonDefaultMappingSize * static_cast<uint64_t>(mapping) + 3);
  return SequenceMapping::kGlyph;
}
