// A contact sheet of a font as the library draws it: every code point the font maps, in
// code point order, sixteen to a row, each glyph in its own cell under its "U+XXXX" label.
#pragma once

#include <string>
#include <vector>

#include "common/inspected_font.h"

namespace dvttf_info {

// Pixel rows of one page at most: a CJK font's sheet in one image would be a PNG of
// 1024 x 170,000 pixels, which common image viewers refuse to open.
inline constexpr int kMaxSheetRows = 4096;
inline constexpr size_t kAllGlyphs = ~size_t{0};

struct SheetResult {
  size_t mapped = 0;              // code points the font gives a glyph of its own
  size_t drawn = 0;               // of them drawn (the first max_glyphs)
  std::vector<std::string> pages; // the files written: `path`, then NAME-2.png, NAME-3.png...
};

// Writes the sheet of at most `max_glyphs` of a loaded `font` to the PNG `path`, in pages
// of at most kMaxSheetRows pixel rows; returns "" or what went wrong. Writes nothing when
// the font maps no code point.
std::string write_glyph_sheet(const dvttf_tools::InspectedFont& font, const std::string& path,
                              size_t max_glyphs, SheetResult* result);

} // namespace dvttf_info
