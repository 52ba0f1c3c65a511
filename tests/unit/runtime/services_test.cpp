#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "runtime/locale.h"
#include "runtime/services.h"

namespace {

TEST(Services, ClockCountsCalls) {
  const uint64_t first = dv::clock();
  EXPECT_EQ(dv::clock(), first + 1);
  EXPECT_EQ(dv::clock(), first + 2);
  EXPECT_EQ(dv::gLuaClockTicks, first + 3);
}

TEST(Services, TimeIsFixed) {
  EXPECT_EQ(dv::time(nullptr), 1146503734);
  int64_t stored = 0;
  EXPECT_EQ(dv::time(&stored), 1146503734);
  EXPECT_EQ(stored, 1146503734);
}

TEST(Services, NoEnvironmentAndNoCommands) {
  EXPECT_EQ(dv::getenv("PATH"), nullptr);
  EXPECT_EQ(dv::getenv(nullptr), nullptr);
  EXPECT_EQ(dv::system("ls"), -1);
  EXPECT_EQ(dv::system(nullptr), -1);
}

TEST(Locale, AlwaysC) {
  EXPECT_STREQ(dv::setlocale(0, nullptr), "C");
  EXPECT_STREQ(dv::setlocale(6, "de_DE.UTF-8"), "C");
}

TEST(Locale, ConventionsRecord) {
  const dv::LocaleConventions* conventions = dv::localeconv();
  ASSERT_EQ(conventions, &dv::gLocale);
  const char* const strings[] = {conventions->decimal_point,     conventions->thousands_sep,
                                 conventions->grouping,          conventions->int_curr_symbol,
                                 conventions->currency_symbol,   conventions->mon_decimal_point,
                                 conventions->mon_thousands_sep, conventions->mon_grouping,
                                 conventions->positive_sign,     conventions->negative_sign};
  const char* const expected[] = {".", "", "", "", "", ".", "", "", "", ""};
  for (int i = 0; i < 10; ++i)
    EXPECT_STREQ(strings[i], expected[i]) << i;
  // Ten pointers, then eight one-byte fields, all zero.
  EXPECT_EQ(offsetof(dv::LocaleConventions, int_frac_digits), 80u);
  const auto* bytes = reinterpret_cast<const unsigned char*>(conventions) + 80;
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(bytes[i], 0) << i;
}

} // namespace
