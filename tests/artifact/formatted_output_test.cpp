// The formatter through its exported C names.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdarg>
#include <cstddef>
#include <string>

#include "artifact/artifact_fixture.h"

namespace {

using SnprintfFunction = int(char*, size_t, const char*, ...);
using VsnprintfFunction = int(char*, size_t, const char*, va_list);

class FormatArtifact : public dvtest::ArtifactTest {
protected:
  template <typename... Arguments> std::string format(const char* pattern, Arguments... arguments) {
    char buffer[256];
    const int length = snprintf_(buffer, sizeof buffer, pattern, arguments...);
    EXPECT_EQ(length, static_cast<int>(std::string(buffer).size())) << pattern;
    return buffer;
  }

  SnprintfFunction* snprintf_ = fn<SnprintfFunction>("snprintf");
};

TEST_F(FormatArtifact, Conversions) {
  EXPECT_EQ(format("%d %i %u %x %X", -12, 7, 4294967295u, 0xabcu, 0xabcu),
            "-12 7 4294967295 abc ABC");
  EXPECT_EQ(format("%d", -2147483647 - 1), "-2147483648");
  EXPECT_EQ(format("%c|%s|%s", 'z', "str", static_cast<const char*>(nullptr)), "z|str|(null)");
  EXPECT_EQ(format("%p", reinterpret_cast<void*>(0x12345678abcdull)), "0x12345678abcd");
  EXPECT_EQ(format("%p", static_cast<void*>(nullptr)), "0x0");
  EXPECT_EQ(format("50%%"), "50%");
  EXPECT_EQ(format("%e|%g|%o|%n", 1.0, 1.0, 9u), "1.000000e+00|1|11|?");
  EXPECT_EQ(format("%5.2d|%ld|%zu|%hd", 7, 4294967297l, static_cast<size_t>(9), 70000),
            "   07|4294967297|9|4464");
  EXPECT_EQ(format("%5d %ld %.2f %g", 7, 123456789012L, 2.0 / 3, 0.1),
            "    7 123456789012 0.67 0.1");
  EXPECT_EQ(format("end%"), "end");
  EXPECT_EQ(format("end%3.4"), "end");
}

TEST_F(FormatArtifact, FloatingPoint) {
  EXPECT_EQ(format("%f", -1.5), "-1.500000");
  EXPECT_EQ(format("%f", 0.9999999), "1.000000");
  EXPECT_EQ(format("%f", 2.0 / 3.0), "0.666667");
  EXPECT_EQ(format("%f", 3000000000.0), "3000000000.000000");
  EXPECT_EQ(format("%f", 5000000000.5), "5000000000.500000");
  EXPECT_EQ(format("%f", 1e20), "100000000000000000000.000000");
  EXPECT_EQ(format("%f", -INFINITY), "-inf");
  EXPECT_EQ(format("%f", NAN), "nan");
  EXPECT_EQ(format("%.2f|%.3e|%Lg", 2.675, 1234.5678, 0.25L), "2.67|1.235e+03|0.25");
}

TEST_F(FormatArtifact, BoundedOutput) {
  char buffer[8] = "unused";
  EXPECT_EQ(snprintf_(buffer, 4, "%s", "abcdef"), 6);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(buffer[4], 'e');
  EXPECT_EQ(snprintf_(buffer, 0, "%d", 123456), 6);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(snprintf_(buffer, 1, "xyz"), 3);
  EXPECT_STREQ(buffer, "");
}

int forward(VsnprintfFunction* vsnprintf, char* buffer, size_t size, const char* pattern, ...) {
  va_list arguments;
  va_start(arguments, pattern);
  const int result = vsnprintf(buffer, size, pattern, arguments);
  va_end(arguments);
  return result;
}

TEST_F(FormatArtifact, VsnprintfTakesAnArgumentList) {
  auto* vsnprintf = fn<VsnprintfFunction>("vsnprintf");
  char buffer[16];
  EXPECT_EQ(forward(vsnprintf, buffer, sizeof buffer, "%s:%d:%f", "ab", 12, 0.25, 0), 14);
  EXPECT_STREQ(buffer, "ab:12:0.250000");
  EXPECT_EQ(forward(vsnprintf, buffer, 5, "%x-%x", 0xdeadu, 0xbeefu), 9);
  EXPECT_STREQ(buffer, "dead");
}

TEST_F(FormatArtifact, AllocatesNothing) {
  const size_t before = dvhost::host_heap::stats().requests;
  format("%s %d %f %p", "x", 1, 2.5, static_cast<void*>(nullptr));
  EXPECT_EQ(dvhost::host_heap::stats().requests, before);
}

} // namespace
