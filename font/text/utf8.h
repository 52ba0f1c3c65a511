// UTF-8 text to code points, and code points to lines.
#pragma once
#include "containers/vector.h"

using CodepointLine = dv::vector<unsigned int>;

inline constexpr unsigned int kReplacementCharacter = 0xFFFD;

// Decodes up to the terminating 0 byte. Never fails: a byte that cannot start a sequence,
// or a sequence cut short by a byte that is not a continuation byte, yields U+FFFD (the
// cutting byte is then read again as a lead byte). Overlong forms, surrogates and values
// above U+10FFFF pass unchanged.
CodepointLine decode_utf8(const char* text);

// Splits at line feeds (a trailing one leaves an empty last line) and drops carriage
// returns. There is always at least one line.
dv::vector<CodepointLine> split_lines(const CodepointLine& codepoints);
