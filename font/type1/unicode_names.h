// Unicode naming of Type 1 glyphs in the complete mode: text is Unicode, so a code point
// finds its glyph through the glyph names; a symbol font, whose names mean no characters,
// also maps codes 0-255 through its own encoding.
#pragma once

#include "font/type1/font.h"

// Fills font.unicode from the charstring names and the font's encoding (StandardEncoding
// already resolved into it).
void build_unicode_names(Type1Font& font);

// The charstring that draws `codepoint` in the complete mode, or null (".notdef" then):
// 1. the glyph whose name stands for the code point (the first such glyph in the font's
//    CharStrings order, a name's second value only where no name's first value is it);
// 2. otherwise, in a symbolic font and for a code point up to 255, the glyph the font's
//    encoding names at that code.
const ByteView* charstring_for_codepoint(const Type1Font& font, unsigned int codepoint);

// A font is symbolic when fewer than half of the printable ASCII codes (0x21-0x7E) at
// which its encoding names an existing glyph name a glyph standing for that very code.
bool has_symbolic_names(const Type1Font& font);
