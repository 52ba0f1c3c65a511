#include "font/truetype/font.h"

namespace {

constexpr uint32_t kVersionTrueType = 0x00010000;
constexpr uint32_t kVersionTrue = 0x74727565; // "true"
constexpr uint64_t kHeadIndexToLocFormat = 50;

bool is_truetype_version(uint32_t version) {
  return version == kVersionTrueType || version == kVersionTrue;
}

// True when any of loca's `entries` big-endian entries of type `Entry` at `loca` (inside
// the data), doubled for 16-bit entries, is past `limit`. One comparison per entry, ORed
// together without an early exit, so that the compiler tests many entries at once; the
// OR does not depend on the order the comparisons are made in.
template <typename Entry>
bool any_entry_past(ByteView data, uint64_t loca, uint64_t entries, uint32_t limit) {
  const unsigned char* bytes = data.data + loca;
  uint32_t past = 0;
  for (uint64_t i = 0; i < entries; ++i) {
    Entry raw;
    __builtin_memcpy(&raw, bytes + sizeof(Entry) * i, sizeof(Entry));
    const uint32_t value =
        sizeof(Entry) == 4 ? __builtin_bswap32(raw) : 2u * __builtin_bswap16(uint16_t(raw));
    past |= value > limit ? 1u : 0u;
  }
  return past != 0;
}

// Glyphs read their offsets from loca unchecked (glyph_offset), so the whole table must lie
// inside the data and every entry within glyf; a font that breaks either is refused.
bool loca_within_glyf(const TrueTypeFont& font) {
  const ByteView data = font.data;
  const uint64_t loca = font.loca.offset;
  const uint64_t entries = uint64_t{font.num_glyphs} + 1;
  const bool long_offsets = font.index_to_loc_format != 0;
  if (!has_bytes(data, loca, (long_offsets ? 4 : 2) * entries))
    return false;
  const uint32_t limit = font.glyf.length;
  return long_offsets ? !any_entry_past<uint32_t>(data, loca, entries, limit)
                      : !any_entry_past<uint16_t>(data, loca, entries, limit);
}

// load_sfnt_font proved the head table holds the field.
bool read_glyf_outlines(TrueTypeFont& font) {
  if (!assign_table(font, sfnt_tag("glyf"), font.glyf) ||
      !assign_table(font, sfnt_tag("loca"), font.loca))
    return false;
  font.index_to_loc_format = read_i16_be(font.data, font.head.offset + kHeadIndexToLocFormat);
  if (!loca_within_glyf(font))
    return false;
  TableRecord gvar;
  if (font.variations.axes.size != 0 && assign_table(font, sfnt_tag("gvar"), gvar))
    read_glyph_variation_table(font.data, gvar, static_cast<uint32_t>(font.variations.axes.size),
                               font.gvar);
  return true;
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
