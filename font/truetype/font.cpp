#include "font/truetype/font.h"

namespace {

constexpr uint32_t kVersionTrueType = 0x00010000;
constexpr uint32_t kVersionTrue = 0x74727565; // "true"
constexpr uint64_t kHeadIndexToLocFormat = 50;

bool is_truetype_version(uint32_t version) {
  return version == kVersionTrueType || version == kVersionTrue;
}

bool decode_loca(TrueTypeFont& font) {
  ByteView data = font.data;
  const uint64_t loca = font.loca.offset;
  const uint64_t entries = uint64_t{font.num_glyphs} + 1;
  const bool long_offsets = font.index_to_loc_format != 0;
  if (!has_bytes(data, loca, (long_offsets ? 4 : 2) * entries))
    return false;
  font.glyph_offsets.resize(entries);
  for (uint64_t i = 0; i < entries; ++i) {
    const uint32_t offset =
        long_offsets ? read_u32_be(data, loca + 4 * i) : 2u * read_u16_be(data, loca + 2 * i);
    if (offset > font.glyf.length)
      return false;
    font.glyph_offsets.data[i] = offset;
  }
  return true;
}

// load_sfnt_font proved the head table holds the field.
bool read_glyf_outlines(TrueTypeFont& font) {
  if (!assign_table(font, sfnt_tag("glyf"), font.glyf) ||
      !assign_table(font, sfnt_tag("loca"), font.loca))
    return false;
  font.index_to_loc_format = read_i16_be(font.data, font.head.offset + kHeadIndexToLocFormat);
  return decode_loca(font);
}

} // namespace

bool load_truetype_font(TrueTypeFont& font, FontBytes bytes, uint32_t directory) {
  if (!is_truetype_version(sfnt_version_at(bytes, directory)))
    return false;
  return load_sfnt_font(font, dv::move(bytes), directory) && read_glyf_outlines(font);
}

bool load_truetype_font(TrueTypeFont& font, FontBytes bytes) {
  return load_truetype_font(font, dv::move(bytes), 0);
}
