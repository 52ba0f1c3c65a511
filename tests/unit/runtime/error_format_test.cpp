#include <gtest/gtest.h>

#include "runtime/error_format.h"

namespace {

struct FormatCase {
  const char* format;
  bool accepted;
};

// The console error hook passes exactly one string; these are the formats it may hand to
// the formatter as they are.
TEST(ErrorFormat, AcceptsOnlyFormatsReadingAtMostOneString) {
  const FormatCase cases[] = {
      {"", true},
      {"plain text", true},
      {"%s", true},
      {"lua: %s\n", true},
      {"%10.3ls", true},
      {"100%% sure: %s", true},
      {"%e %g %o %s", true}, // unknown letters print '?' and take nothing
      {"%5%%s", true},       // "%5%" is an unknown conversion, then a string
      {"ends in %", true},
      {"ends in %12.", true},
      {"%s %s", false},
      {"%d", false},
      {"%s%c", false},
      {"%p", false},
      {"%f", false},
      {"%hhzx", false},
      {"%%%d", false},
  };
  for (const FormatCase& c : cases)
    EXPECT_EQ(dv::format_takes_at_most_one_string(c.format), c.accepted) << c.format;
}

} // namespace
