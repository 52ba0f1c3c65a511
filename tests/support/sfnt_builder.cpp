#include "support/sfnt_builder.h"

#include <algorithm>
#include <climits>
#include <map>

namespace testfont {

ByteWriter& ByteWriter::u8(uint8_t value) {
  bytes_.push_back(value);
  return *this;
}

ByteWriter& ByteWriter::u16(uint16_t value) {
  bytes_.push_back(static_cast<uint8_t>(value >> 8));
  bytes_.push_back(static_cast<uint8_t>(value));
  return *this;
}

ByteWriter& ByteWriter::u32(uint32_t value) {
  u16(static_cast<uint16_t>(value >> 16));
  return u16(static_cast<uint16_t>(value));
}

ByteWriter& ByteWriter::tag(const std::string& four_letters) {
  for (size_t i = 0; i < 4; ++i)
    u8(i < four_letters.size() ? static_cast<uint8_t>(four_letters[i]) : ' ');
  return *this;
}

ByteWriter& ByteWriter::append(const Bytes& more) {
  bytes_.insert(bytes_.end(), more.begin(), more.end());
  return *this;
}

ByteWriter& ByteWriter::pad_to(size_t alignment) {
  while (bytes_.size() % alignment != 0)
    bytes_.push_back(0);
  return *this;
}

void put_u16(Bytes& bytes, size_t offset, uint16_t value) {
  bytes.at(offset) = static_cast<uint8_t>(value >> 8);
  bytes.at(offset + 1) = static_cast<uint8_t>(value);
}

void put_u32(Bytes& bytes, size_t offset, uint32_t value) {
  put_u16(bytes, offset, static_cast<uint16_t>(value >> 16));
  put_u16(bytes, offset + 2, static_cast<uint16_t>(value));
}

uint16_t get_u16(const Bytes& bytes, size_t offset) {
  return static_cast<uint16_t>(bytes.at(offset) << 8 | bytes.at(offset + 1));
}

uint32_t get_u32(const Bytes& bytes, size_t offset) {
  return static_cast<uint32_t>(get_u16(bytes, offset)) << 16 | get_u16(bytes, offset + 2);
}

// ---- simple glyphs -------------------------------------------------------------------

namespace {

struct Bounds {
  int x_min = INT_MAX, y_min = INT_MAX, x_max = INT_MIN, y_max = INT_MIN;
  void add(int x, int y) {
    x_min = std::min(x_min, x);
    y_min = std::min(y_min, y);
    x_max = std::max(x_max, x);
    y_max = std::max(y_max, y);
  }
};

// Flag bits and coordinate bytes for one axis delta. `short_bit` is 0x02 (x) or 0x04 (y),
// `same_bit` 0x10 or 0x20.
uint8_t encode_delta(int delta, uint8_t short_bit, uint8_t same_bit, ByteWriter& out) {
  if (delta == 0)
    return same_bit;
  if (delta >= -255 && delta <= 255) {
    out.u8(static_cast<uint8_t>(delta < 0 ? -delta : delta));
    return static_cast<uint8_t>(short_bit | (delta > 0 ? same_bit : 0));
  }
  out.i16(static_cast<int16_t>(delta));
  return 0;
}

void write_flags(const std::vector<uint8_t>& flags, ByteWriter& out) {
  for (size_t i = 0; i < flags.size();) {
    size_t run = 1;
    while (i + run < flags.size() && flags[i + run] == flags[i] && run < 256)
      ++run;
    if (run > 1) {
      out.u8(flags[i] | 0x08).u8(static_cast<uint8_t>(run - 1));
    } else {
      out.u8(flags[i]);
    }
    i += run;
  }
}

} // namespace

Bytes simple_glyph(const std::vector<Contour>& contours, const Bytes& instructions) {
  Bounds bounds;
  std::vector<uint8_t> flags;
  ByteWriter xs, ys;
  int previous_x = 0, previous_y = 0;
  for (const Contour& contour : contours) {
    for (const GlyphPoint& point : contour) {
      bounds.add(point.x, point.y);
      uint8_t flag = point.on_curve ? 0x01 : 0x00;
      flag |= encode_delta(point.x - previous_x, 0x02, 0x10, xs);
      flag |= encode_delta(point.y - previous_y, 0x04, 0x20, ys);
      flags.push_back(flag);
      previous_x = point.x;
      previous_y = point.y;
    }
  }
  if (flags.empty())
    bounds = Bounds{0, 0, 0, 0};
  ByteWriter out;
  out.i16(static_cast<int16_t>(contours.size()));
  out.i16(static_cast<int16_t>(bounds.x_min)).i16(static_cast<int16_t>(bounds.y_min));
  out.i16(static_cast<int16_t>(bounds.x_max)).i16(static_cast<int16_t>(bounds.y_max));
  int end_point = -1;
  for (const Contour& contour : contours) {
    end_point += static_cast<int>(contour.size());
    out.u16(static_cast<uint16_t>(end_point));
  }
  out.u16(static_cast<uint16_t>(instructions.size())).append(instructions);
  write_flags(flags, out);
  out.append(xs.bytes()).append(ys.bytes());
  return out.bytes();
}

Bytes composite_glyph(const std::vector<Component>& components, int16_t contour_count) {
  ByteWriter out;
  out.i16(contour_count).i16(0).i16(0).i16(0).i16(0);
  for (size_t i = 0; i < components.size(); ++i) {
    const Component& c = components[i];
    uint16_t flags = c.flags & ~(0x0001 | 0x0008 | 0x0020 | 0x0040 | 0x0080 | 0x0100);
    if (c.word_args)
      flags |= 0x0001;
    if (c.matrix.size() == 1)
      flags |= 0x0008;
    if (c.matrix.size() == 2)
      flags |= 0x0040;
    if (c.matrix.size() == 4)
      flags |= 0x0080;
    if (i + 1 < components.size())
      flags |= 0x0020;
    if (c.has_instructions)
      flags |= 0x0100;
    out.u16(flags).u16(c.glyph);
    if (c.word_args) {
      out.i16(static_cast<int16_t>(c.arg1)).i16(static_cast<int16_t>(c.arg2));
    } else {
      out.u8(static_cast<uint8_t>(c.arg1)).u8(static_cast<uint8_t>(c.arg2));
    }
    for (int16_t value : c.matrix)
      out.i16(value);
  }
  for (const Component& c : components) {
    if (c.has_instructions)
      out.u16(static_cast<uint16_t>(c.instructions.size())).append(c.instructions);
  }
  return out.bytes();
}

Contour box(int x0, int y0, int x1, int y1) {
  return {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}};
}

