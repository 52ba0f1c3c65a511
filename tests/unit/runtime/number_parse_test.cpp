#include <gtest/gtest.h>

#include <math.h>
#include <stdint.h>
#include <string>

#include "runtime/number_parse.h"

namespace {

struct IntegerCase {
  const char* text;
  int base;
  int64_t value;
  ptrdiff_t used; // characters consumed; 0 means end == text
};

// Shared by strtol and strtoul (same computation, the unsigned one returns the bits).
const IntegerCase kIntegerCases[] = {
    {"  -0x1A", 16, -26, 7},
    {"08", 0, 0, 1},
    {"0", 0, 0, 1},
    {"0x1f", 0, 31, 4},
    {"0X1F", 16, 31, 4},
    {"1f", 16, 31, 2},
    {"017", 0, 15, 3},
    {"129", 0, 129, 3},
    {"-1", 10, -1, 2},
    {"+42x", 10, 42, 3},
    {"\t\n\v\f\r 7", 10, 7, 7},
    {"zz", 36, 35 * 36 + 35, 2},
    {"12", 1, 0, 0},
    {"12", 37, 0, 0},
    {"12", -5, 0, 0},
    {"", 10, 0, 0},
    {"   ", 10, 0, 0},
    {"-", 10, 0, 0},
    {"0x", 16, 0, 0}, // the prefix is skipped, then no digit follows
    {"9", 8, 0, 0},
    {"18446744073709551615", 10, -1, 20},
    {"18446744073709551617", 10, 1, 20}, // wraps modulo 2^64
    {"-9223372036854775808", 10, INT64_MIN, 20},
};

TEST(NumberParse, StrtolAndStrtoul) {
  for (const IntegerCase& c : kIntegerCases) {
    SCOPED_TRACE(testing::Message() << '"' << c.text << "\" base " << c.base);
    char* end = nullptr;
    EXPECT_EQ(dv::strtol(c.text, &end, c.base), c.value);
    EXPECT_EQ(end, c.text + c.used);
    end = nullptr;
    EXPECT_EQ(dv::strtoul(c.text, &end, c.base), static_cast<uint64_t>(c.value));
    EXPECT_EQ(end, c.text + c.used);
  }
}

TEST(NumberParse, StrtoullAcceptsAnyBaseItsDigitsFit) {
  const IntegerCase cases[] = {
      {"-1", 10, -1, 2},
      {"0x10", 16, 16, 4},
      // Base 1: only the digit 0 is below it.
      {"0010", 1, 0, 2},
      {"z1", 37, 35 * 37 + 1, 2},
      {"1z", 40, 40 + 35, 2},
      // Bytes that are not digits end the number whatever the base.
      {"1z!", 1000, 1000 + 35, 2},
      {"7", INT32_MAX, 7, 1},
      {"12", -3, 0, 0},
      {"08", 0, 0, 1},
  };
  for (const IntegerCase& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.text << "\" base " << c.base);
    char* end = nullptr;
    EXPECT_EQ(dv::strtoull(c.text, &end, c.base), static_cast<uint64_t>(c.value));
    EXPECT_EQ(end, c.text + c.used);
    end = nullptr;
    EXPECT_EQ(dv::strtoll(c.text, &end, c.base), c.value);
    EXPECT_EQ(end, c.text + c.used);
  }
}

TEST(NumberParse, NullEndAndLongDigitStrings) {
  EXPECT_EQ(dv::strtol("123", nullptr, 10), 123);
  EXPECT_EQ(dv::strtod("1.5", nullptr), 1.5);
  const std::string digits(100000, '7');
  char* end = nullptr;
  dv::strtoull(digits.c_str(), &end, 10);
  EXPECT_EQ(end, digits.c_str() + digits.size());
}

struct DecimalCase {
  const char* text;
  double value;
  ptrdiff_t used;
};

TEST(NumberParse, Strtod) {
  const DecimalCase cases[] = {
      {"2.5e2", 250, 5},
      {"1e", 1, 1},
      {"1e+", 1, 1},
      {"1E-2", 0.01, 4},
      {".", 0, 0},
      {"-.", 0, 0},
      {"e5", 0, 0},
      {".5", 0.5, 2},
      {"5.", 5, 2},
      {"  -12.75x", -12.75, 8},
      {"+3", 3, 2},
      {"0.1", 0.1, 3},
      {"123456789", 123456789, 9},
      {"1.5e-1", 0.15, 6},
      {"1e22", 1e22, 4},
      {"inf", 0, 0},
      {"nan", 0, 0},
      {"0x1p3", 0, 1},
      {"1e999999999", HUGE_VAL, 11},
      {"-1e999999999", -HUGE_VAL, 12},
      {"1e-999999999", 0, 12},
      {"1e99999999999999999999", HUGE_VAL, 22}, // the exponent saturates, never wraps
      {"1e-2147483648", 0, 13},
      {"0e999", 0, 5},
  };
  for (const DecimalCase& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.text << '"');
    char* end = nullptr;
    EXPECT_EQ(dv::strtod(c.text, &end), c.value);
    EXPECT_EQ(end, c.text + c.used);
  }
}

TEST(NumberParse, StrtodAccumulatesInDouble) {
  // Digit-by-digit accumulation, not correct rounding: 0.3 is 3 / 10 exactly rounded,
  // and a long integer loses its low digits the same way value * 10 + d does.
  EXPECT_EQ(dv::strtod("0.3", nullptr), 3.0 / 10.0);
  double expected = 0;
  for (int i = 0; i < 25; ++i)
    expected = expected * 10 + 9;
  EXPECT_EQ(dv::strtod("9999999999999999999999999", nullptr), expected);
}

TEST(NumberParse, StrtodLongDigitStrings) {
  const std::string ones = std::string(400, '1');
  char* end = nullptr;
  EXPECT_EQ(dv::strtod(ones.c_str(), &end), HUGE_VAL);
  EXPECT_EQ(end, ones.c_str() + ones.size());

  // Fraction digits past the range of the divisor are consumed but change nothing.
  const std::string thirds = "0." + std::string(100000, '3') + "e1";
  end = nullptr;
  EXPECT_NEAR(dv::strtod(thirds.c_str(), &end), 10.0 / 3.0, 1e-15);
  EXPECT_EQ(end, thirds.c_str() + thirds.size());

  const std::string zeros = "0." + std::string(5000, '0') + "1";
  EXPECT_EQ(dv::strtod(zeros.c_str(), nullptr), 0);

  const std::string exponent = "1e-" + std::string(100000, '9');
  EXPECT_EQ(dv::strtod(exponent.c_str(), nullptr), 0);
}

TEST(NumberParse, Strtof) {
  char* end = nullptr;
  const char* text = "0.1f";
  EXPECT_EQ(dv::strtof(text, &end), 0.1f);
  EXPECT_EQ(end, text + 3);
  EXPECT_EQ(dv::strtof("1e39", nullptr), HUGE_VALF);
  EXPECT_EQ(dv::strtof("-1e39", nullptr), -HUGE_VALF);
  EXPECT_EQ(dv::strtof("1e-50", nullptr), 0.0f);
}

} // namespace
