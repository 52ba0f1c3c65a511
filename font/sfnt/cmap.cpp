#include "font/sfnt/cmap.h"

namespace {

constexpr uint16_t kPlatformUnicode = 0;
constexpr uint16_t kPlatformWindows = 3;
constexpr uint16_t kWindowsUnicodeBmp = 1;
constexpr uint16_t kWindowsUnicodeFull = 10;
constexpr uint16_t kUnicodeFullRepertoire = 4;

constexpr uint64_t kEncodingRecordSize = 8;
constexpr uint64_t kFormat4HeaderSize = 16;
constexpr uint64_t kFormat12HeaderSize = 16;
constexpr uint64_t kFormat12GroupSize = 12;

struct EncodingRecord {
  uint16_t platform;
  uint16_t encoding;
  uint32_t offset;
};

bool is_unicode_platform(uint16_t platform) {
  return platform == kPlatformUnicode || platform == kPlatformWindows;
}

// `rem` is the number of font bytes from `start` (the subtable) to the end of the data.
void consider_format12(ByteView data, const EncodingRecord& record, uint64_t start, uint64_t rem,
                       Format12Groups& groups) {
  if (!is_unicode_platform(record.platform) || rem < kFormat12HeaderSize)
    return;
  const uint32_t length = read_u32_be(data, start + 4);
  if (length < kFormat12HeaderSize || length > rem)
    return;
  const uint32_t group_count = read_u32_be(data, start + 12);
  if (data.size - (start + kFormat12HeaderSize) < kFormat12GroupSize * group_count)
    return;
  if (groups.size != 0 && record.encoding != kWindowsUnicodeFull &&
      record.encoding != kUnicodeFullRepertoire)
    return;
  groups.offset = start + kFormat12HeaderSize;
  groups.size = group_count;
}

void consider_format4(ByteView data, const EncodingRecord& record, uint64_t start, uint64_t rem,
                      Format4Subtable& format4) {
  if (!is_unicode_platform(record.platform) || rem < 8)
    return;
  const uint16_t length = read_u16_be(data, start + 2);
  if (length < kFormat4HeaderSize || length > rem)
    return;
  const uint16_t seg_count_x2 = read_u16_be(data, start + 6);
  if (seg_count_x2 == 0 || seg_count_x2 % 2 != 0)
    return;
  const uint64_t arrays_end = kFormat4HeaderSize + 4 * uint64_t{seg_count_x2};
  if (arrays_end > length) // `length` <= rem, so the arrays lie inside the data as well
    return;
  if (format4.valid && record.encoding != kWindowsUnicodeBmp)
    return;
  format4.offset = static_cast<uint32_t>(start);
  format4.seg_count = static_cast<uint16_t>(seg_count_x2 / 2);
  format4.end_code_offset = 14;
  format4.start_code_offset = static_cast<uint16_t>(16 + seg_count_x2);
  format4.id_delta_offset = static_cast<uint16_t>(16 + 2 * seg_count_x2);
  format4.id_range_offset_offset = static_cast<uint16_t>(16 + 3 * seg_count_x2);
  format4.valid = true;
}

// The glyph a format-4 subtable gives, or 0 for a miss.
uint16_t map_format4(ByteView data, const Format4Subtable& table, uint16_t codepoint) {
  const uint64_t ends = uint64_t{table.offset} + table.end_code_offset;
  uint16_t k = 0;
  while (k < table.seg_count && read_u16_be(data, ends + 2 * uint64_t{k}) < codepoint)
    ++k;
  if (k == table.seg_count)
    return 0;
  const uint64_t index = 2 * uint64_t{k};
  const uint16_t start = read_u16_be(data, table.offset + table.start_code_offset + index);
  if (start > codepoint)
    return 0;
  const uint16_t delta = read_u16_be(data, table.offset + table.id_delta_offset + index);
  const uint64_t range_position = uint64_t{table.offset} + table.id_range_offset_offset + index;
  const uint16_t range_offset = read_u16_be(data, range_position);
  if (range_offset == 0)
    return static_cast<uint16_t>(delta + codepoint);
  const uint64_t glyph_position =
      range_position + range_offset + 2 * uint64_t{static_cast<uint16_t>(codepoint - start)};
  if (!has_bytes(data, glyph_position, 2))
    return 0;
  const uint16_t raw = read_u16_be(data, glyph_position);
  return raw == 0 ? 0 : static_cast<uint16_t>(delta + raw);
}

// A binary search over the groups in place; `groups.size` groups were proven to lie inside
// the data.
uint16_t map_format12(ByteView data, const Format12Groups& groups, uint32_t codepoint) {
  uint64_t lo = 0;
  uint64_t hi = groups.size;
  while (lo < hi) {
    const uint64_t mid = lo + (hi - lo) / 2;
    const uint64_t group = groups.offset + kFormat12GroupSize * mid;
    const uint32_t start_code = read_u32_be(data, group);
    if (codepoint < start_code) {
      hi = mid;
    } else if (codepoint <= read_u32_be(data, group + 4)) {
      return static_cast<uint16_t>(codepoint - start_code + read_u32_be(data, group + 8));
    } else {
      lo = mid + 1;
    }
  }
  return 0;
}

} // namespace

bool select_cmap_subtables(ByteView data, const TableRecord& cmap, Format4Subtable& format4,
                           Format12Groups& format12) {
  if (!has_bytes(data, cmap.offset, 4))
    return false;
  const uint16_t record_count = read_u16_be(data, uint64_t{cmap.offset} + 2);
  const uint64_t records = uint64_t{cmap.offset} + 4;
  if (!has_bytes(data, records, kEncodingRecordSize * record_count))
    return false;
  for (uint64_t i = 0; i < record_count; ++i) {
    const uint64_t at = records + kEncodingRecordSize * i;
    const EncodingRecord record{read_u16_be(data, at), read_u16_be(data, at + 2),
                                read_u32_be(data, at + 4)};
    if (record.offset >= cmap.length)
      continue;
    const uint64_t start = uint64_t{cmap.offset} + record.offset;
    if (!has_bytes(data, start, 2))
      continue;
    const uint64_t rem = data.size - start;
    const uint16_t format = read_u16_be(data, start);
    if (format == 12)
      consider_format12(data, record, start, rem, format12);
    else if (format == 4)
      consider_format4(data, record, start, rem, format4);
  }
  return true;
}

uint16_t map_code_point(ByteView data, const Format4Subtable& format4,
                        const Format12Groups& format12, uint32_t codepoint) {
  if (codepoint <= 0xFFFF && format4.valid) {
    const uint16_t glyph = map_format4(data, format4, static_cast<uint16_t>(codepoint));
    if (glyph != 0)
      return glyph;
  }
  return map_format12(data, format12, codepoint);
}

uint16_t lookup_glyph_cached(ByteView data, const Format4Subtable& format4,
                             const Format12Groups& format12,
                             dv::unordered_map<unsigned int, unsigned short>& cache,
                             uint32_t codepoint) {
  const auto* found = cache.find(codepoint);
  if (found != cache.end())
    return found->second;
  const uint16_t glyph = map_code_point(data, format4, format12, codepoint);
  cache[codepoint] = glyph;
  return glyph;
}
