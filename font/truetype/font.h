// The parsed state of a TrueType font: its own copy of the file plus what loading found
// in it. Tables are read in place from `data_`; only the glyph offsets and the format-12
// groups are unpacked. Everything is read-only once load_truetype_font has succeeded, so
// glyph code elsewhere may read any of it:
//   - `glyf_.offset + glyph_offsets_[g]` .. `glyf_.offset + glyph_offsets_[g + 1]` is the
//     data of glyph g < num_glyphs_ (entries are <= glyf_.length but need not ascend);
//   - `hmtx_.offset` starts num_hmetrics_ (advance u16, lsb i16) records, then the
//     trailing lsb array; neither is bounds-checked here: test with has_bytes;
//   - map code points with map_code_point (font/cmap.h) on `data_`, `cmap4_`, `cmap12_groups_`.
#pragma once
#include <stdint.h>

#include "containers/unordered_map.h"
#include "containers/vector.h"
#include "font/truetype/cmap.h"
#include "font/truetype/sfnt.h"

struct TrueTypeFont {
  dv::vector<unsigned char> data_;                      // the whole font file
  dv::unordered_map<unsigned int, TableRecord> tables_; // every directory entry, by tag
  TableRecord cmap_;
  TableRecord glyf_;
  TableRecord loca_;
  TableRecord head_;
  TableRecord hhea_;
  TableRecord hmtx_;
  TableRecord maxp_;
  uint16_t units_per_em_ = 0;              // never 0 after loading
  int16_t ascent_ = 0;                     // hhea ascender
  int16_t descent_ = 0;                    // hhea descender negated (-32768 stays -32768)
  int16_t line_gap_ = 0;                   // hhea lineGap
  int16_t index_to_loc_format_ = 0;        // 0: 16-bit loca entries, else 32-bit
  uint16_t num_glyphs_ = 0;                // never 0 after loading
  uint16_t num_hmetrics_ = 0;              // never 0 after loading
  dv::vector<unsigned int> glyph_offsets_; // num_glyphs_ + 1 offsets into glyf
  Format4Subtable cmap4_;
  dv::vector<Format12Group> cmap12_groups_;
};

// Fills `font` from a complete font file. False when the file is not a usable TrueType
// font; `font` is then partly filled and must only be destroyed.
bool load_truetype_font(TrueTypeFont& font, const dv::vector<unsigned char>& bytes);

// Copies the directory entry of `tag` into `record`; false (record untouched) when absent.
bool assign_table(const TrueTypeFont& font, uint32_t tag, TableRecord& record);
