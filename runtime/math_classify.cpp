// Finiteness tests on the bit patterns, so they never trap and never depend on
// comparisons with NaN.
#include "runtime/export.h"
#include "runtime/math.h"

namespace dv {

namespace {

struct ExtendedBits {
  uint64_t significand;
  uint16_t sign_exponent;
  unsigned char padding[6];
};
static_assert(sizeof(ExtendedBits) == sizeof(long double));

} // namespace

DV_FUNCTION(int, isfinite, (double x)) {
  const uint64_t magnitude = __builtin_bit_cast(uint64_t, x) & 0x7FFFFFFFFFFFFFFFull;
  return magnitude < 0x7FF0000000000000ull;
}

DV_FUNCTION(int, dv_math_isfinite, (double x)) {
  return dv::isfinite(x);
}

DV_FUNCTION(int, dv_math_isfinitef, (float x)) {
  const uint32_t magnitude = __builtin_bit_cast(uint32_t, x) & 0x7FFFFFFFu;
  return magnitude < 0x7F800000u;
}

// 80-bit extended: zero exponents (zeros, denormals) are finite; exponents 1..0x7FFE count
// only with the explicit integer bit set (unnormals do not); 0x7FFF is infinity or NaN.
DV_FUNCTION(int, dv_math_isfinitel, (long double x)) {
  const ExtendedBits bits = __builtin_bit_cast(ExtendedBits, x);
  const unsigned exponent = bits.sign_exponent & 0x7FFFu;
  if (exponent == 0)
    return 1;
  const bool integer_bit = (bits.significand >> 63) != 0;
  return exponent < 0x7FFFu && integer_bit;
}

} // namespace dv
