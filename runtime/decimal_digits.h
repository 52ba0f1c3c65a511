// The exact decimal expansion of a double, and its rounding to a number of digits: what
// the formatter's %f, %e and %g print, digit for digit what a C library prints.
//
// A finite double is m * 2^e with m < 2^53. For e >= 0 it is the integer m * 2^e; for
// e < 0 it equals (m * 5^-e) / 10^-e. Either way one integer N of at most 767 decimal
// digits (m * 5^1074 for the smallest subnormal; 2^1024 has 309) and a power of ten give
// every digit exactly, so rounding to any precision is decided on exact digits.
#pragma once
#include <stdint.h>

namespace dv {

struct DecimalDigits {
  // The significant digits, '0'-'9', the first nonzero; none for zero.
  static constexpr int kCapacity = 780;
  char digits[kCapacity];
  int count = 0;
  // The value is 0.d1d2d3... * 10^point (for 1.5: digits "15", point 1).
  int point = 0;
  bool negative = false;

  // The digit at `index` (0 first), 0 beyond the significant ones.
  char at(int index) const { return index >= 0 && index < count ? digits[index] : '0'; }
};

// The exact digits of a finite `value` (the sign in `negative`, -0.0 included).
void exact_decimal(double value, DecimalDigits& out);

// Keeps the first `keep` digits (fewer than 1: none), rounding half to even on the exact
// digits dropped; a carry out of the first digit moves the point (9.96 to 2 digits is
// "10" with point 2).
void round_decimal(DecimalDigits& number, int keep);

} // namespace dv
