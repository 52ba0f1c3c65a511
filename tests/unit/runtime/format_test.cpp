#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "runtime/format.h"

namespace {

// Formats into a generous buffer and checks that the result equals the stored length.
template <typename... Arguments> std::string format(const char* pattern, Arguments... arguments) {
  char buffer[256];
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

TEST(Format, WidthPrecisionAndLengthLettersAreIgnored) {
  EXPECT_EQ(format("%5.2d", 7), "7");
  EXPECT_EQ(format("%010x", 255u), "ff");
  EXPECT_EQ(format("%.3s", "abcdef"), "abcdef");
  EXPECT_EQ(format("%hhd|%zu|%td", 300, 5ul, 6l), "300|5|6");
}

TEST(Format, IntegersUseTheLow32BitsOfTheirSlot) {
  EXPECT_EQ(format("%ld", 4294967297l), "1");
  EXPECT_EQ(format("%lld|%d", 0x1ffffffffll, 3), "-1|3");
  EXPECT_EQ(format("%lu", 0x100000000ul), "0");
}

TEST(Format, CharactersStringsAndPointers) {
  EXPECT_EQ(format("%c%c", 'o', 0x100 + 'k'), "ok");
  EXPECT_EQ(format("[%s]", "text"), "[text]");
  EXPECT_EQ(format("%s", static_cast<const char*>(nullptr)), "(null)");
  EXPECT_EQ(format("%p", reinterpret_cast<void*>(0x1234abcd)), "0x1234abcd");
  EXPECT_EQ(format("%p", static_cast<void*>(nullptr)), "0x0");
  EXPECT_EQ(format("%p", reinterpret_cast<void*>(0x7f00000000ff)), "0xff");
  EXPECT_EQ(format("100%% sure"), "100% sure");
}

TEST(Format, UnknownConversionsPrintQuestionMark) {
  EXPECT_EQ(format("%e|%g|%o", 1.0, 2.0, 8u), "?|?|?");
  EXPECT_EQ(format("%-5d", 3), "?5d");
  EXPECT_EQ(format("%5%"), "?");
}

TEST(Format, DanglingPercentEmitsNothingAndStops) {
  EXPECT_EQ(format("abc%"), "abc");
  EXPECT_EQ(format("abc%12.5"), "abc");
  EXPECT_EQ(format("abc%lz"), "abc");
}

TEST(Format, FixedPointTruncatesDigits) {
  EXPECT_EQ(format("%f", -1.5), "-1.500000");
  EXPECT_EQ(format("%f", 0.9999999), "0.999999");
  EXPECT_EQ(format("%f", 0.0), "0.000000");
  EXPECT_EQ(format("%f", 3.14159265), "3.141592");
  EXPECT_EQ(format("%f", 1.0 / 3.0), "0.333333");
  EXPECT_EQ(format("%f", 2.0 / 3.0), "0.666666");
  EXPECT_EQ(format("%f", 123456.75), "123456.750000");
  EXPECT_EQ(format("%f", -2147483648.0), "-2147483648.000000");
}

TEST(Format, FixedPointWholePartIs32BitTruncation) {
  EXPECT_EQ(format("%f", 3000000000.0), "3000000000.000000");
  EXPECT_EQ(format("%f", 4294967296.25), "0.250000");
  EXPECT_EQ(format("%f", 5000000000.5), "705032704.500000");
  EXPECT_EQ(format("%f", -5000000000.5), "-705032704.500000");
}

// Values outside every integer range get the processor's defined conversion result, and
// no fraction digits beyond zeros: no undefined behaviour (UBSan build checks).
TEST(Format, FixedPointOfHugeAndNonFiniteValues) {
  EXPECT_EQ(format("%f", 1e20), "0.000000");
  EXPECT_EQ(format("%f", -1e300), "-0.000000");
  EXPECT_EQ(format("%f", HUGE_VAL), "0.000000");
  EXPECT_EQ(format("%f", -HUGE_VAL), "-0.000000");
  EXPECT_EQ(format("%f", NAN), "0.000000");
  EXPECT_EQ(format("%f", -NAN), "0.000000");
  EXPECT_EQ(format("%f", -0.0), "0.000000");
  EXPECT_EQ(format("%f", 4503599627370497.0), "1.000000");
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
