// Float-to-integer truncation with the processor's defined answer for every input.
//
// A C++ cast of a double outside the integer range is undefined; the SSE2 conversion
// instructions instead give the "integer indefinite" value (the most negative integer)
// for NaN, infinities and every out-of-range value. These helpers issue those
// instructions directly, so both builds get the same, defined result.
#pragma once
#include <stdint.h>

namespace dv {

namespace detail {
typedef double Double2 __attribute__((__vector_size__(16)));
} // namespace detail

// Toward zero; INT32_MIN for NaN, infinities and |x| >= 2^31 (cvttsd2si).
inline int32_t truncate_to_int32(double x) {
  detail::Double2 lanes = {x, 0.0};
  return __builtin_ia32_cvttsd2si(lanes);
}

// Toward zero; INT64_MIN for NaN, infinities and |x| >= 2^63 (64-bit cvttsd2si).
inline int64_t truncate_to_int64(double x) {
  detail::Double2 lanes = {x, 0.0};
  return __builtin_ia32_cvttsd2si64(lanes);
}

} // namespace dv
