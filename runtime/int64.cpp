// Written with shifts, compares and subtractions only: no '/' or '%' on 64-bit values, so
// the compiler can never lower these routines into calls to themselves.
#include "runtime/int64.h"

#include "runtime/export.h"

namespace dv {

namespace {

uint64_t magnitude(int64_t value) {
  const uint64_t bits = static_cast<uint64_t>(value);
  return value < 0 ? 0 - bits : bits;
}

int64_t with_sign(uint64_t magnitude, bool negative) {
  return static_cast<int64_t>(negative ? 0 - magnitude : magnitude);
}

} // namespace

uint64_t udivmod64(uint64_t dividend, uint64_t divisor, uint64_t* remainder) {
  uint64_t quotient = 0;
  uint64_t partial = 0;
  if (divisor != 0 && dividend != 0) {
    // Steps above the dividend's highest set bit leave everything zero: start below them.
    for (int bit = 63 - __builtin_clzll(dividend); bit >= 0; --bit) {
      // The partial remainder is below the divisor; doubling it may carry out of 64 bits,
      // and then it certainly exceeds the divisor (the wrapped subtraction stays exact).
      const uint64_t carry = partial >> 63;
      partial = (partial << 1) | ((dividend >> bit) & 1u);
      const uint64_t take = 0 - (carry | static_cast<uint64_t>(partial >= divisor));
      partial -= divisor & take;
      quotient |= (take & 1u) << bit;
    }
  }
  if (remainder != nullptr)
    *remainder = partial;
  return quotient;
}

DV_FUNCTION(int64_t, __ashldi3, (int64_t value, int count)) {
  if (count <= 0)
    return value;
  if (count >= 64)
    return 0;
  return static_cast<int64_t>(static_cast<uint64_t>(value) << count);
}

DV_FUNCTION(int64_t, __lshrdi3, (int64_t value, int count)) {
  if (count <= 0)
    return value;
  if (count >= 64)
    return 0;
  return static_cast<int64_t>(static_cast<uint64_t>(value) >> count);
}

DV_FUNCTION(int64_t, __ashrdi3, (int64_t value, int count)) {
  if (count <= 0)
    return value;
  if (count >= 64)
    return value < 0 ? -1 : 0;
  return value >> count;
}

DV_FUNCTION(uint64_t, __udivdi3, (uint64_t dividend, uint64_t divisor)) {
  return udivmod64(dividend, divisor, nullptr);
}

DV_FUNCTION(uint64_t, __umoddi3, (uint64_t dividend, uint64_t divisor)) {
  uint64_t remainder = 0;
  udivmod64(dividend, divisor, &remainder);
  return remainder;
}

DV_FUNCTION(int64_t, __divdi3, (int64_t dividend, int64_t divisor)) {
  const uint64_t quotient = udivmod64(magnitude(dividend), magnitude(divisor), nullptr);
  return with_sign(quotient, (dividend < 0) != (divisor < 0));
}

DV_FUNCTION(int64_t, __moddi3, (int64_t dividend, int64_t divisor)) {
  uint64_t remainder = 0;
  udivmod64(magnitude(dividend), magnitude(divisor), &remainder);
  return with_sign(remainder, dividend < 0);
}

} // namespace dv
