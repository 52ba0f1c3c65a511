// Elementary functions by short loops and truncated series.
#include "runtime/math.h"
#include "runtime/export.h"
#include "runtime/truncate.h"

namespace dv {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 2 * kPi;
constexpr double kLn2 = 0.6931471805599453;
constexpr int kSqrtSteps = 24;
constexpr int kLogTerms = 10;
// Below this magnitude angles are reduced by plain repeated subtraction of 2*pi
// (at most about ten thousand steps).
constexpr double kAngleLoopLimit = 65536.0;

// |x| modulo kTwoPi, exactly: subtracts kTwoPi * 2^k from the largest k down. Each
// subtraction has d <= r < 2d, so it is exact; at most about 1100 steps.
double angle_remainder(double magnitude) {
  double divisor = kTwoPi;
  while (divisor * 2 <= magnitude)
    divisor *= 2;
  for (;;) {
    if (magnitude >= divisor)
      magnitude -= divisor;
    if (divisor == kTwoPi)
      return magnitude;
    divisor *= 0.5;
  }
}

// Brings a finite angle into [-pi, pi].
double reduce_angle(double x) {
  if (dv::fabs(x) >= kAngleLoopLimit)
    x = x < 0 ? -angle_remainder(-x) : angle_remainder(x);
  while (x > kPi)
    x -= kTwoPi;
  while (x < -kPi)
    x += kTwoPi;
  return x;
}

} // namespace

DV_FUNCTION(double, fmod, (double x, double y)) {
  if (y == 0)
    return 0;
  const double quotient = truncate_to_int32(x / y);
  return x - quotient * y;
}

DV_FUNCTION(float, fmodf, (float x, float y)) {
  return static_cast<float>(dv::fmod(x, y));
}

DV_FUNCTION(double, sqrt, (double x)) {
  if (x <= 0)
    return 0;
  double root = x > 1 ? x : 1;
  for (int step = 0; step < kSqrtSteps; ++step)
    root = (x / root + root) * 0.5;
  return root;
}

DV_FUNCTION(double, log, (double x)) {
  if (x <= 0)
    return -__builtin_inf();
  if (!dv::isfinite(x))
    return x; // +inf stays +inf, NaN stays NaN
  int halvings = 0;
  while (x > 1.5) {
    x *= 0.5;
    ++halvings;
  }
  while (x < 0.75) {
    x *= 2;
    --halvings;
  }
  const double b = (x - 1) / (x + 1);
  const double b_squared = b * b;
  double power = b;
  double series = 0;
  for (int term = 0; term < kLogTerms; ++term) {
    series += power / (2 * term + 1);
    power *= b_squared;
  }
  return 2 * series + halvings * kLn2;
}

DV_FUNCTION(double, sin, (double x)) {
  if (!dv::isfinite(x))
    return x - x; // NaN
  const double w = reduce_angle(x);
  const double w2 = w * w;
  const double w4 = w2 * w2;
  const double w6 = w4 * w2;
  return w * (1 - w2 / 6 + w4 / 120 - w6 / 5040);
}

DV_FUNCTION(double, cos, (double x)) {
  if (!dv::isfinite(x))
    return x - x; // NaN
  const double w = reduce_angle(x);
  const double w2 = w * w;
  const double w4 = w2 * w2;
  const double w6 = w4 * w2;
  return 1 - w2 / 2 + w4 / 24 - w6 / 720;
}

DV_FUNCTION(double, pow, (double base, double exponent)) {
  const int32_t whole = truncate_to_int32(exponent);
  if (whole != exponent)
    return 0;
  if (whole == 0)
    return 1;
  uint32_t bits = whole < 0 ? 0u - static_cast<uint32_t>(whole) : static_cast<uint32_t>(whole);
  double result = 1;
  double square = base;
  while (bits != 0) {
    if (bits & 1u)
      result *= square;
    square *= square;
    bits >>= 1;
  }
  return whole < 0 ? 1 / result : result;
}

// The loops stop as soon as the value can no longer change (zero, infinity, NaN), which
// keeps them short for any count without changing the result.
DV_FUNCTION(double, ldexp, (double x, int exponent)) {
  for (; exponent > 0 && x != 0 && dv::isfinite(x); --exponent)
    x *= 2;
  for (; exponent < 0 && x != 0 && dv::isfinite(x); ++exponent)
    x *= 0.5;
  return x;
}

DV_FUNCTION(double, frexp, (double x, int* exponent)) {
  int count = 0;
  double result = x;
  if (x != 0 && dv::isfinite(x)) {
    double m = dv::fabs(x);
    for (; m >= 1; ++count)
      m *= 0.5;
    for (; m < 0.5; --count)
      m *= 2;
    result = x < 0 ? -m : m;
  }
  if (exponent != nullptr)
    *exponent = count;
  return result;
}

} // namespace dv
