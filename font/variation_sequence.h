// Variation sequences: a base character followed by a variation selector (VS1-VS16 at
// U+FE00-U+FE0F, VS17-VS256 at U+E0100-U+E01EF) asks for a variant of the base's glyph.
// Text code points stay below 2^21 (font/text/utf8.h), so a sequence gets a glyph key of
// its own above them: bit 31 set, the selector's number (0 for VS1) in bits 21-28, the
// base below.
#pragma once
#include <stdint.h>

inline bool is_variation_selector(uint32_t codepoint) {
  return (codepoint >= 0xFE00 && codepoint <= 0xFE0F) ||
         (codepoint >= 0xE0100 && codepoint <= 0xE01EF);
}

inline constexpr uint32_t kSequenceKeyFlag = 0x80000000u;
inline constexpr uint32_t kSequenceBaseMask = 0x1FFFFFu;

// `selector` must be a variation selector and `base` below 2^21.
inline uint32_t variation_sequence_key(uint32_t base, uint32_t selector) {
  const uint32_t number = selector <= 0xFE0F ? selector - 0xFE00 : selector - 0xE0100 + 16;
  return kSequenceKeyFlag | number << 21 | base;
}

inline bool is_variation_sequence_key(uint32_t key) {
  return (key & kSequenceKeyFlag) != 0;
}

inline uint32_t sequence_base(uint32_t key) {
  return key & kSequenceBaseMask;
}

inline uint32_t sequence_selector(uint32_t key) {
  const uint32_t number = (key >> 21) & 0xFFu;
  return number < 16 ? 0xFE00 + number : 0xE0100 + (number - 16);
}
