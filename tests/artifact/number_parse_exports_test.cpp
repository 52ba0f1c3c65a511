// Number parsing through the exported C names.
#include <cmath>
#include <cstdint>
#include <string>

#include "artifact/artifact_fixture.h"

namespace {

class NumberParseExports : public dvtest::ArtifactTest {
protected:
  using ParseSigned = long(const char*, char**, int);
  using ParseUnsigned = unsigned long(const char*, char**, int);
  using ParseDouble = double(const char*, char**);
};

TEST_F(NumberParseExports, IntegerEdgeCases) {
  auto* strtol = fn<ParseSigned>("strtol");
  auto* strtoul = fn<ParseUnsigned>("strtoul");
  char* end = nullptr;
  const char* hex = "  -0x1A";
  EXPECT_EQ(strtol(hex, &end, 16), -26);
  EXPECT_EQ(end, hex + 7);
  const char* octal = "08";
  EXPECT_EQ(strtol(octal, &end, 0), 0);
  EXPECT_EQ(end, octal + 1);
  const char* minus_one = "-1";
  EXPECT_EQ(strtoul(minus_one, &end, 10), UINT64_MAX);
  EXPECT_EQ(end, minus_one + 2);
  EXPECT_EQ(strtol("0x7f", nullptr, 0), 127);
}

TEST_F(NumberParseExports, BasesOutsideTwoToThirtySix) {
  auto* strtol = fn<ParseSigned>("strtol");
  auto* strtoul = fn<ParseUnsigned>("strtoul");
  auto* strtoull = fn<unsigned long long(const char*, char**, int)>("strtoull");
  auto* strtoll = fn<long long(const char*, char**, int)>("strtoll");
  const char* text = "12";
  for (int base : {1, 37, -1}) {
    SCOPED_TRACE(base);
    char* end = nullptr;
    EXPECT_EQ(strtol(text, &end, base), 0);
    EXPECT_EQ(end, text);
    end = nullptr;
    EXPECT_EQ(strtoul(text, &end, base), 0u);
    EXPECT_EQ(end, text);
  }
  // The long long variants take any base and accept the digits below it.
  char* end = nullptr;
  EXPECT_EQ(strtoull("z1", &end, 37), 35u * 37 + 1);
  EXPECT_EQ(strtoll("-z1!", &end, 37), -(35 * 37 + 1));
  const char* zeros = "001";
  EXPECT_EQ(strtoull(zeros, &end, 1), 0u);
  EXPECT_EQ(end, zeros + 2);
}

TEST_F(NumberParseExports, LongDigitStringsWrap) {
  auto* strtoul = fn<ParseUnsigned>("strtoul");
  const std::string digits = std::string(10000, '1');
  char* end = nullptr;
  strtoul(digits.c_str(), &end, 2);
  EXPECT_EQ(end, digits.c_str() + digits.size());
  EXPECT_EQ(strtoul("18446744073709551617", nullptr, 10), 1u);
}

TEST_F(NumberParseExports, DecimalEdgeCases) {
  auto* strtod = fn<ParseDouble>("strtod");
  char* end = nullptr;
  EXPECT_EQ(strtod("2.5e2", &end), 250);
  const char* bare_e = "1e";
  EXPECT_EQ(strtod(bare_e, &end), 1);
  EXPECT_EQ(end, bare_e + 1);
  const char* point = ".";
  EXPECT_EQ(strtod(point, &end), 0);
  EXPECT_EQ(end, point);
  for (const char* nothing : {"inf", "nan", "-x"}) {
    EXPECT_EQ(strtod(nothing, &end), 0);
    EXPECT_EQ(end, nothing);
  }
  EXPECT_EQ(strtod("-12.75", nullptr), -12.75);
}

TEST_F(NumberParseExports, HugeExponentsAndLongStrings) {
  auto* strtod = fn<ParseDouble>("strtod");
  char* end = nullptr;
  const char* huge = "1e999999999";
  EXPECT_EQ(strtod(huge, &end), HUGE_VAL);
  EXPECT_EQ(end, huge + 11);
  EXPECT_EQ(strtod("1e-999999999", nullptr), 0);
  EXPECT_EQ(strtod("1e99999999999999999999", nullptr), HUGE_VAL);
  EXPECT_EQ(strtod("0e999", nullptr), 0);
  const std::string fraction = "0." + std::string(50000, '5');
  EXPECT_NEAR(strtod(fraction.c_str(), &end), 5.0 / 9.0, 1e-15);
  EXPECT_EQ(end, fraction.c_str() + fraction.size());
  EXPECT_EQ(fn<float(const char*, char**)>("strtof")("1e39", nullptr), HUGE_VALF);
}

TEST_F(NumberParseExports, NeitherParsingNorMathAllocates) {
  const uint64_t requests_before = dvhost::host_heap::stats().requests;
  const std::string digits = "0." + std::string(5000, '7') + "e-5";
  fn<ParseDouble>("strtod")(digits.c_str(), nullptr);
  fn<float(const char*, char**)>("strtof")("1.5", nullptr);
  fn<ParseSigned>("strtol")("  -0x7fffffffffffffffff", nullptr, 0);
  fn<unsigned long long(const char*, char**, int)>("strtoull")("zzzz", nullptr, 36);
  fn<double(double)>("sin")(1e300);
  fn<double(double, double)>("pow")(10, -300);
  fn<uint64_t(uint64_t, uint64_t)>("__udivdi3")(UINT64_MAX, 3);
  EXPECT_EQ(dvhost::host_heap::stats().requests, requests_before);
}

} // namespace
