// Writes TrueType (sfnt) files byte by byte for tests: exactly the tables a case needs,
// well-formed by default and easy to break on purpose. Independent of the library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testfont {

using Bytes = std::vector<uint8_t>;

// Big-endian writer with in-place patching.
class ByteWriter {
public:
  ByteWriter& u8(uint8_t value);
  ByteWriter& u16(uint16_t value);
  ByteWriter& i16(int16_t value) { return u16(static_cast<uint16_t>(value)); }
  ByteWriter& u32(uint32_t value);
  ByteWriter& tag(const std::string& four_letters);
  ByteWriter& append(const Bytes& more);
  ByteWriter& pad_to(size_t alignment);
  size_t size() const { return bytes_.size(); }
  const Bytes& bytes() const { return bytes_; }

private:
  Bytes bytes_;
};

void put_u16(Bytes& bytes, size_t offset, uint16_t value);
void put_u32(Bytes& bytes, size_t offset, uint32_t value);
uint16_t get_u16(const Bytes& bytes, size_t offset);
uint32_t get_u32(const Bytes& bytes, size_t offset);

// ---- glyph descriptions ------------------------------------------------------------

struct GlyphPoint {
  int x;
  int y;
  bool on_curve = true;
};
using Contour = std::vector<GlyphPoint>;

// A simple glyph: the shortest coordinate forms are chosen (repeat flags, byte deltas,
// "same as previous"), so decoders meet every form. Coordinates are absolute font units.
Bytes simple_glyph(const std::vector<Contour>& contours, const Bytes& instructions = {});

// One component of a composite glyph. `flags` is written as given, except that the
// argument-size, matrix and more-components bits are derived from the fields below.
struct Component {
  uint16_t glyph = 0;
  int arg1 = 0;
  int arg2 = 0;
  uint16_t flags = 0x0002; // ARGS_ARE_XY_VALUES
  bool word_args = true;   // 0x0001
  // Raw F2Dot14 matrix: empty (identity), 1 value (0x0008), 2 (0x0040) or 4 (0x0080).
  std::vector<int16_t> matrix;
  bool has_instructions = false; // 0x0100 on the last component: writes the bytes below
  Bytes instructions;
};
Bytes composite_glyph(const std::vector<Component>& components, int16_t contour_count = -1);

// ---- character maps ----------------------------------------------------------------

struct Format4Segment {
  uint16_t start;
  uint16_t end;
  uint16_t id_delta;
  uint16_t id_range_offset; // raw value, as stored
};
// Segments as given (including any closing 0xFFFF segment), then the glyph id array.
Bytes cmap_format4(const std::vector<Format4Segment>& segments,
                   const std::vector<uint16_t>& glyph_ids = {});
// A format-4 map for the given (code point, glyph) pairs, each pair its own delta segment
// (adjacent pairs with a common delta are merged), closed by 0xFFFF with delta 1.
Bytes cmap_format4_for(const std::vector<std::pair<uint16_t, uint16_t>>& mapping);

struct Format12Group {
  uint32_t start;
  uint32_t end;
  uint32_t start_glyph;
};
Bytes cmap_format12(const std::vector<Format12Group>& groups);
// Format 13: each group's code points all map to its start_glyph.
Bytes cmap_format13(const std::vector<Format12Group>& groups);
// Format 0: `glyphs[code]` for codes 0-255 (missing entries 0).
Bytes cmap_format0(const std::vector<uint8_t>& glyphs);

// One variation selector's record of a format-14 subtable.
struct VariationSelector {
  uint32_t selector;
  std::vector<std::pair<uint32_t, uint8_t>> default_ranges; // start, additional count
  std::vector<std::pair<uint32_t, uint16_t>> mappings;      // base, glyph
};
Bytes cmap_format14(const std::vector<VariationSelector>& selectors);

struct EncodingRecord {
  uint16_t platform;
  uint16_t encoding;
  Bytes subtable;
  // When set, the record points at this offset instead of the subtable's real place.
  int64_t offset_override = -1;
};
// A cmap table; identical subtables are stored once.
Bytes cmap_table(const std::vector<EncodingRecord>& records);

// ---- whole fonts -------------------------------------------------------------------

struct TableEntry {
  std::string tag;
  Bytes data;
  // Directory overrides for broken variants (-1: the real value).
  int64_t offset_override = -1;
  int64_t length_override = -1;
};

// Directory + tables, each table 4-byte aligned, in the order given (duplicates allowed).
Bytes sfnt_file(const std::vector<TableEntry>& tables, uint32_t version = 0x00010000);

// A collection ("ttcf", version 1.0) of whole sfnt files: each is copied after the header
// and the face offsets, its table offsets moved by where it landed.
Bytes collection_file(const std::vector<Bytes>& faces);

// Offset and length of the first (or last, if `last`) directory record with this tag,
// or {0, 0} when absent.
struct TableLocation {
  uint32_t offset = 0;
  uint32_t length = 0;
};
TableLocation find_table(const Bytes& font, const std::string& tag, bool last = false);

struct GlyphShape {
  Bytes data; // empty: no outline (like a space)
  uint16_t advance = 500;
  int16_t lsb = 0;
};

// A complete, valid font. Everything has defaults; tests change what they need.
struct FontParams {
  uint32_t version = 0x00010000;
  uint16_t units_per_em = 1000;
  int16_t index_to_loc_format = 0; // 0: short loca, otherwise long
  int16_t ascender = 800;
  int16_t descender = -200;
  int16_t line_gap = 90;
  // 0: one full metric record per glyph; otherwise this many records.
  uint16_t num_hmetrics = 0;
  // Glyph 0 is the missing glyph. Defaults: boxes at 0 and 1, an empty glyph at 2.
  std::vector<GlyphShape> glyphs;
  std::vector<EncodingRecord> cmaps; // default: (3,1) format 4, A to glyph 1, space to 2
  uint16_t num_glyphs_override = 0;  // maxp numGlyphs when nonzero
  std::vector<TableEntry> extra_tables;
  std::vector<std::string> omit_tables;
};

std::vector<TableEntry> font_tables(const FontParams& params);
Bytes build_font(const FontParams& params);

// A closed square contour with corners (x0, y0) and (x1, y1).
Contour box(int x0, int y0, int x1, int y1);

} // namespace testfont
