// Scanning primitives over the bytes of a Type 1 font program, which are not
// NUL-terminated: finding a literal, skipping white space and reading ASCII numbers.
#pragma once
#include "containers/vector.h"
#include "font/font_bytes.h"

using ByteVector = dv::vector<unsigned char>;

inline constexpr unsigned long kNotFound = ~0UL;

// The first offset >= `start` where `pattern` occurs, or kNotFound (also for an empty or
// null pattern).
unsigned long find_bytes(ByteView data, const char* pattern, unsigned long start);
// True when `pattern` occurs at `position`.
bool matches_at(ByteView data, unsigned long position, const char* pattern);
// True when the two bytes at `position` are `first` and `second`.
bool has_token(ByteView data, unsigned long position, char first, char second);
ByteVector slice(ByteView data, unsigned long start, unsigned long end);

void skip_spaces(ByteView data, unsigned long& position);
// A name runs up to the next white space (and, when `slash_ends` is set, the next '/').
unsigned long name_token_end(ByteView data, unsigned long start, bool slash_ends);
// After leading white space: an optional sign and decimal digits, wrapping modulo 2^32.
bool parse_ascii_int(ByteView data, unsigned long& position, int& value);
bool parse_ascii_double(ByteView data, unsigned long& position, double& value);
