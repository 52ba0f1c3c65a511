// Text-to-number conversions. None of them sets dv_errno or detects overflow: integers
// wrap in 64 bits, decimals accumulate in double. `end`, when non-null, receives the
// address after the last character used, or `text` when no digits were converted.
#pragma once

namespace dv {

// Bases 2-36, or 0 to pick 16/8/10 from a "0x"/"0" prefix; other bases convert nothing.
long strtol(const char* text, char** end, int base);
unsigned long strtoul(const char* text, char** end, int base);
// No base check: any digit whose value (0-35) is below the base is accepted.
unsigned long long strtoull(const char* text, char** end, int base);
long long strtoll(const char* text, char** end, int base);

// Decimal only ("inf", "nan" and hexadecimal floating point convert nothing). Digits
// accumulate in double and the exponent is applied with dv::pow, so results may differ
// from the correctly rounded value in the last bits. Exponent magnitudes saturate at
// 2147483647; fraction digits beyond the 308th are consumed but no longer counted.
double strtod(const char* text, char** end);
float strtof(const char* text, char** end);

} // namespace dv
