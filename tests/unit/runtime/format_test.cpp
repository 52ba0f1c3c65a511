#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "runtime/format.h"

namespace {

// Formats into a generous buffer and checks that the result equals the stored length.
template <typename... Arguments> std::string format(const char* pattern, Arguments... arguments) {
  char buffer[2048];
  const int length = dv::snprintf(buffer, sizeof buffer, pattern, arguments...);
  EXPECT_EQ(length, static_cast<int>(std::string(buffer).size())) << pattern;
  return buffer;
}

TEST(Format, IntegerConversions) {
  EXPECT_EQ(format("%d|%i|%I", 42, -7, 0), "42|-7|0");
  EXPECT_EQ(format("%d", INT_MIN), "-2147483648");
  EXPECT_EQ(format("%d", INT_MAX), "2147483647");
  EXPECT_EQ(format("%u", 4294967295u), "4294967295");
  EXPECT_EQ(format("%u", -1), "4294967295");
  EXPECT_EQ(format("%x|%X", 0xbeefCAFEu, 0xbeefCAFEu), "beefcafe|BEEFCAFE");
  EXPECT_EQ(format("%x", 0u), "0");
}

// What a C library prints for the same calls (glibc's snprintf, checked by hand).
TEST(Format, WidthsFlagsAndPrecisionAsACLibraryPrintsThem) {
  EXPECT_EQ(format("%5d %ld %.2f %g", 7, 123456789012L, 2.0 / 3, 0.1),
            "    7 123456789012 0.67 0.1");
  const struct {
    const char* pattern;
    int value;
    const char* expected;
  } integers[] = {
      {"[%5d]", 42, "[   42]"},
      {"[%-5d]", 42, "[42   ]"},
      {"[%05d]", -42, "[-0042]"},
      {"[%+d]", 42, "[+42]"},
      {"[% d]", 42, "[ 42]"},
      {"[%.3d]", 7, "[007]"},
      {"[%5.3d]", -7, "[ -007]"},
      {"[%05.3d]", 7, "[  007]"},
      {"[%.0d]", 0, "[]"},
      {"[%#x]", 255, "[0xff]"},
      {"[%#X]", 255, "[0XFF]"},
      {"[%#x]", 0, "[0]"},
      {"[%#010x]", 255, "[0x000000ff]"},
      {"[%o]", 8, "[10]"},
      {"[%#o]", 8, "[010]"},
      {"[%#o]", 0, "[0]"},
      {"[%-+6d]", 5, "[+5    ]"},
      {"[%u]", -1, "[4294967295]"},
      {"[%hhd]", 300, "[44]"},
      {"[%hd]", 70000, "[4464]"},
      {"[%hhu]", -1, "[255]"},
  };
  for (const auto& c : integers)
    EXPECT_EQ(format(c.pattern, c.value), c.expected) << c.pattern;
  EXPECT_EQ(format("[%*d|%-*d|%.*d]", 4, 1, 3, 2, 2, 3), "[   1|2  |03]");
  EXPECT_EQ(format("[%*d]", -4, 1), "[1   ]");
  EXPECT_EQ(format("[%.*f]", -1, 0.5), "[0.500000]"); // a negative precision is none
  EXPECT_EQ(format("[%8s|%-8s|%.3s|%5.1s]", "abc", "abc", "abcdef", "xyz"),
            "[     abc|abc     |abc|    x]");
  EXPECT_EQ(format("[%3c|%-3c]", 'a', 'b'), "[  a|b  ]");
  EXPECT_EQ(format("[%5%]"), "[%]");
}

TEST(Format, LengthLettersReadTheWholeArgument) {
  EXPECT_EQ(format("%ld", 4294967297l), "4294967297");
  EXPECT_EQ(format("%lld|%d", 0x1ffffffffll, 3), "8589934591|3");
  EXPECT_EQ(format("%lu", 0x100000000ul), "4294967296");
  EXPECT_EQ(format("%lld", LLONG_MIN), "-9223372036854775808");
  EXPECT_EQ(format("%llu", ULLONG_MAX), "18446744073709551615");
  EXPECT_EQ(format("%zu|%td|%jd", size_t{5}, ptrdiff_t{-6}, intmax_t{7}), "5|-6|7");
  EXPECT_EQ(format("%lx", 0xfedcba9876543210ul), "fedcba9876543210");
  EXPECT_EQ(format("%d", INT_MIN), "-2147483648");
}

TEST(Format, CharactersStringsAndPointers) {
  EXPECT_EQ(format("%c%c", 'o', 0x100 + 'k'), "ok");
  EXPECT_EQ(format("[%s]", "text"), "[text]");
  EXPECT_EQ(format("%s", static_cast<const char*>(nullptr)), "(null)");
  EXPECT_EQ(format("%p", reinterpret_cast<void*>(0x1234abcd)), "0x1234abcd");
  EXPECT_EQ(format("%p", static_cast<void*>(nullptr)), "0x0");
  EXPECT_EQ(format("%p", reinterpret_cast<void*>(0x7f00000000ff)), "0x7f00000000ff");
  EXPECT_EQ(format("[%16p]", reinterpret_cast<void*>(0xabc)), "[           0xabc]");
  EXPECT_EQ(format("100%% sure"), "100% sure");
}

// %n would write through a pointer argument, %a is not implemented: both print '?' and
// take no argument.
TEST(Format, UnknownConversionsPrintQuestionMark) {
  EXPECT_EQ(format("%n|%a|%q|%d", 5), "?|?|?|5");
}

TEST(Format, DanglingPercentEmitsNothingAndStops) {
  EXPECT_EQ(format("abc%"), "abc");
  EXPECT_EQ(format("abc%12.5"), "abc");
  EXPECT_EQ(format("abc%lz"), "abc");
}

// The exact value of the double, rounded half to even: 2.675
// is 2.67499999999999982236431605997495353221893310546875.
TEST(Format, FloatingConversionsRoundTheExactValue) {
  const struct {
    const char* pattern;
    double value;
    const char* expected;
  } cases[] = {
      {"%f", -1.5, "-1.500000"},
      {"%f", 0.9999999, "1.000000"},
      {"%f", 0.0, "0.000000"},
      {"%f", -0.0, "-0.000000"},
      {"%f", 3.14159265, "3.141593"},
      {"%f", 2.0 / 3.0, "0.666667"},
      {"%.2f", 2.675, "2.67"},
      {"%.2f", 0.125, "0.12"},
      {"%.2f", 0.375, "0.38"},
      {"%.0f", 0.5, "0"},
      {"%.0f", 1.5, "2"},
      {"%.0f", 2.5, "2"},
      {"%#.0f", 3.0, "3."},
      {"%.1f", 0.05, "0.1"},
      {"%.3f", 0.0004, "0.000"},
      {"%.3f", 0.0005, "0.001"},
      {"%f", 5000000000.5, "5000000000.500000"},
      {"%f", 1e20, "100000000000000000000.000000"},
      {"%.0f", 1e300,
       "1000000000000000052504760255204420248704468581108159154915854115511802457988908195786371375"
       "0804478640437044438328838781769425232353604305756447921847867069828483872009265758037378302"
       "3379478809005936895323497079994508111903896764088007465274278014249457925878882005684283811"
       "5669472196386865459400540160"},
      {"%.20f", 0.1, "0.10000000000000000555"},
      {"%.3e", 1234.5678, "1.235e+03"},
      {"%e", 0.0, "0.000000e+00"},
      {"%E", -1e-300, "-1.000000E-300"},
      {"%.0e", 5.0, "5e+00"},
      {"%#.0e", 5.0, "5.e+00"},
      {"%.2e", 9.999, "1.00e+01"},
      {"%g", 0.1, "0.1"},
      {"%g", 100000.0, "100000"},
      {"%g", 1000000.0, "1e+06"},
      {"%g", 0.0001, "0.0001"},
      {"%g", 0.00001, "1e-05"},
      {"%g", 123456789.0, "1.23457e+08"},
      {"%.3g", 3.14159, "3.14"},
      {"%.0g", 0.5, "0.5"},
      {"%g", 0.0, "0"},
      {"%#g", 1.0, "1.00000"},
      {"%G", 1e-10, "1E-10"},
      {"%g", 9.9999999, "10"},
      {"%g", 4.9406564584124654e-324, "4.94066e-324"},
      {"%.17g", 0.1, "0.10000000000000001"},
      {"[%10.2f]", 3.14159, "[      3.14]"},
      {"[%-10.2f]", 3.14159, "[3.14      ]"},
      {"[%010.2f]", -3.14159, "[-000003.14]"},
      {"[%+.1f]", 2.0, "[+2.0]"},
      {"[% .1f]", 2.0, "[ 2.0]"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(format(c.pattern, c.value), c.expected) << c.pattern << " " << c.value;
}

// What the host's C library prints for `pattern` (taken from a table, so not a literal).
template <typename Value> std::string host_format(const char* pattern, Value value) {
  char buffer[2048];
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wformat-nonliteral"
  std::snprintf(buffer, sizeof buffer, pattern, value);
#pragma clang diagnostic pop
  return buffer;
}

// The host's C library as the oracle: every pattern with doubles of every magnitude, from
// subnormals to the largest, and integers of every width.
TEST(Format, EqualsTheHostCLibrary) {
  const char* const floating[] = {"%f",   "%.0f",  "%.1f", "%.3f",  "%.17f",   "%.40f",
                                  "%e",   "%.0e",  "%.3e", "%.16e", "%g",      "%.1g",
                                  "%.3g", "%.17g", "%#g",  "%#.0f", "%+12.4e", "%-9.2g"};
  uint64_t state = 0x9E3779B97F4A7C15u;
  for (int i = 0; i < 4000; ++i) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    double value = 0;
    const uint64_t bits = state >> 1; // positive; every exponent, subnormals included
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value))
      continue;
    if (i % 3 == 0)
      value = static_cast<double>(static_cast<int64_t>(state >> 40)) / 1024.0; // short values
    for (const char* pattern : floating) {
      ASSERT_EQ(format(pattern, value), host_format(pattern, value)) << pattern << " of " << bits;
    }
  }
  const char* const integers[] = {"%lld", "%llu", "%llx", "%llo", "%+20lld", "%-#22llo", "%.25lld"};
  for (int i = 0; i < 2000; ++i) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    const long long value = static_cast<long long>(state) >> (i % 64);
    for (const char* pattern : integers) {
      EXPECT_EQ(format(pattern, value), host_format(pattern, value)) << pattern;
    }
  }
}

