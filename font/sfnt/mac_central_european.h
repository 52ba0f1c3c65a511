// The Macintosh Central European character set, read backwards: the byte a Unicode code point
// has in it, for format-0 character maps of the Macintosh platform.
#pragma once
#include <stdint.h>

// The Mac Central European byte of `codepoint` (0x00-0x7F are ASCII), or -1 when the set lacks it.
int32_t mac_central_european_byte(uint32_t codepoint);
