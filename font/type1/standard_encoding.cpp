#include "font/type1/standard_encoding.h"

namespace {

// The standard encoding of the Type 1 format, eight codes a row; unused codes are null.
// clang-format off
const char* const kStandardEncoding[256] = {
    /* 00 */ nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    /* 08 */ nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    /* 10 */ nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    /* 18 */ nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    /* 20 */ "space", "exclam", "quotedbl", "numbersign", "dollar", "percent", "ampersand", "quoteright",
    /* 28 */ "parenleft", "parenright", "asterisk", "plus", "comma", "hyphen", "period", "slash",
    /* 30 */ "zero", "one", "two", "three", "four", "five", "six", "seven",
    /* 38 */ "eight", "nine", "colon", "semicolon", "less", "equal", "greater", "question",
    /* 40 */ "at", "A", "B", "C", "D", "E", "F", "G",
    /* 48 */ "H", "I", "J", "K", "L", "M", "N", "O",
    /* 50 */ "P", "Q", "R", "S", "T", "U", "V", "W",
    /* 58 */ "X", "Y", "Z", "bracketleft", "backslash", "bracketright", "asciicircum", "underscore",
    /* 60 */ "quoteleft", "a", "b", "c", "d", "e", "f", "g",
    /* 68 */ "h", "i", "j", "k", "l", "m", "n", "o",
    /* 70 */ "p", "q", "r", "s", "t", "u", "v", "w",
    /* 78 */ "x", "y", "z", "braceleft", "bar", "braceright", "asciitilde", nullptr,
    /* 80 */ nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    /* 88 */ nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    /* 90 */ nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    /* 98 */ nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    /* A0 */ nullptr, "exclamdown", "cent", "sterling", "fraction", "yen", "florin", "section",
    /* A8 */ "currency", "quotesingle", "quotedblleft", "guillemotleft", "guilsinglleft", "guilsinglright", "fi", "fl",
    /* B0 */ nullptr, "endash", "dagger", "daggerdbl", "periodcentered", nullptr, "paragraph", "bullet",
    /* B8 */ "quotesinglbase", "quotedblbase", "quotedblright", "guillemotright", "ellipsis", "perthousand", nullptr, "questiondown",
    /* C0 */ nullptr, "grave", "acute", "circumflex", "tilde", "macron", "breve", "dotaccent",
    /* C8 */ "dieresis", nullptr, "ring", "cedilla", nullptr, "hungarumlaut", "ogonek", "caron",
    /* D0 */ "emdash", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    /* D8 */ nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    /* E0 */ nullptr, "AE", nullptr, "ordfeminine", nullptr, nullptr, nullptr, nullptr,
    /* E8 */ "Lslash", "Oslash", "OE", "ordmasculine", nullptr, nullptr, nullptr, nullptr,
    /* F0 */ nullptr, "ae", nullptr, nullptr, nullptr, "dotlessi", nullptr, nullptr,
    /* F8 */ "lslash", "oslash", "oe", "germandbls", nullptr, nullptr, nullptr, nullptr,
};
// clang-format on

} // namespace

const char* standard_encoding_name(unsigned int code) {
  return code < 256 ? kStandardEncoding[code] : nullptr;
}

void fill_standard_encoding(dv::array<dv::string, 256>& encoding) {
  for (unsigned int code = 0; code < 256; ++code) {
    const char* name = kStandardEncoding[code];
    encoding[code] = name != nullptr ? dv::string(name) : dv::string();
  }
}