TEST(Format, InfinitiesAndNaN) {
  EXPECT_EQ(format("%f|%f|%F", HUGE_VAL, -HUGE_VAL, HUGE_VAL), "inf|-inf|INF");
  EXPECT_EQ(format("%e|%g|%G", NAN, NAN, NAN), "nan|nan|NAN");
  EXPECT_EQ(format("[%06f|%-5e|%+g]", HUGE_VAL, HUGE_VAL, HUGE_VAL), "[   inf|inf  |+inf]");
}

TEST(Format, LongDoubleArguments) {
  EXPECT_EQ(format("%Lf|%.3Le|%Lg", 1.5L, 1234.5L, 0.25L), "1.500000|1.234e+03|0.25");
}

// Huge widths and precisions cost only what is stored; the count keeps the whole length.
TEST(Format, HugeWidthsAndPrecisionsAreCountedNotWritten) {
  char buffer[8];
  EXPECT_EQ(dv::snprintf(buffer, sizeof buffer, "%100000d", 1), 100000);
  EXPECT_STREQ(buffer, "       ");
  EXPECT_EQ(dv::snprintf(buffer, sizeof buffer, "%.100000f", 1.0), 100002);
  EXPECT_STREQ(buffer, "1.00000");
  EXPECT_EQ(dv::snprintf(buffer, sizeof buffer, "%2147483647d%d", 1, 2), INT_MAX);
  EXPECT_EQ(dv::snprintf(buffer, sizeof buffer, "%99999999999999999999d", 1), INT_MAX);
  EXPECT_EQ(dv::snprintf(buffer, sizeof buffer, "%#.2147483647g", 1e-3), INT_MAX);
  EXPECT_STREQ(buffer, "0.00100");
  EXPECT_EQ(dv::snprintf(buffer, sizeof buffer, "%.2147483647e", 1.0), INT_MAX);
  EXPECT_EQ(dv::snprintf(buffer, sizeof buffer, "%.*f", INT_MAX, 0.5), INT_MAX);
}

