#include "font/sfnt/sfnt_font.h"

namespace {

constexpr uint64_t kOffsetTableSize = 12;
constexpr uint64_t kDirectoryRecordSize = 16;
constexpr uint64_t kHeadMinimum = 54;
constexpr uint64_t kHheaMinimum = 36;
constexpr uint64_t kMaxpMinimum = 6;

bool read_directory(SfntFont& font, uint64_t directory) {
  ByteView data = font.data;
  if (!has_bytes(data, directory, kOffsetTableSize))
    return false;
  const uint16_t table_count = read_u16_be(data, directory + 4);
  if (!has_bytes(data, directory + kOffsetTableSize, kDirectoryRecordSize * table_count))
    return false;
  for (uint64_t i = 0; i < table_count; ++i) {
    const uint64_t at = directory + kOffsetTableSize + kDirectoryRecordSize * i;
    const uint32_t tag = read_u32_be(data, at);
    const TableRecord record{read_u32_be(data, at + 8), read_u32_be(data, at + 12)};
    if (!has_bytes(data, record.offset, record.length))
      return false;
    font.tables[tag] = record;
  }
  return true;
}

bool assign_required_tables(SfntFont& font) {
  return assign_table(font, sfnt_tag("cmap"), font.cmap) &&
         assign_table(font, sfnt_tag("head"), font.head) &&
         assign_table(font, sfnt_tag("hhea"), font.hhea) &&
         assign_table(font, sfnt_tag("hmtx"), font.hmtx) &&
         assign_table(font, sfnt_tag("maxp"), font.maxp);
}

// The fixed header fields. Sizes are measured to the end of the data, not by the tables'
// own lengths.
bool read_header_fields(SfntFont& font) {
  ByteView data = font.data;
  if (!has_bytes(data, font.head.offset, kHeadMinimum) ||
      !has_bytes(data, font.hhea.offset, kHheaMinimum) ||
      !has_bytes(data, font.maxp.offset, kMaxpMinimum))
    return false;
  const uint64_t head = font.head.offset;
  const uint64_t hhea = font.hhea.offset;
  font.units_per_em = read_u16_be(data, head + 18);
  font.ascent = read_i16_be(data, hhea + 4);
  font.descent = static_cast<int16_t>(-read_u16_be(data, hhea + 6)); // wraps: -32768 stays
  font.line_gap = read_i16_be(data, hhea + 8);
  font.num_hmetrics = read_u16_be(data, hhea + 34);
  font.num_glyphs = read_u16_be(data, uint64_t{font.maxp.offset} + 4);
  return font.units_per_em != 0 && font.num_glyphs != 0 && font.num_hmetrics != 0;
}

bool select_character_map(SfntFont& font) {
  if (!select_cmap_subtables(font.data, font.cmap, font.cmap4, font.cmap12_groups))
    return false;
  if (font.reads_extended_cmaps)
    select_extended_cmaps(font.data, font.cmap, font.extended_cmaps);
  return font.cmap4.valid || font.cmap12_groups.size != 0 || has_extended_cmap(font.extended_cmaps);
}

} // namespace

uint32_t sfnt_version_at(ByteView data, uint64_t directory) {
  return has_bytes(data, directory, 4) ? read_u32_be(data, directory) : 0;
}

bool load_sfnt_font(SfntFont& font, FontBytes bytes, uint32_t directory) {
  font.data = dv::move(bytes);
  if (!read_directory(font, directory) || !assign_required_tables(font) ||
      !read_header_fields(font) || !select_character_map(font))
    return false;
  read_font_variations(font.data, font.tables, font.variations);
  return true;
}

bool assign_table(const SfntFont& font, uint32_t tag, TableRecord& record) {
  const auto* found = font.tables.find(tag);
  if (found == font.tables.end())
    return false;
  record = found->second;
  return true;
}

bool advance_width(const SfntFont& font, uint16_t glyph, uint16_t& width) {
  if (font.num_hmetrics == 0)
    return false;
  const uint16_t record = glyph < font.num_hmetrics ? glyph : font.num_hmetrics - 1;
  const uint64_t record_offset = static_cast<uint64_t>(font.hmtx.offset) + 4ull * record;
  if (!has_bytes(font.data, record_offset, 4))
    return false;
  width = read_u16_be(font.data, record_offset);
  if (glyph < font.num_hmetrics)
    return true;
  const uint64_t bearing_offset = static_cast<uint64_t>(font.hmtx.offset) +
                                  4ull * font.num_hmetrics + 2ull * (glyph - font.num_hmetrics);
  return has_bytes(font.data, bearing_offset, 2);
}
