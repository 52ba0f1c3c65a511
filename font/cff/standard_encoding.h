// StandardEncoding as CFF spells it: character codes to the standard string IDs of the
// glyph names they encode.
#pragma once
#include <stdint.h>

// The SID StandardEncoding gives `code` (0-255); 0 (.notdef) for an empty slot or a code
// outside 0-255.
uint16_t standard_encoding_sid(int code);
