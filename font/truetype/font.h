// The parsed state of a TrueType font: the sfnt part every outline format shares
// (font/sfnt/sfnt_font.h) plus the glyf outlines. Only the glyph offsets and the
// format-12 groups are unpacked. Everything is read-only once load_truetype_font has
// succeeded, so glyph code elsewhere may read any of it:
//   - `glyf.offset + glyph_offsets[g]` .. `glyf.offset + glyph_offsets[g + 1]` is the
//     data of glyph g < num_glyphs (entries are <= glyf.length but need not ascend);
//   - map code points with map_code_point (font/sfnt/cmap.h) on `data`, `cmap4` and
//     `cmap12_groups`.
#pragma once
#include <stdint.h>

#include "containers/vector.h"
#include "font/sfnt/sfnt_font.h"

struct TrueTypeFont : SfntFont {
  TableRecord glyf;
  TableRecord loca;
  int16_t index_to_loc_format = 0;        // 0: 16-bit loca entries, else 32-bit
  dv::vector<unsigned int> glyph_offsets; // num_glyphs + 1 offsets into glyf
};

// Fills `font` from a complete font file, which it keeps. False when the file is not a usable
// TrueType font; `font` is then partly filled and must only be destroyed.
bool load_truetype_font(TrueTypeFont& font, FontBytes bytes);

// The same for the face whose table directory starts at `directory` (a collection's face).
bool load_truetype_font(TrueTypeFont& font, FontBytes bytes, uint32_t directory);
