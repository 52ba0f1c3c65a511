#include "font/cff/font.h"

#include "font/cff/dict.h"

namespace {

constexpr uint32_t kVersionCff = 0x4F54544F;  // "OTTO"
constexpr uint32_t kMaxFontDicts = 256;       // FDSelect names a Font DICT in one byte
constexpr uint32_t kMaxCff2FontDicts = 65536; // format 4 names it in two
constexpr uint64_t kFdSelectRangeSize = 3;    // first glyph (u16), Font DICT (u8)
constexpr uint64_t kFdSelectRange4Size = 6;   // first glyph (u32), Font DICT (u16)
constexpr uint8_t kNoFdSelect = 0xFF;         // CFF2 without FDSelect: every glyph uses DICT 0

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
  if (!(font.cff2 ? parse_cff2_dict(font.data, span, font.cff2_store, dict)
                  : parse_cff_dict(font.data, span, dict)))
    return false;
  result.vsindex = static_cast<uint16_t>(dict.vsindex);
  if (!dict.has_subrs)
    return true;
  return font.cff2 ? read_cff2_index(font.data, start + dict.subrs, table.end, result.local_subrs)
                   : read_cff_index(font.data, start + dict.subrs, table.end, result.local_subrs);
}

bool read_font_dicts(CffFont& font, const CffTable& table, const CffDict& top) {
  CffIndex fd_array;
  const uint64_t at = table.start + top.fd_array;
  if (!top.has_fd_array || (!top.has_fd_select && !font.cff2) ||
      !(font.cff2 ? read_cff2_index(font.data, at, table.end, fd_array)
                  : read_cff_index(font.data, at, table.end, fd_array)) ||
      fd_array.count == 0)
    return false;
  const uint32_t most = font.cff2 ? kMaxCff2FontDicts : kMaxFontDicts;
  const uint32_t count = fd_array.count < most ? fd_array.count : most;
  font.privates.resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    ByteSpan span;
    CffDict font_dict;
    if (!cff_index_object(font.data, fd_array, i, span) ||
        !(font.cff2 ? parse_cff2_dict(font.data, span, font.cff2_store, font_dict)
                    : parse_cff_dict(font.data, span, font_dict)) ||
        !read_private(font, table, font_dict, font.privates.data[i]))
      return false;
  }
  return true;
}

// Proves the FDSelect data covers every charstring, so lookups read it without tests.
bool read_fd_select(CffFont& font, const CffTable& table, const CffDict& top) {
  if (!top.has_fd_select) { // only CFF2 gets here without one
    font.fd_select_format = kNoFdSelect;
    return true;
  }
  const uint64_t at = table.start + top.fd_select;
  if (at >= table.end)
    return false;
  font.fd_select = static_cast<uint32_t>(at);
  font.fd_select_format = font.data.data[at];
  const uint64_t room = table.end - at - 1;
  if (font.fd_select_format == 0)
    return room >= font.charstrings.count;
  if (font.fd_select_format == 4 && font.cff2) {
    if (room < 4)
      return false;
    const uint32_t ranges = read_u32_be(font.data, at + 1);
    return ranges != 0 && (room - 4) / kFdSelectRange4Size >= uint64_t{ranges} &&
           room - 4 - kFdSelectRange4Size * ranges >= 4;
  }
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

// The CFF2 header: major version 2, its size, and the length of the Top DICT that follows.
// The global subroutines come right after the Top DICT.
bool read_cff2_top_dict(CffFont& font, const CffTable& table, CffDict& top) {
  ByteView data = font.data;
  if (table.end - table.start < 5 || data.data[table.start] != 2)
    return false;
  const uint64_t header_size = data.data[table.start + 2];
  const uint64_t dict_length = read_u16_be(data, table.start + 3);
  if (header_size < 5 || table.end - table.start < header_size + dict_length)
    return false;
  const ByteSpan span{static_cast<uint32_t>(table.start + header_size),
                      static_cast<uint32_t>(dict_length)};
  const ItemVariationStore none;
  return parse_cff2_dict(data, span, none, top) &&
         read_cff2_index(data, span.offset + uint64_t{span.length}, table.end, font.global_subrs);
}

// The store a CFF2 Top DICT names: a 16-bit length, then an item variation store whose
// regions must have one coordinate per fvar axis.
bool read_cff2_store(CffFont& font, const CffTable& table, const CffDict& top) {
  if (!top.has_vstore)
    return true;
  const uint64_t at = table.start + top.vstore;
  if (at > table.end || table.end - at < 2)
    return false;
  const uint64_t length = read_u16_be(font.data, at);
  const uint64_t end = at + 2 + length;
  font.cff2_store.offset = at + 2;
  font.cff2_store.table_end = end < table.end ? end : table.end;
  font.cff2_store.present = true;
  const uint32_t axes = static_cast<uint32_t>(font.variations.axes.size);
  return axes == 0 || item_store_fits_axes(font.data, font.cff2_store, axes);
}

bool read_cff2_table(CffFont& font) {
  if (!assign_table(font, sfnt_tag("CFF2"), font.cff_) || font.data.size > UINT32_MAX)
    return false;
  font.cff2 = true;
  font.cid_keyed = true; // glyphs pick their Private DICT through the FDArray
  const CffTable table{font.cff_.offset, uint64_t{font.cff_.offset} + font.cff_.length};
  CffDict top;
  if (!read_cff2_top_dict(font, table, top) || !top.has_charstrings ||
      !read_cff2_store(font, table, top) ||
      !read_cff2_index(font.data, table.start + top.charstrings, table.end, font.charstrings) ||
      font.charstrings.count == 0)
    return false;
  return read_font_dicts(font, table, top) && read_fd_select(font, table, top);
}

// Format 4 may hold millions of ranges, so the range is found by bisection: the last whose
// first glyph is not past `glyph` (ranges out of order give some Font DICT or none, never
// a read outside the data).
uint32_t fd_for_glyph_format4(const CffFont& font, uint32_t glyph) {
  ByteView data = font.data;
  const uint64_t ranges = font.fd_select + 5;
  uint32_t low = 0;
  uint32_t high = read_u32_be(data, font.fd_select + 1); // ranges[low, high) may hold it
  while (high - low > 1) {
    const uint32_t middle = low + (high - low) / 2;
    if (read_u32_be(data, ranges + kFdSelectRange4Size * middle) <= glyph)
      low = middle;
    else
      high = middle;
  }
  const uint64_t at = ranges + kFdSelectRange4Size * low;
  const uint32_t first = read_u32_be(data, at);
  const uint32_t next = read_u32_be(data, at + kFdSelectRange4Size); // the sentinel after the last
  if (glyph >= first && glyph < next)
    return read_u16_be(data, at + 4);
  return kMaxCff2FontDicts; // no range holds the glyph
}

uint32_t fd_for_glyph(const CffFont& font, uint32_t glyph) {
  ByteView data = font.data;
  if (font.fd_select_format == kNoFdSelect)
    return 0;
  if (font.fd_select_format == 0)
    return data.data[font.fd_select + 1 + glyph];
  if (font.fd_select_format == 4)
    return fd_for_glyph_format4(font, glyph);
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
  if (!load_sfnt_font(font, dv::move(bytes), directory))
    return false;
  TableRecord cff;
  return assign_table(font, sfnt_tag("CFF "), cff) ? read_cff_table(font) : read_cff2_table(font);
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
