// The byte a Unicode code point has in a Macintosh single-byte character set, for
// format-0 character maps of the Macintosh platform: each set is ASCII below 0x80 and a
// table of 128 code points above.
#pragma once
#include <stdint.h>

// The byte of `codepoint` in the set whose bytes 0x80-0xFF are `high_half`, or -1 when
// the set lacks it.
inline int32_t mac_byte_of(const uint16_t (&high_half)[128], uint32_t codepoint) {
  if (codepoint < 0x80)
    return static_cast<int32_t>(codepoint);
  for (int32_t i = 0; i < 128; ++i) {
    if (high_half[i] == codepoint)
      return 0x80 + i;
  }
  return -1;
}
