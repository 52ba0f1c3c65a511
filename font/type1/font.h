// A Type 1 font program, parsed: vertical metrics, the font's own encoding vector, and
// the decrypted subroutines and charstrings.
#pragma once
#include <stdint.h>

#include "containers/array.h"
#include "containers/string.h"
#include "containers/unordered_map.h"
#include "containers/vector.h"

using ByteVector = dv::vector<unsigned char>;

struct Type1Font {
  double units_per_em = 1000.0;
  double ascent = 800.0;
  double descent = 200.0;
  int32_t len_iv = 4;
  dv::array<dv::string, 256> encoding;
  dv::vector<ByteVector> subrs;
  dv::unordered_map<dv::string, ByteVector> charstrings;
};

// Parses a PFB (segmented binary) or PFA (text with hexadecimal eexec) font program into
// `font`. True when at least one charstring was stored; on false `font` is partly filled.
bool load_type1_font(Type1Font& font, const ByteVector& bytes);

// The charstring cipher (key 4330); drops the first `len_iv` decrypted bytes when
// `len_iv` is positive.
ByteVector decrypt_charstring(const ByteVector& encrypted, int len_iv);

// Scanning primitives over a byte vector that is not NUL-terminated.
inline constexpr unsigned long kNotFound = ~0UL;
unsigned long find_bytes(const ByteVector& data, const char* pattern, unsigned long start);
void skip_spaces(const ByteVector& data, unsigned long& position);
bool parse_ascii_int(const ByteVector& data, unsigned long& position, int& value);
bool parse_ascii_double(const ByteVector& data, unsigned long& position, double& value);
