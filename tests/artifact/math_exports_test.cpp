// The math library through its exported C names.
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>

#include "artifact/artifact_fixture.h"

namespace {

constexpr double kNaN = __builtin_nan("");
constexpr double kInf = __builtin_inf();

class MathExports : public dvtest::ArtifactTest {
protected:
  using Unary = double(double);
  using Binary = double(double, double);
};

TEST_F(MathExports, RoundingEdgeCases) {
  auto* floor = fn<Unary>("floor");
  auto* ceil = fn<Unary>("ceil");
  auto* trunc = fn<Unary>("trunc");
  auto* round = fn<Unary>("round");
  auto* lround = fn<long(double)>("lround");
  auto* llround = fn<long long(double)>("llround");
  EXPECT_EQ(floor(-1.5), -2);
  EXPECT_EQ(ceil(-1.5), -1);
  EXPECT_EQ(trunc(-1.5), -1);
  EXPECT_EQ(round(-1.5), -1);
  EXPECT_EQ(round(1.5), 2);
  EXPECT_EQ(round(-2.5), -2);
  EXPECT_EQ(lround(-1.5), -2);
  EXPECT_EQ(llround(2.5), 3);
  EXPECT_EQ(fn<float(float)>("floorf")(-0.5f), -1.0f);
}

// Beyond the 32-bit (rounding) and 64-bit (lround) ranges the conversions give the
// processor's integer-indefinite value instead of anything undefined.
TEST_F(MathExports, OutOfRangeConversionsAreDefined) {
  auto* floor = fn<Unary>("floor");
  auto* ceil = fn<Unary>("ceil");
  auto* lround = fn<long(double)>("lround");
  EXPECT_EQ(floor(1e10), -2147483648.0);
  EXPECT_EQ(floor(-1e10), -2147483649.0);
  EXPECT_EQ(ceil(1e10), -2147483647.0);
  EXPECT_EQ(floor(kNaN), -2147483648.0);
  EXPECT_EQ(lround(1e300), LONG_MIN);
  EXPECT_EQ(lround(-1e300), LONG_MIN);
  EXPECT_EQ(lround(kNaN), LONG_MIN);
  EXPECT_EQ(fn<long long(double)>("llround")(kInf), LLONG_MIN);
}

TEST_F(MathExports, PowFmodSqrtLog) {
  auto* pow = fn<Binary>("pow");
  auto* fmod = fn<Binary>("fmod");
  auto* sqrt = fn<Unary>("sqrt");
  auto* log = fn<Unary>("log");
  EXPECT_EQ(pow(2, 0.5), 0);
  EXPECT_EQ(pow(2, -2), 0.25);
  EXPECT_EQ(pow(0, 0), 1);
  EXPECT_EQ(pow(10, 22), 1e22);
  EXPECT_EQ(pow(2, 1e10), 0);
  EXPECT_EQ(fmod(7, 0), 0);
  EXPECT_EQ(fmod(-7, 2), -1);
  EXPECT_EQ(fn<float(float, float)>("fmodf")(7.0f, 0.0f), 0.0f);
  EXPECT_EQ(sqrt(-4), 0);
  EXPECT_EQ(sqrt(4), 2);
  EXPECT_EQ(log(1), 0);
  EXPECT_EQ(log(0), -kInf);
  EXPECT_EQ(log(2), 0.6931471805599453);
  EXPECT_EQ(log(kInf), kInf);
  EXPECT_NEAR(log(10), std::log(10.0), 1e-14);
}

TEST_F(MathExports, SinCosReturnForEveryArgument) {
  auto* sin = fn<Unary>("sin");
  auto* cos = fn<Unary>("cos");
  EXPECT_EQ(sin(0), 0);
  EXPECT_EQ(cos(0), 1);
  EXPECT_NEAR(sin(0.5 + 4 * 3.141592653589793), std::sin(0.5), 1e-8);
  for (double x : {kInf, -kInf, kNaN}) {
    EXPECT_TRUE(std::isnan(sin(x)));
    EXPECT_TRUE(std::isnan(cos(x)));
  }
  for (double x : {1e300, -DBL_MAX, 1e17}) {
    EXPECT_LE(std::fabs(sin(x)), 1.1);
    EXPECT_LE(std::fabs(cos(x)), 1.3);
  }
}

TEST_F(MathExports, LdexpFrexp) {
  auto* ldexp = fn<double(double, int)>("ldexp");
  auto* frexp = fn<double(double, int*)>("frexp");
  EXPECT_EQ(ldexp(1, 10), 1024);
  EXPECT_EQ(ldexp(1, -1), 0.5);
  EXPECT_EQ(ldexp(1, INT_MAX), kInf);
  EXPECT_EQ(ldexp(1, INT_MIN), 0);
  int exponent = 99;
  EXPECT_EQ(frexp(-12, &exponent), -0.75);
  EXPECT_EQ(exponent, 4);
  EXPECT_EQ(frexp(0, &exponent), 0);
  EXPECT_EQ(exponent, 0);
  exponent = 99;
  EXPECT_EQ(frexp(kInf, &exponent), kInf);
  EXPECT_EQ(exponent, 0);
  EXPECT_EQ(frexp(0.25, nullptr), 0.5);
}

TEST_F(MathExports, FinitenessAndAbs) {
  for (const char* name : {"isfinite", "dv_math_isfinite"}) {
    auto* finite = fn<int(double)>(name);
    EXPECT_EQ(finite(DBL_MAX), 1) << name;
    EXPECT_EQ(finite(-0.0), 1) << name;
    EXPECT_EQ(finite(kInf), 0) << name;
    EXPECT_EQ(finite(kNaN), 0) << name;
  }
  auto* finitef = fn<int(float)>("dv_math_isfinitef");
  EXPECT_EQ(finitef(FLT_MAX), 1);
  EXPECT_EQ(finitef(__builtin_inff()), 0);
  auto* finitel = fn<int(long double)>("dv_math_isfinitel");
  EXPECT_EQ(finitel(LDBL_MAX), 1);
  EXPECT_EQ(finitel(LDBL_TRUE_MIN), 1);
  EXPECT_EQ(finitel(__builtin_infl()), 0);
  EXPECT_EQ(finitel(__builtin_nanl("")), 0);
  auto* abs = fn<int(int)>("abs");
  EXPECT_EQ(abs(-5), 5);
  EXPECT_EQ(abs(INT_MIN), INT_MIN);
  EXPECT_EQ(fn<Unary>("fabs")(-2.5), 2.5);
}

} // namespace
