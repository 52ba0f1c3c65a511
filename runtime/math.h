// The library's small math library: plain double arithmetic, short loops and truncated
// series. Results are deliberately those of the simple algorithms (callers depend on them),
// not correctly rounded ones; none of these functions sets dv_errno.
//
// Rounding goes through a 32-bit truncation, so floor/ceil/trunc/round are exact only for
// |x| < 2^31. Outside that range (and for NaN and infinities) the truncation yields
// INT32_MIN, giving for example floor(1e10) == -2147483648 and ceil(1e10) == -2147483647.
//
// Values chosen where the simple loops cannot finish:
//   sin/cos of an infinity or NaN     -> NaN
//   log(+inf)                         -> +inf
//   frexp of an infinity or NaN       -> the argument, exponent 0
// Large finite angles (|x| >= 65536) are first reduced by an exact remainder modulo 2*pi,
// so sin/cos return promptly for every finite argument.
#pragma once
#include <stdint.h>

namespace dv {

double floor(double x);
float floorf(float x);
double ceil(double x);
double trunc(double x);
double round(double x);
// x + 0.5 (x >= 0) or x - 0.5 (x < 0) truncated to 64 bits; INT64_MIN when that is NaN or
// out of range.
long lround(double x);
long long llround(double x);

double fabs(double x);
double fmod(double x, double y);
float fmodf(float x, float y);
// 24 Newton steps from max(x, 1): close for moderate x, far off for huge x; +inf gives NaN.
double sqrt(double x);
double log(double x);
double sin(double x);
double cos(double x);
// Whole exponents only (checked after a 32-bit truncation); anything else gives 0.
double pow(double base, double exponent);
double ldexp(double x, int exponent);
double frexp(double x, int* exponent);

int isfinite(double x);
int dv_math_isfinite(double x);
int dv_math_isfinitef(float x);
int dv_math_isfinitel(long double x);

int abs(int n);

} // namespace dv
