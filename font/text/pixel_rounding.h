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

} // namespace pixel_rounding
