// A contact sheet of a font as the library draws it: every code point the font maps, in
// code point order, sixteen to a row, each glyph in its own cell under its "U+XXXX" label.
#pragma once

#include <string>

#include "common/inspected_font.h"

namespace dvttf_info {

// Writes the sheet of a loaded `font` to the PNG `path`; returns "" or what went wrong.
// The number of glyphs drawn goes to `drawn`.
std::string write_glyph_sheet(const dvttf_tools::InspectedFont& font, const std::string& path,
                              size_t* drawn);

} // namespace dvttf_info
