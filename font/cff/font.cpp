#include "font/cff/font.h"

#include "font/cff/dict.h"

namespace {

constexpr uint32_t kVersionCff = 0x4F54544F; // "OTTO"
constexpr uint32_t kMaxFontDicts = 256;      // FDSelect names a Font DICT in one byte
constexpr uint64_t kFdSelectRangeSize = 3;   // first glyph (u16), Font DICT (u8)

// The CFF table's bounds, used as the limit of every read inside it.
struct CffTable {
  uint64_t start;
  uint64_t end;
};

// The Private DICT at `size`, `offset` (relative to the table) and its local subroutines.
bool read_private(const CffFont& font, const CffTable& table, const CffDict& owner,
                  CffPrivate& result) {
  result = CffPrivate();
  if (!owner.has_private)
    return true;
  const uint64_t start = table.start + owner.private_offset;
  if (start > table.end || table.end - start < owner.private_size)
    return false;
  CffDict dict;
  const ByteSpan span{static_cast<uint32_t>(start), owner.private_size};
  if (!parse_cff_dict(font.data, span, dict))
    return false;
  if (!dict.has_subrs)
    return true;
  return read_cff_index(font.data, start + dict.subrs, table.end, result.local_subrs);
}

bool read_font_dicts(CffFont& font, const CffTable& table, const CffDict& top) {
  CffIndex fd_array;
  if (!top.has_fd_array || !top.has_fd_select ||
      !read_cff_index(font.data, table.start + top.fd_array, table.end, fd_array) ||
      fd_array.count == 0)
    return false;
  const uint32_t count = fd_array.count < kMaxFontDicts ? fd_array.count : kMaxFontDicts;
  font.privates.resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    ByteSpan span;
    CffDict font_dict;
    if (!cff_index_object(font.data, fd_array, i, span) ||
        !parse_cff_dict(font.data, span, font_dict) ||
        !read_private(font, table, font_dict, font.privates.data[i]))
      return false;
  }
  return true;
}

// Proves the FDSelect data covers every charstring, so lookups read it without tests.
bool read_fd_select(CffFont& font, const CffTable& table, const CffDict& top) {
  const uint64_t at = table.start + top.fd_select;
  if (at >= table.end)
    return false;
  font.fd_select = static_cast<uint32_t>(at);
  font.fd_select_format = font.data.data[at];
  const uint64_t room = table.end - at - 1;
  if (font.fd_select_format == 0)
    return room >= font.charstrings.count;
  if (font.fd_select_format != 3 || room < 2)
    return false;
  const uint16_t ranges = read_u16_be(font.data, at + 1);
  return ranges != 0 && room - 2 >= kFdSelectRangeSize * ranges + 2;
}

bool read_charset(CffFont& font, const CffTable& table, const CffDict& top) {
  if (top.charset <= 2) {
    font.charset = 0;
    font.charset_expert = top.charset != 0;
    return true;
  }
  const uint64_t at = table.start + top.charset;
  if (at >= table.end)
    return false;
  font.charset = static_cast<uint32_t>(at);
  return true;
}

bool read_top_dict(CffFont& font, const CffTable& table, CffDict& top) {
  ByteView data = font.data;
  if (table.end - table.start < 4 || data.data[table.start] != 1)
    return false;
  const uint64_t header_size = data.data[table.start + 2];
  CffIndex names;
  CffIndex top_dicts;
  CffIndex strings;
  ByteSpan top_span;
  return read_cff_index(data, table.start + header_size, table.end, names) &&
         read_cff_index(data, names.end, table.end, top_dicts) &&
         read_cff_index(data, top_dicts.end, table.end, strings) &&
         read_cff_index(data, strings.end, table.end, font.global_subrs) &&
         cff_index_object(data, top_dicts, 0, top_span) && parse_cff_dict(data, top_span, top);
}

bool read_cff_table(CffFont& font) {
  if (!assign_table(font, sfnt_tag("CFF "), font.cff_) || font.data.size > UINT32_MAX)
    return false;
  const CffTable table{font.cff_.offset, uint64_t{font.cff_.offset} + font.cff_.length};
  CffDict top;
  if (!read_top_dict(font, table, top) || top.charstring_type != 2 || !top.has_charstrings)
    return false;
  if (!read_cff_index(font.data, table.start + top.charstrings, table.end, font.charstrings) ||
      font.charstrings.count == 0)
    return false;
  font.cid_keyed = top.cid_keyed;
  if (font.cid_keyed)
    return read_font_dicts(font, table, top) && read_fd_select(font, table, top);
  font.privates.resize(1);
  return read_private(font, table, top, font.privates.data[0]) && read_charset(font, table, top);
}

uint32_t fd_for_glyph(const CffFont& font, uint32_t glyph) {
  ByteView data = font.data;
  if (font.fd_select_format == 0)
    return data.data[font.fd_select + 1 + glyph];
  const uint16_t ranges = read_u16_be(data, font.fd_select + 1);
  uint64_t at = font.fd_select + 3;
  for (uint16_t r = 0; r < ranges; ++r, at += kFdSelectRangeSize) {
    const uint16_t first = read_u16_be(data, at);
    const uint16_t next = read_u16_be(data, at + kFdSelectRangeSize);
    if (glyph >= first && glyph < next)
      return data.data[at + 2];
  }
  return kMaxFontDicts; // no range holds the glyph
}

} // namespace

bool load_cff_font(CffFont& font, FontBytes bytes, uint32_t directory) {
  if (sfnt_version_at(bytes, directory) != kVersionCff)
    return false;
  return load_sfnt_font(font, dv::move(bytes), directory) && read_cff_table(font);
}

const CffPrivate* private_for_glyph(const CffFont& font, uint32_t glyph) {
  if (!font.cid_keyed)
    return font.privates.data;
  if (glyph >= font.charstrings.count)
    return nullptr;
  const uint32_t fd = fd_for_glyph(font, glyph);
  return fd < font.privates.size ? font.privates.data + fd : nullptr;
}

bool glyph_for_sid(const CffFont& font, uint16_t sid, uint32_t& glyph) {
  if (font.cid_keyed || font.charset_expert)
    return false;
  const uint32_t glyph_count = font.charstrings.count;
  if (font.charset == 0) { // ISOAdobe: glyph i names string i
    glyph = sid;
    return sid < glyph_count;
  }
  ByteView data = font.data;
  const uint64_t end = uint64_t{font.cff_.offset} + font.cff_.length;
  const uint8_t format = data.data[font.charset];
  uint64_t at = uint64_t{font.charset} + 1;
  if (sid == 0) { // .notdef is glyph 0 and is not listed
    glyph = 0;
    return true;
  }
  uint32_t next_glyph = 1;
  while (next_glyph < glyph_count) {
    if (format == 0) {
      if (end - at < 2)
        return false;
      if (read_u16_be(data, at) == sid) {
        glyph = next_glyph;
        return true;
      }
      at += 2;
      ++next_glyph;
      continue;
    }
    if (format != 1 && format != 2)
      return false;
    const uint64_t range_size = format == 1 ? 3 : 4;
    if (end - at < range_size)
      return false;
    const uint16_t first = read_u16_be(data, at);
    const uint32_t left = format == 1 ? data.data[at + 2] : read_u16_be(data, at + 2);
    if (sid >= first && sid - first <= left) {
      glyph = next_glyph + (sid - first);
      return glyph < glyph_count;
    }
    next_glyph += left + 1;
    at += range_size;
  }
  return false;
}
