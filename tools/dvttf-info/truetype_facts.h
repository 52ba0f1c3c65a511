// What dvttf-info reports about an sfnt font (TrueType or OpenType CFF) the library loaded.
#pragma once

#include <cstdio>

#include "font/sfnt/sfnt_font.h"

namespace dvttf_info {

// Metrics as the library reads them from head, hhea and maxp, the character map
// subtables it chose, and how many code points they map to a glyph.
void print_truetype_facts(const SfntFont& font, FILE* out);

} // namespace dvttf_info
