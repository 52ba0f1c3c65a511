#include "runtime/number_parse.h"

#include <stdint.h>

#include "runtime/export.h"
#include "runtime/math.h"

namespace dv {

namespace {

constexpr int kNotADigit = -1;
constexpr int64_t kLargestExponent = 2147483647;
// Fraction digits stop counting once ten times the divisor would overflow.
constexpr double kLargestFractionDivisor = 1.7976931348623157e307;

bool is_space(unsigned char c) {
  return c == ' ' || (c >= 9 && c <= 13);
}

bool is_decimal_digit(unsigned char c) {
  return c >= '0' && c <= '9';
}

int digit_value(unsigned char c) {
  if (is_decimal_digit(c))
    return c - '0';
  if (c >= 'a' && c <= 'z')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z')
    return c - 'A' + 10;
  return kNotADigit;
}

// Any base is possible here (the unsigned long long variant does not check it), so
// non-digits must be rejected by more than the comparison with the base.
bool accepts_digit(char c, int base) {
  const int digit = digit_value(static_cast<unsigned char>(c));
  return digit != kNotADigit && digit < base;
}

const char* skip_spaces(const char* p) {
  while (is_space(static_cast<unsigned char>(*p)))
    ++p;
  return p;
}

// Steps over one '+' or '-'; returns true for '-'.
bool take_sign(const char*& p) {
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+')
    ++p;
  return negative;
}

bool at_hex_prefix(const char* p) {
  return p[0] == '0' && (p[1] == 'x' || p[1] == 'X');
}

// Skips a "0x" prefix where the base allows one and turns base 0 into 16, 8 or 10.
int settle_base(const char*& p, int base) {
  if ((base == 16 || base == 0) && at_hex_prefix(p)) {
    p += 2;
    return 16;
  }
  if (base == 0)
    return *p == '0' ? 8 : 10;
  return base;
}

void store_end(char** end, const char* position) {
  if (end != nullptr)
    *end = const_cast<char*>(position);
}

uint64_t parse_integer(const char* text, char** end, int base, bool require_valid_base) {
  const char* p = skip_spaces(text);
  const bool negative = take_sign(p);
  base = settle_base(p, base);
  if (require_valid_base && (base < 2 || base > 36)) {
    store_end(end, text);
    return 0;
  }
  const char* digits = p;
  uint64_t value = 0;
  for (; accepts_digit(*p, base); ++p)
    value = value * static_cast<uint64_t>(base) +
            static_cast<uint64_t>(digit_value(static_cast<unsigned char>(*p)));
  if (p == digits) {
    store_end(end, text);
    return 0;
  }
  store_end(end, p);
  return negative ? 0 - value : value;
}

// Reads "e[sign]digits" at p; leaves p and returns false when no digit follows.
bool take_exponent(const char*& p, int64_t& exponent) {
  if (*p != 'e' && *p != 'E')
    return false;
  const char* q = p + 1;
  const bool negative = take_sign(q);
  if (!is_decimal_digit(static_cast<unsigned char>(*q)))
    return false;
  int64_t magnitude = 0;
  for (; is_decimal_digit(static_cast<unsigned char>(*q)); ++q) {
    magnitude = magnitude * 10 + (*q - '0');
    if (magnitude > kLargestExponent)
      magnitude = kLargestExponent;
  }
  exponent = negative ? -magnitude : magnitude;
  p = q;
  return true;
}

double scale_by_ten(double value, int64_t exponent) {
  // Zero stays zero (0 times an overflowed power of ten would be NaN).
  if (value == 0 || exponent == 0)
    return value;
  if (exponent > 0)
    return value * dv::pow(10, static_cast<double>(exponent));
  return value / dv::pow(10, static_cast<double>(-exponent));
}

} // namespace

DV_FUNCTION(long, strtol, (const char* text, char** end, int base)) {
  return static_cast<long>(parse_integer(text, end, base, true));
}

DV_FUNCTION(unsigned long, strtoul, (const char* text, char** end, int base)) {
  return parse_integer(text, end, base, true);
}

DV_FUNCTION(unsigned long long, strtoull, (const char* text, char** end, int base)) {
  return parse_integer(text, end, base, false);
}

DV_FUNCTION(long long, strtoll, (const char* text, char** end, int base)) {
  return static_cast<long long>(dv::strtoull(text, end, base));
}

DV_FUNCTION(double, strtod, (const char* text, char** end)) {
  const char* p = skip_spaces(text);
  const bool negative = take_sign(p);
  bool any_digit = false;
  double value = 0;
  for (; is_decimal_digit(static_cast<unsigned char>(*p)); ++p, any_digit = true)
    value = value * 10 + (*p - '0');
  if (*p == '.') {
    double fraction = 0;
    double divisor = 1;
    for (++p; is_decimal_digit(static_cast<unsigned char>(*p)); ++p, any_digit = true) {
      if (divisor <= kLargestFractionDivisor) {
        fraction = fraction * 10 + (*p - '0');
        divisor *= 10;
      }
    }
    value += fraction / divisor;
  }
  if (!any_digit) {
    store_end(end, text);
    return 0;
  }
  int64_t exponent = 0;
  if (take_exponent(p, exponent))
    value = scale_by_ten(value, exponent);
  store_end(end, p);
  return negative ? -value : value;
}

DV_FUNCTION(float, strtof, (const char* text, char** end)) {
  return static_cast<float>(dv::strtod(text, end));
}

} // namespace dv