// ---- character maps ------------------------------------------------------------------

Bytes cmap_format4(const std::vector<Format4Segment>& segments,
                   const std::vector<uint16_t>& glyph_ids) {
  const uint16_t seg_count = static_cast<uint16_t>(segments.size());
  ByteWriter out;
  const size_t length = 16 + 8 * segments.size() + 2 * glyph_ids.size();
  out.u16(4).u16(static_cast<uint16_t>(length)).u16(0).u16(static_cast<uint16_t>(2 * seg_count));
  uint16_t search_range = 2, entry_selector = 0;
  while (search_range * 2 <= 2 * seg_count) {
    search_range = static_cast<uint16_t>(search_range * 2);
    ++entry_selector;
  }
  out.u16(search_range)
      .u16(entry_selector)
      .u16(static_cast<uint16_t>(2 * seg_count - search_range));
  for (const auto& s : segments)
    out.u16(s.end);
  out.u16(0);
  for (const auto& s : segments)
    out.u16(s.start);
  for (const auto& s : segments)
    out.u16(s.id_delta);
  for (const auto& s : segments)
    out.u16(s.id_range_offset);
  for (uint16_t id : glyph_ids)
    out.u16(id);
  return out.bytes();
}

Bytes cmap_format4_for(const std::vector<std::pair<uint16_t, uint16_t>>& mapping) {
  std::map<uint16_t, uint16_t> sorted(mapping.begin(), mapping.end());
  sorted.erase(0xFFFF);
  std::vector<Format4Segment> segments;
  for (const auto& [code, glyph] : sorted) {
    const uint16_t delta = static_cast<uint16_t>(glyph - code);
    if (!segments.empty() && segments.back().end + 1 == code && segments.back().id_delta == delta) {
      segments.back().end = code;
    } else {
      segments.push_back({code, code, delta, 0});
    }
  }
  segments.push_back({0xFFFF, 0xFFFF, 1, 0});
  return cmap_format4(segments);
}

Bytes cmap_format12(const std::vector<Format12Group>& groups) {
  ByteWriter out;
  out.u16(12).u16(0).u32(static_cast<uint32_t>(16 + 12 * groups.size())).u32(0);
  out.u32(static_cast<uint32_t>(groups.size()));
  for (const auto& g : groups)
    out.u32(g.start).u32(g.end).u32(g.start_glyph);
  return out.bytes();
}

Bytes cmap_format13(const std::vector<Format12Group>& groups) {
  Bytes bytes = cmap_format12(groups);
  put_u16(bytes, 0, 13);
  return bytes;
}

Bytes cmap_format0(const std::vector<uint8_t>& glyphs) {
  ByteWriter out;
  out.u16(0).u16(262).u16(0);
  for (size_t code = 0; code < 256; ++code)
    out.u8(code < glyphs.size() ? glyphs[code] : 0);
  return out.bytes();
}

