#include <gtest/gtest.h>

#include <float.h>
#include <stdint.h>
#include <string.h>

#include "runtime/math.h"

namespace {

constexpr double kNaN = __builtin_nan("");
constexpr double kInf = __builtin_inf();

TEST(MathClassify, Double) {
  struct Case {
    double x;
    int finite;
  };
  const Case cases[] = {{0, 1},    {-0.0, 1},  {1, 1},    {-DBL_MAX, 1}, {DBL_TRUE_MIN, 1},
                        {kInf, 0}, {-kInf, 0}, {kNaN, 0}, {-kNaN, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x);
    EXPECT_EQ(dv::isfinite(c.x), c.finite);
    EXPECT_EQ(dv::dv_math_isfinite(c.x), c.finite);
  }
}

TEST(MathClassify, Float) {
  struct Case {
    float x;
    int finite;
  };
  const Case cases[] = {{0.0f, 1},
                        {-FLT_MAX, 1},
                        {FLT_TRUE_MIN, 1},
                        {__builtin_inff(), 0},
                        {-__builtin_inff(), 0},
                        {__builtin_nanf(""), 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x);
    EXPECT_EQ(dv::dv_math_isfinitef(c.x), c.finite);
  }
}

long double extended(uint16_t sign_exponent, uint64_t significand) {
  unsigned char bytes[sizeof(long double)] = {};
  memcpy(bytes, &significand, 8);
  memcpy(bytes + 8, &sign_exponent, 2);
  long double value;
  memcpy(&value, bytes, sizeof value);
  return value;
}

TEST(MathClassify, ExtendedChecksTheExplicitIntegerBit) {
  constexpr uint64_t kIntegerBit = uint64_t{1} << 63;
  struct Case {
    uint16_t sign_exponent;
    uint64_t significand;
    int finite;
  };
  const Case cases[] = {
      {0x3FFF, kIntegerBit, 1},     // 1.0
      {0xBFFF, kIntegerBit | 5, 1}, // negative normal
      {0x0000, 0, 1},               // zero
      {0x0000, 1, 1},               // denormal
      {0x0000, kIntegerBit, 1},     // pseudo-denormal
      {0x7FFE, ~uint64_t{0}, 1},    // largest normal
      {0x3FFF, 1, 0},               // unnormal
      {0x7FFF, kIntegerBit, 0},     // infinity
      {0xFFFF, kIntegerBit | 1, 0}, // NaN
      {0x7FFF, 0, 0},               // pseudo-infinity
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.sign_exponent << ":" << c.significand);
    EXPECT_EQ(dv::dv_math_isfinitel(extended(c.sign_exponent, c.significand)), c.finite);
  }
  EXPECT_EQ(dv::dv_math_isfinitel(1.0L), 1);
  EXPECT_EQ(dv::dv_math_isfinitel(LDBL_MAX), 1);
  EXPECT_EQ(dv::dv_math_isfinitel(-__builtin_infl()), 0);
}

} // namespace
