// Rounding built on the 32-bit truncation (see runtime/math.h for out-of-range results).
#include "runtime/export.h"
#include "runtime/math.h"
#include "runtime/truncate.h"

namespace dv {

DV_FUNCTION(double, floor, (double x)) {
  // Computed in double so that t - 1 cannot overflow when t is INT32_MIN.
  const double t = truncate_to_int32(x);
  return x < t ? t - 1.0 : t;
}

DV_FUNCTION(float, floorf, (float x)) {
  return static_cast<float>(dv::floor(x));
}

DV_FUNCTION(double, ceil, (double x)) {
  const double f = dv::floor(x);
  return f < x ? f + 1.0 : f;
}

DV_FUNCTION(double, trunc, (double x)) {
  return x < 0 ? dv::ceil(x) : dv::floor(x);
}

DV_FUNCTION(double, round, (double x)) {
  const double f = dv::floor(x);
  return x - f >= 0.5 ? f + 1.0 : f;
}

DV_FUNCTION(long long, llround, (double x)) {
  return truncate_to_int64(x >= 0 ? x + 0.5 : x - 0.5);
}

DV_FUNCTION(long, lround, (double x)) {
  return dv::llround(x);
}

DV_FUNCTION(double, fabs, (double x)) {
  return x > -x ? x : -x;
}

DV_FUNCTION(int, abs, (int n)) {
  // Negated in unsigned arithmetic: INT32_MIN comes back unchanged.
  const uint32_t bits = static_cast<uint32_t>(n);
  return static_cast<int>(n < 0 ? 0u - bits : bits);
}

} // namespace dv