TEST(Format, TruncationKeepsCountingAndTerminates) {
  char buffer[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(dv::snprintf(buffer, sizeof buffer, "%s", "abcdef"), 6);
  EXPECT_STREQ(buffer, "abc");

  char untouched[2] = {'x', 'y'};
  EXPECT_EQ(dv::snprintf(untouched, 0, "%d-%s", 12345, "tail"), 10);
  EXPECT_EQ(untouched[0], 'x');
  EXPECT_EQ(dv::snprintf(nullptr, 0, "%f", 1.0), 8);

  char one[1] = {'x'};
  EXPECT_EQ(dv::snprintf(one, sizeof one, "abc"), 3);
  EXPECT_EQ(one[0], '\0');

  char exact[4];
  EXPECT_EQ(dv::snprintf(exact, sizeof exact, "%x", 0xabcu), 3);
  EXPECT_STREQ(exact, "abc");
}

TEST(Format, EmptyAndNullFormats) {
  char buffer[8] = "junk";
  EXPECT_EQ(dv::snprintf(buffer, sizeof buffer, ""), 0);
  EXPECT_STREQ(buffer, "");
  std::strcpy(buffer, "junk");
  EXPECT_EQ(dv::snprintf(buffer, sizeof buffer, nullptr), 0);
  EXPECT_STREQ(buffer, "");
}

int forward(char* buffer, size_t size, const char* pattern, ...) {
  va_list arguments;
  va_start(arguments, pattern);
  const int result = dv::vsnprintf(buffer, size, pattern, arguments);
  va_end(arguments);
  return result;
}

TEST(Format, VsnprintfTakesAnArgumentList) {
  char buffer[32];
  EXPECT_EQ(forward(buffer, sizeof buffer, "%s=%d (%f)", "x", -3, 0.5), 15);
  EXPECT_STREQ(buffer, "x=-3 (0.500000)");
}

TEST(Format, ManyArgumentsBeyondTheRegisters) {
  EXPECT_EQ(format("%d%d%d%d%d%d%d%d %f%f", 1, 2, 3, 4, 5, 6, 7, 8, 1.25, 2.5),
            "12345678 1.2500002.500000");
  EXPECT_EQ(format("%f %f %f %f %f %f %f %f %f %d", 1., 2., 3., 4., 5., 6., 7., 8., 9., 10),
            "1.000000 2.000000 3.000000 4.000000 5.000000 6.000000 7.000000 8.000000 "
            "9.000000 10");
}

TEST(Format, LongOutputCountsEverything) {
  std::string text(5000, 'q');
  char buffer[16];
  EXPECT_EQ(dv::snprintf(buffer, sizeof buffer, "%s%s", text.c_str(), text.c_str()), 10000);
  EXPECT_EQ(std::string(buffer), std::string(15, 'q'));
}

} // namespace
