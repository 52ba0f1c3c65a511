#include <gtest/gtest.h>

#include <float.h>
#include <limits.h>
#include <math.h>

#include "runtime/math.h"

namespace {

constexpr double kNaN = __builtin_nan("");
constexpr double kInf = __builtin_inf();
constexpr double kPi = 3.141592653589793;

TEST(MathFunctions, Fmod) {
  EXPECT_EQ(dv::fmod(7, 0), 0);
  EXPECT_EQ(dv::fmod(-7, 2), -1);
  EXPECT_EQ(dv::fmod(7.5, 2), 1.5);
  EXPECT_EQ(dv::fmod(7, -2), 1);
  // The quotient truncates to 32 bits; a huge one becomes INT32_MIN, defined but inexact.
  EXPECT_EQ(dv::fmod(1e10, 3), 1e10 + 3 * 2147483648.0);
  EXPECT_EQ(dv::fmodf(7.0f, 0.0f), 0.0f);
  EXPECT_EQ(dv::fmodf(-7.5f, 2.0f), -1.5f);
}

TEST(MathFunctions, SqrtTakesTwentyFourNewtonSteps) {
  EXPECT_EQ(dv::sqrt(-4), 0);
  EXPECT_EQ(dv::sqrt(0), 0);
  EXPECT_EQ(dv::sqrt(4), 2);
  EXPECT_EQ(dv::sqrt(0.25), 0.5);
  EXPECT_EQ(dv::sqrt(1e6), 1000);
  EXPECT_NEAR(dv::sqrt(2), 1.4142135623730951, 1e-15);
  // Starting from x, 24 steps cannot reach the root of a huge number.
  EXPECT_GT(dv::sqrt(1e300), 1e280);
  EXPECT_TRUE(isnan(dv::sqrt(kInf)));
  EXPECT_TRUE(isnan(dv::sqrt(kNaN)));
}

TEST(MathFunctions, LogSeriesWithHalvingCount) {
  EXPECT_EQ(dv::log(1), 0);
  EXPECT_EQ(dv::log(0), -kInf);
  EXPECT_EQ(dv::log(-3), -kInf);
  EXPECT_EQ(dv::log(2), 0.6931471805599453);
  EXPECT_EQ(dv::log(kInf), kInf);
  EXPECT_TRUE(isnan(dv::log(kNaN)));
  for (double x :
       {0.001, 0.3, 0.75, 1.5, 2.718281828459045, 10.0, 1e10, 1e300, DBL_MAX, DBL_TRUE_MIN}) {
    SCOPED_TRACE(x);
    EXPECT_NEAR(dv::log(x), ::log(x), 1e-12 * (1 + ::fabs(::log(x))));
  }
}

TEST(MathFunctions, SinCosTruncatedSeries) {
  EXPECT_EQ(dv::sin(0), 0);
  EXPECT_EQ(dv::cos(0), 1);
  EXPECT_NEAR(dv::sin(0.5), ::sin(0.5), 1e-8);
  EXPECT_NEAR(dv::cos(0.5), ::cos(0.5), 1e-7);
  // The series ends at w^7 / w^6: at the ends of [-pi, pi] it is visibly off.
  EXPECT_NEAR(dv::sin(kPi), -0.0752, 1e-3);
  EXPECT_NEAR(dv::cos(kPi), -1.2114, 1e-3);
}

TEST(MathFunctions, SinCosReduceByWholeTurns) {
  for (double turns : {1.0, -3.0, 1000.0, -1e6, 1e12}) {
    SCOPED_TRACE(turns);
    const double x = 0.5 + turns * 2 * kPi;
    const double tolerance = 1e-15 * ::fabs(x) + 1e-9;
    EXPECT_NEAR(dv::sin(x), dv::sin(0.5), tolerance);
    EXPECT_NEAR(dv::cos(x), dv::cos(0.5), tolerance);
  }
}

TEST(MathFunctions, SinCosReturnPromptlyForAnyArgument) {
  for (double x : {DBL_MAX, -DBL_MAX, 1e300, 9007199254740993.0, 1e18}) {
    SCOPED_TRACE(x);
    EXPECT_LE(::fabs(dv::sin(x)), 1.1);
    EXPECT_LE(::fabs(dv::cos(x)), 1.3);
  }
  for (double x : {kInf, -kInf, kNaN}) {
    EXPECT_TRUE(isnan(dv::sin(x)));
    EXPECT_TRUE(isnan(dv::cos(x)));
  }
}

TEST(MathFunctions, PowBySquaring) {
  struct Case {
    double base, exponent, expected;
  };
  const Case cases[] = {
      {2, 0.5, 0},
      {2, -2, 0.25},
      {0, 0, 1},
      {kNaN, 0, 1},
      {10, 22, 1e22},
      {-3, 3, -27},
      {0, -1, kInf},
      {2, 1024, kInf},
      {2, -1022, 0x1p-1022},
      // 2^1074 overflows before the reciprocal is taken.
      {2, -1074, 0},
      {2, -2147483648.0, 0},
      {2, 2147483648.0, 0},
      {2, 1e10, 0},
      {2, kInf, 0},
      {2, kNaN, 0},
      {1.5, -1, 1 / 1.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.base << "^" << c.exponent);
    EXPECT_EQ(dv::pow(c.base, c.exponent), c.expected);
  }
}

TEST(MathFunctions, LdexpStepsAndSaturates) {
  EXPECT_EQ(dv::ldexp(1, 10), 1024);
  EXPECT_EQ(dv::ldexp(3, 0), 3);
  EXPECT_EQ(dv::ldexp(-1, -1074), -0x1p-1074);
  EXPECT_EQ(dv::ldexp(1, -1075), 0);
  EXPECT_EQ(dv::ldexp(1, INT_MAX), kInf);
  EXPECT_EQ(dv::ldexp(-1, INT_MAX), -kInf);
  EXPECT_EQ(dv::ldexp(DBL_MAX, INT_MIN), 0);
  EXPECT_EQ(dv::ldexp(0, INT_MAX), 0);
  EXPECT_TRUE(isnan(dv::ldexp(kNaN, INT_MAX)));
}

TEST(MathFunctions, Frexp) {
  struct Case {
    double x, mantissa;
    int exponent;
  };
  const Case cases[] = {
      {8, 0.5, 4},
      {-3, -0.75, 2},
      {0.5, 0.5, 0},
      {0.1, 0.8, -3},
      {0, 0, 0},
      {DBL_MAX, DBL_MAX * 0x1p-1024, 1024},
      {0x1p-1074, 0.5, -1073},
      {kInf, kInf, 0},
      {-kInf, -kInf, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x);
    int exponent = 12345;
    EXPECT_EQ(dv::frexp(c.x, &exponent), c.mantissa);
    EXPECT_EQ(exponent, c.exponent);
  }
  int exponent = 12345;
  EXPECT_TRUE(isnan(dv::frexp(kNaN, &exponent)));
  EXPECT_EQ(exponent, 0);
  EXPECT_EQ(dv::frexp(-8, nullptr), -0.5);
}

} // namespace
