#include "font/truetype/font.h"

namespace {

constexpr uint32_t kVersionTrueType = 0x00010000;
constexpr uint32_t kVersionTrue = 0x74727565; // "true"
constexpr uint64_t kOffsetTableSize = 12;
constexpr uint64_t kDirectoryRecordSize = 16;
constexpr uint64_t kHeadMinimum = 54;
constexpr uint64_t kHheaMinimum = 36;
constexpr uint64_t kMaxpMinimum = 6;

bool read_directory(TrueTypeFont& font) {
  const dv::vector<unsigned char>& data = font.data_;
  if (data.size < kOffsetTableSize)
    return false;
  const uint32_t version = read_u32_be(data, 0);
  if (version != kVersionTrueType && version != kVersionTrue)
    return false;
  const uint16_t table_count = read_u16_be(data, 4);
  if (data.size - kOffsetTableSize < kDirectoryRecordSize * table_count)
    return false;
  for (uint64_t i = 0; i < table_count; ++i) {
    const uint64_t at = kOffsetTableSize + kDirectoryRecordSize * i;
    const uint32_t tag = read_u32_be(data, at);
    const TableRecord record{read_u32_be(data, at + 8), read_u32_be(data, at + 12)};
    if (!has_bytes(data, record.offset, record.length))
      return false;
    font.tables_[tag] = record;
  }
  return true;
}

bool assign_required_tables(TrueTypeFont& font) {
  return assign_table(font, sfnt_tag("cmap"), font.cmap_) &&
         assign_table(font, sfnt_tag("glyf"), font.glyf_) &&
         assign_table(font, sfnt_tag("loca"), font.loca_) &&
         assign_table(font, sfnt_tag("head"), font.head_) &&
         assign_table(font, sfnt_tag("hhea"), font.hhea_) &&
         assign_table(font, sfnt_tag("hmtx"), font.hmtx_) &&
         assign_table(font, sfnt_tag("maxp"), font.maxp_);
}

// The fixed header fields. Sizes are measured to the end of the data, not by the tables'
// own lengths.
bool read_header_fields(TrueTypeFont& font) {
  const dv::vector<unsigned char>& data = font.data_;
  if (!has_bytes(data, font.head_.offset, kHeadMinimum) ||
      !has_bytes(data, font.hhea_.offset, kHheaMinimum) ||
      !has_bytes(data, font.maxp_.offset, kMaxpMinimum))
    return false;
  const uint64_t head = font.head_.offset;
  const uint64_t hhea = font.hhea_.offset;
  font.units_per_em_ = read_u16_be(data, head + 18);
  font.index_to_loc_format_ = read_i16_be(data, head + 50);
  font.ascent_ = read_i16_be(data, hhea + 4);
  font.descent_ = static_cast<int16_t>(-read_u16_be(data, hhea + 6)); // wraps: -32768 stays
  font.line_gap_ = read_i16_be(data, hhea + 8);
  font.num_hmetrics_ = read_u16_be(data, hhea + 34);
  font.num_glyphs_ = read_u16_be(data, uint64_t{font.maxp_.offset} + 4);
  return font.units_per_em_ != 0 && font.num_glyphs_ != 0 && font.num_hmetrics_ != 0;
}

bool decode_loca(TrueTypeFont& font) {
  const dv::vector<unsigned char>& data = font.data_;
  const uint64_t loca = font.loca_.offset;
  const uint64_t entries = uint64_t{font.num_glyphs_} + 1;
  const bool long_offsets = font.index_to_loc_format_ != 0;
  if (!has_bytes(data, loca, (long_offsets ? 4 : 2) * entries))
    return false;
  font.glyph_offsets_.resize(entries);
  for (uint64_t i = 0; i < entries; ++i) {
    const uint32_t offset =
        long_offsets ? read_u32_be(data, loca + 4 * i) : 2u * read_u16_be(data, loca + 2 * i);
    if (offset > font.glyf_.length)
      return false;
    font.glyph_offsets_.data[i] = offset;
  }
  return true;
}

} // namespace

bool assign_table(const TrueTypeFont& font, uint32_t tag, TableRecord& record) {
  const auto* found = font.tables_.find(tag);
  if (found == font.tables_.end())
    return false;
  record = found->second;
  return true;
}

bool load_truetype_font(TrueTypeFont& font, const dv::vector<unsigned char>& bytes) {
  font.data_ = bytes;
  if (!read_directory(font) || !assign_required_tables(font) || !read_header_fields(font) ||
      !decode_loca(font))
    return false;
  if (!select_cmap_subtables(font.data_, font.cmap_, font.cmap4_, font.cmap12_groups_))
    return false;
  return font.cmap4_.valid || font.cmap12_groups_.size != 0;
}
