// What a Type 1 glyph name says about the character it draws: the Unicode value of a
// standard name ("eacute", "quoteright"), of "uniXXXX" and of "uXXXX" to "uXXXXXX".
#pragma once
#include <stdint.h>

inline constexpr uint32_t kNoCodepoint = 0xFFFFFFFFu;

// The character the name of `length` bytes stands for, or kNoCodepoint. Exact names only:
// a suffixed name such as "a.sc" or "uni00E9.alt" stands for no character, and neither
// does a surrogate or a value past U+10FFFF.
uint32_t glyph_name_codepoint(const char* name, unsigned long length);

// The second character that earlier editions of the glyph list gave a few names
// ("space" also U+00A0, "hyphen" also U+00AD, "mu" also U+03BC, ...), or kNoCodepoint.
// A font's glyph stands for it only where no glyph of the font stands for it first.
uint32_t glyph_name_second_codepoint(const char* name, unsigned long length);
