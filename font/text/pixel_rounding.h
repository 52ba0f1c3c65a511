// Double-to-integer rounding with a defined answer for every input: NaN gives 0 and
// values beyond +-2^62 saturate there, so sums of a few results cannot overflow int64.
#pragma once
#include <stdint.h>

namespace pixel_rounding {

inline constexpr int64_t kLimit = int64_t{1} << 62;

int64_t floor_to_int64(double value);
int64_t ceil_to_int64(double value);
// Halves away from zero.
int64_t nearest_to_int64(double value);
int32_t saturate_to_int32(int64_t value);

inline int64_t max64(int64_t a, int64_t b) {
  return a > b ? a : b;
}

// Pens and ink edges saturate near +-2^62, so a line extent plus its shift can pass the
// int64 range; such a sum saturates instead, and the line is then far too large to draw.
inline int64_t saturating_add(int64_t a, int64_t b) {
  int64_t sum = 0;
  if (__builtin_add_overflow(a, b, &sum))
    return a > 0 ? INT64_MAX : INT64_MIN;
  return sum;
}

} // namespace pixel_rounding