namespace {

void u24(ByteWriter& out, uint32_t value) {
  out.u8(static_cast<uint8_t>(value >> 16)).u16(static_cast<uint16_t>(value));
}

} // namespace

Bytes cmap_format14(const std::vector<VariationSelector>& selectors) {
  ByteWriter tables;
  std::vector<std::pair<uint32_t, uint32_t>> offsets;
  uint32_t start = static_cast<uint32_t>(10 + 11 * selectors.size());
  for (const auto& s : selectors) {
    uint32_t default_offset = 0;
    uint32_t mapping_offset = 0;
    if (!s.default_ranges.empty()) {
      default_offset = start + static_cast<uint32_t>(tables.bytes().size());
      tables.u32(static_cast<uint32_t>(s.default_ranges.size()));
      for (const auto& range : s.default_ranges) {
        u24(tables, range.first);
        tables.u8(range.second);
      }
    }
    if (!s.mappings.empty()) {
      mapping_offset = start + static_cast<uint32_t>(tables.bytes().size());
      tables.u32(static_cast<uint32_t>(s.mappings.size()));
      for (const auto& mapping : s.mappings) {
        u24(tables, mapping.first);
        tables.u16(mapping.second);
      }
    }
    offsets.emplace_back(default_offset, mapping_offset);
  }
  ByteWriter out;
  out.u16(14).u32(start + static_cast<uint32_t>(tables.bytes().size()));
  out.u32(static_cast<uint32_t>(selectors.size()));
  for (size_t i = 0; i < selectors.size(); ++i) {
    u24(out, selectors[i].selector);
    out.u32(offsets[i].first).u32(offsets[i].second);
  }
  return out.append(tables.bytes()).bytes();
}

Bytes cmap_table(const std::vector<EncodingRecord>& records) {
  std::vector<Bytes> unique;
  std::vector<uint32_t> offsets;
  uint32_t next = static_cast<uint32_t>(4 + 8 * records.size());
  std::vector<uint32_t> record_offsets;
  for (const auto& r : records) {
    auto found = std::find(unique.begin(), unique.end(), r.subtable);
    if (found == unique.end()) {
      unique.push_back(r.subtable);
      offsets.push_back(next);
      next += static_cast<uint32_t>((r.subtable.size() + 3) & ~size_t{3});
      found = unique.end() - 1;
    }
    record_offsets.push_back(offsets[static_cast<size_t>(found - unique.begin())]);
  }
  ByteWriter out;
  out.u16(0).u16(static_cast<uint16_t>(records.size()));
  for (size_t i = 0; i < records.size(); ++i) {
    const auto& r = records[i];
    out.u16(r.platform).u16(r.encoding);
    out.u32(r.offset_override >= 0 ? static_cast<uint32_t>(r.offset_override) : record_offsets[i]);
  }
  for (const Bytes& subtable : unique)
    out.append(subtable).pad_to(4);
  return out.bytes();
}

// ---- whole fonts ---------------------------------------------------------------------

Bytes sfnt_file(const std::vector<TableEntry>& tables, uint32_t version) {
  ByteWriter out;
  const uint16_t count = static_cast<uint16_t>(tables.size());
  out.u32(version).u16(count).u16(0).u16(0).u16(0);
  uint32_t offset = static_cast<uint32_t>(12 + 16 * tables.size());
  for (const auto& t : tables) {
    out.tag(t.tag).u32(0);
    out.u32(t.offset_override >= 0 ? static_cast<uint32_t>(t.offset_override) : offset);
    out.u32(t.length_override >= 0 ? static_cast<uint32_t>(t.length_override)
                                   : static_cast<uint32_t>(t.data.size()));
    offset += static_cast<uint32_t>((t.data.size() + 3) & ~size_t{3});
  }
  for (const auto& t : tables)
    out.append(t.data).pad_to(4);
  return out.bytes();
}

Bytes collection_file(const std::vector<Bytes>& faces) {
  ByteWriter out;
  out.tag("ttcf").u16(1).u16(0).u32(static_cast<uint32_t>(faces.size()));
  size_t face_offset = 12 + 4 * faces.size();
  for (const Bytes& face : faces) {
    out.u32(static_cast<uint32_t>(face_offset));
    face_offset += (face.size() + 3) & ~size_t{3};
  }
  for (const Bytes& face : faces) {
    Bytes moved = face;
    const uint32_t base = static_cast<uint32_t>(out.size());
    for (uint16_t i = 0; i < get_u16(face, 4); ++i) {
      const size_t record = 12 + 16 * size_t{i};
      put_u32(moved, record + 8, get_u32(face, record + 8) + base);
    }
    out.append(moved).pad_to(4);
  }
  return out.bytes();
}

