// The character maps only the extended loaders read, beside the format-4 and format-12
// subtables every loader uses (font/sfnt/cmap.h): format 0 (a byte per code; on the
// Macintosh platform Roman, Cyrillic or Central European), format 13 (ranges of code
// points sharing one glyph) and format 14 (variation sequences).
#pragma once
#include <stdint.h>

#include "containers/vector.h"
#include "font/sfnt/cmap.h"
#include "font/sfnt/sfnt.h"

// Where the chosen subtables lie. Each was proven to lie inside the data when chosen:
// format 0's 256 glyph bytes, format 13's groups (copied out), format 14's selector
// records. Format 14's default and non-default tables are checked as they are read.
// One group of a format 13 subtable: every code of the range maps to `glyph`.
struct SharedGlyphRange {
  uint32_t start_code = 0;
  uint32_t end_code = 0;
  uint32_t glyph = 0;
};

struct ExtendedCmaps {
  uint32_t format0 = 0;           // absolute offset of the 256 glyph bytes
  bool format0_valid = false;     //
  bool format0_macintosh = false; // codes are bytes of a Macintosh set, else Unicode 0-255
  uint16_t format0_encoding = 0;  // that set: Roman, Cyrillic or Central European
  dv::vector<SharedGlyphRange> format13;
  uint32_t format14 = 0;        // absolute offset of the subtable
  uint32_t format14_length = 0; // bytes from `format14` that lie inside the data and table
  uint32_t format14_records = 0;
};

// Walks the encoding records again for the formats above; the first usable subtable of
// each wins. The cmap header and record list were checked by select_cmap_subtables.
void select_extended_cmaps(ByteView data, const TableRecord& cmap, ExtendedCmaps& maps);

bool has_extended_cmap(const ExtendedCmaps& maps);

// The glyph of a code point through formats 13 and 0, for code points the main maps
// missed; 0 when neither maps it.
uint16_t map_extended(ByteView data, const ExtendedCmaps& maps, uint32_t codepoint);

// What format 14 says of `base` followed by `selector`.
enum class SequenceMapping {
  kNone,    // the font lists no such sequence: the base's own glyph is drawn
  kDefault, // the base's own glyph is the variant
  kGlyph,   // the variant is `glyph`
};
SequenceMapping map_variation_sequence(ByteView data, const ExtendedCmaps& maps, uint32_t base,
                                       uint32_t selector, uint16_t& glyph);
