#include <gtest/gtest.h>

#include <stdint.h>

#include "runtime/math.h"

namespace {

constexpr double kNaN = __builtin_nan("");
constexpr double kInf = __builtin_inf();

struct RoundingCase {
  double x;
  double floor, ceil, trunc, round;
};

// Out-of-range and non-finite arguments go through the 32-bit truncation's defined
// INT32_MIN answer instead of undefined behaviour.
const RoundingCase kRoundingCases[] = {
    {-1.5, -2, -1, -1, -1},
    {1.5, 1, 2, 1, 2},
    {-2.5, -3, -2, -2, -2},
    {2.5, 2, 3, 2, 3},
    {-0.25, -1, 0, 0, 0},
    {3.0, 3, 3, 3, 3},
    {-3.0, -3, -3, -3, -3},
    {2147483647.5, 2147483647, 2147483648.0, 2147483647, 2147483648.0},
    {1e10, -2147483648.0, -2147483647.0, -2147483648.0, -2147483647.0},
    {-1e10, -2147483649.0, -2147483649.0, -2147483649.0, -2147483649.0},
};

TEST(MathRounding, FloorCeilTruncRound) {
  for (const RoundingCase& c : kRoundingCases) {
    SCOPED_TRACE(c.x);
    EXPECT_EQ(dv::floor(c.x), c.floor);
    EXPECT_EQ(dv::ceil(c.x), c.ceil);
    EXPECT_EQ(dv::trunc(c.x), c.trunc);
    EXPECT_EQ(dv::round(c.x), c.round);
  }
}

TEST(MathRounding, NonFiniteArgumentsGiveTheTruncationSentinel) {
  for (double x : {kNaN, kInf, -kInf}) {
    SCOPED_TRACE(x);
    EXPECT_EQ(dv::floor(x), x < 0 ? -2147483649.0 : -2147483648.0);
    EXPECT_TRUE(dv::isfinite(dv::ceil(x)));
    EXPECT_TRUE(dv::isfinite(dv::round(x)));
  }
}

TEST(MathRounding, FloorfRoundsTheFloatInDouble) {
  EXPECT_EQ(dv::floorf(-1.5f), -2.0f);
  EXPECT_EQ(dv::floorf(8388607.5f), 8388607.0f);
  EXPECT_EQ(dv::floorf(3e9f), -2147483648.0f);
}

TEST(MathRounding, LroundAddsHalfAwayFromZeroAndTruncates) {
  struct Case {
    double x;
    long long expected;
  };
  const Case cases[] = {
      {-1.5, -2},
      {1.5, 2},
      {2.5, 3},
      {-2.5, -3},
      {0.4, 0},
      {-0.4, 0},
      // x + 0.5 rounds up to 1.0 in double before the truncation.
      {0.49999999999999994, 1},
      {4503599627370497.0, 4503599627370498},
      {1e300, INT64_MIN},
      {-1e300, INT64_MIN},
      {kInf, INT64_MIN},
      {kNaN, INT64_MIN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x);
    EXPECT_EQ(dv::lround(c.x), c.expected);
    EXPECT_EQ(dv::llround(c.x), c.expected);
  }
}

TEST(MathRounding, FabsAndAbs) {
  EXPECT_EQ(dv::fabs(-2.5), 2.5);
  EXPECT_EQ(dv::fabs(2.5), 2.5);
  EXPECT_FALSE(__builtin_signbit(dv::fabs(-0.0)));
  EXPECT_EQ(dv::fabs(-kInf), kInf);
  EXPECT_EQ(dv::abs(-7), 7);
  EXPECT_EQ(dv::abs(7), 7);
  EXPECT_EQ(dv::abs(INT32_MIN), INT32_MIN);
}

} // namespace
