// Fuzzes the math library with arbitrary bit patterns: every function must return
// promptly (the fuzzer's timeout catches loops that do not end) and without undefined
// behaviour (UBSan).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "runtime/int64.h"
#include "runtime/math.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 20)
    return 0;
  double x, y;
  int32_t n;
  std::memcpy(&x, data, 8);
  std::memcpy(&y, data + 8, 8);
  std::memcpy(&n, data + 16, 4);
  volatile double sink = 0;
  sink = sink + dv::floor(x) + dv::ceil(x) + dv::trunc(x) + dv::round(x) + dv::fabs(x);
  sink = sink + static_cast<double>(dv::lround(x)) + dv::floorf(static_cast<float>(y));
  sink = sink + dv::fmod(x, y) + dv::fmodf(static_cast<float>(x), static_cast<float>(y));
  sink = sink + dv::sqrt(x) + dv::log(x) + dv::sin(x) + dv::cos(x) + dv::pow(x, y);
  int exponent = 0;
  sink = sink + dv::ldexp(x, n) + dv::frexp(x, &exponent) + dv::isfinite(y);
  int64_t a, b;
  std::memcpy(&a, data, 8);
  std::memcpy(&b, data + 8, 8);
  // Summed unsigned: the helpers' results may be anything.
  const uint64_t bits =
      static_cast<uint64_t>(dv::__divdi3(a, b)) + static_cast<uint64_t>(dv::__moddi3(a, b)) +
      static_cast<uint64_t>(dv::__ashrdi3(a, n)) + static_cast<uint64_t>(dv::__ashldi3(a, n)) +
      static_cast<uint64_t>(dv::__lshrdi3(a, n)) + static_cast<uint64_t>(dv::abs(n));
  sink = sink + static_cast<double>(bits);
  (void)sink;
  return 0;
}
