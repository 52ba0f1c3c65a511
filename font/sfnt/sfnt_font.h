// The part of an sfnt font that its outline format does not change: the file it keeps,
// the table directory of one face, the line metrics from head and hhea, the glyph count
// from maxp, the horizontal metrics in hmtx and the character map. TrueType fonts (glyf)
// and OpenType fonts with CFF outlines both build on it. Tables are read in place from
// `data`; `hmtx.offset` starts num_hmetrics (advance u16, lsb i16) records, then the
// trailing lsb array, neither bounds-checked here (test with has_bytes).
#pragma once
#include <stdint.h>

#include "containers/unordered_map.h"
#include "containers/vector.h"
#include "font/font_bytes.h"
#include "font/sfnt/cmap.h"
#include "font/sfnt/extended_cmap.h"
#include "font/sfnt/font_variations.h"
#include "font/sfnt/sfnt.h"

struct SfntFont {
  FontBytes data;                                      // the whole font file
  dv::unordered_map<unsigned int, TableRecord> tables; // every directory entry, by tag
  TableRecord cmap;
  TableRecord head;
  TableRecord hhea;
  TableRecord hmtx;
  TableRecord maxp;
  uint16_t units_per_em = 0; // never 0 after loading
  int16_t ascent = 0;        // hhea ascender
  int16_t descent = 0;       // hhea descender negated (-32768 stays -32768)
  int16_t line_gap = 0;      // hhea lineGap
  uint16_t num_glyphs = 0;   // never 0 after loading
  uint16_t num_hmetrics = 0; // never 0 after loading
  Format4Subtable cmap4;
  Format12Groups cmap12_groups;
  // Set before loading by the extended loaders' character-map option: formats 0, 13 and
  // 14 are then read too, and a font with only format 0 or 13 loads.
  bool reads_extended_cmaps = false;
  ExtendedCmaps extended_cmaps;
  FontVariations variations; // no axes for a static font
};

// The sfnt version of the face whose table directory starts at `directory`, or 0 when the
// data is too short to hold one.
uint32_t sfnt_version_at(ByteView data, uint64_t directory);

// Takes `bytes` into `font` (the font keeps them: a caller that moves its vector in
// holds the file once, and borrowed bytes are read in place) and reads the table directory at
// `directory` (0 for a single font, the face's offset in a collection), the cmap, head, hhea, hmtx
// and maxp tables and a usable character map. False when any of them is missing or malformed;
// `font` is then partly filled and must only be destroyed. The version tag is the caller's to
// check.
bool load_sfnt_font(SfntFont& font, FontBytes bytes, uint32_t directory);

// Copies the directory entry of `tag` into `record`; false (record untouched) when absent.
bool assign_table(const SfntFont& font, uint32_t tag, TableRecord& record);

// The advance width of metrics glyph `glyph` in font units, or false when its hmtx entries
// do not lie inside the font data. Glyphs past the last full record share its advance.
bool advance_width(const SfntFont& font, uint16_t glyph, uint16_t& width);
