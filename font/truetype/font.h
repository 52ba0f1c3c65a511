// The parsed state of a TrueType font: the sfnt part every outline format shares
// (font/sfnt/sfnt_font.h) plus where the glyf outlines lie. Nothing is unpacked: the
// glyph offsets are read from loca when a glyph needs them. Everything is read-only once
// load_truetype_font has succeeded, so glyph code elsewhere may read any of it:
//   - `glyf.offset + glyph_offset(font, g)` .. `glyf.offset + glyph_offset(font, g + 1)` is
//     the data of glyph g < num_glyphs (offsets are <= glyf.length but need not ascend);
//   - map code points with map_code_point (font/sfnt/cmap.h) on `data`, `cmap4` and
//     `cmap12_groups`.
#pragma once
#include <stdint.h>

#include "containers/vector.h"
#include "font/sfnt/glyph_variations.h"
#include "font/sfnt/sfnt_font.h"

struct TrueTypeFont : SfntFont {
  TableRecord glyf;
  TableRecord loca;
  int16_t index_to_loc_format = 0; // 0: 16-bit loca entries, else 32-bit
  GlyphVariationTable gvar;        // present only in a variable font with a usable gvar
};

// True when the instance drawn is not the default one: outlines and advances then vary.
inline bool varies(const TrueTypeFont& font) {
  return !font.variations.at_default;
}

// Entry `entry` <= num_glyphs of loca: an offset into glyf, at most glyf.length. Loading
// proved every entry lies inside the data and within glyf, so it is read unchecked.
inline uint32_t glyph_offset(const TrueTypeFont& font, uint32_t entry) {
  const uint64_t loca = font.loca.offset;
  return font.index_to_loc_format != 0 ? read_u32_be(font.data, loca + 4 * uint64_t{entry})
                                       : 2u * read_u16_be(font.data, loca + 2 * uint64_t{entry});
}

// Fills `font` from a complete font file, which it keeps. False when the file is not a usable
// TrueType font; `font` is then partly filled and must only be destroyed.
bool load_truetype_font(TrueTypeFont& font, FontBytes bytes);

// The same for the face whose table directory starts at `directory` (a collection's face).
bool load_truetype_font(TrueTypeFont& font, FontBytes bytes, uint32_t directory);