TableLocation find_table(const Bytes& font, const std::string& tag, bool last) {
  TableLocation found;
  const uint16_t count = get_u16(font, 4);
  for (uint16_t i = 0; i < count; ++i) {
    const size_t record = 12 + 16 * size_t{i};
    if (std::string(font.begin() + static_cast<long>(record),
                    font.begin() + static_cast<long>(record + 4)) != tag)
      continue;
    found = {get_u32(font, record + 8), get_u32(font, record + 12)};
    if (!last)
      break;
  }
  return found;
}

namespace {

Bytes head_table(const FontParams& params) {
  ByteWriter out;
  out.u32(0x00010000).u32(0x00010000).u32(0).u32(0x5F0F3CF5); // checksum adjustment, magic
  out.u16(0).u16(params.units_per_em);                        // flags at 16, upem at 18
  for (int i = 0; i < 4; ++i)
    out.u32(0);                               // created, modified: 20..35
  out.i16(0).i16(0).i16(0).i16(0);            // bounding box: 36..43
  out.u16(0).u16(8).i16(2);                   // macStyle, lowestRecPPEM, direction hint
  out.i16(params.index_to_loc_format).i16(0); // 50, glyphDataFormat 52
  return out.bytes();                         // 54 bytes
}

Bytes hhea_table(const FontParams& params, uint16_t num_hmetrics) {
  ByteWriter out;
  out.u32(0x00010000).i16(params.ascender).i16(params.descender).i16(params.line_gap);
  out.u16(1000).i16(0).i16(0).i16(1000); // advanceWidthMax .. xMaxExtent: 10..17
  out.i16(1).i16(0).i16(0);              // caret: 18..23
  for (int i = 0; i < 4; ++i)
    out.i16(0);                 // reserved: 24..31
  out.i16(0).u16(num_hmetrics); // metricDataFormat 32, count 34
  return out.bytes();           // 36 bytes
}

Bytes maxp_table(uint16_t num_glyphs) {
  ByteWriter out;
  out.u32(0x00005000).u16(num_glyphs); // version 0.5: 6 bytes
  return out.bytes();
}

std::vector<GlyphShape> default_glyphs() {
  return {{simple_glyph({box(50, 0, 450, 700)}), 500, 50},
          {simple_glyph({box(100, 0, 500, 600)}), 600, 100},
          {{}, 250, 0}};
}

} // namespace

std::vector<TableEntry> font_tables(const FontParams& params) {
  const std::vector<GlyphShape> glyphs = params.glyphs.empty() ? default_glyphs() : params.glyphs;
  const uint16_t glyph_count = static_cast<uint16_t>(glyphs.size());
  const uint16_t num_hmetrics = params.num_hmetrics ? params.num_hmetrics : glyph_count;

  ByteWriter glyf, loca, hmtx;
  for (size_t i = 0; i <= glyphs.size(); ++i) {
    if (params.index_to_loc_format == 0) {
      loca.u16(static_cast<uint16_t>(glyf.size() / 2));
    } else {
      loca.u32(static_cast<uint32_t>(glyf.size()));
    }
    if (i < glyphs.size())
      glyf.append(glyphs[i].data).pad_to(params.index_to_loc_format == 0 ? 2 : 1);
  }
  for (size_t i = 0; i < glyphs.size(); ++i) {
    if (i < num_hmetrics)
      hmtx.u16(glyphs[i].advance);
    hmtx.i16(glyphs[i].lsb);
  }
  std::vector<EncodingRecord> cmaps = params.cmaps;
  if (cmaps.empty())
    cmaps.push_back({3, 1, cmap_format4_for({{'A', 1}, {' ', 2}})});

  std::vector<TableEntry> tables = {
      {"cmap", cmap_table(cmaps)},
      {"glyf", glyf.bytes()},
      {"head", head_table(params)},
      {"hhea", hhea_table(params, num_hmetrics)},
      {"hmtx", hmtx.bytes()},
      {"loca", loca.bytes()},
      {"maxp", maxp_table(params.num_glyphs_override ? params.num_glyphs_override : glyph_count)},
  };
  tables.erase(std::remove_if(tables.begin(), tables.end(),
                              [&](const TableEntry& t) {
                                return std::find(params.omit_tables.begin(),
                                                 params.omit_tables.end(),
                                                 t.tag) != params.omit_tables.end();
                              }),
               tables.end());
  tables.insert(tables.end(), params.extra_tables.begin(), params.extra_tables.end());
  return tables;
}

Bytes build_font(const FontParams& params) {
  return sfnt_file(font_tables(params), params.version);
}

} // namespace testfont
