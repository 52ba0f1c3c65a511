#include <gtest/gtest.h>

#include <vector>

#include "font/text/utf8.h"
#include "support/utf8_encode.h"

namespace {

std::vector<unsigned int> decoded(const char* text) {
  std::vector<unsigned int> codepoints;
  for (const auto* at = reinterpret_cast<const unsigned char*>(text); *at != 0;) {
    codepoints.push_back(decode_next(at));
  }
  return codepoints;
}

std::vector<std::vector<unsigned int>> lines_of(const char* text) {
  std::vector<std::vector<unsigned int>> result;
  TextLine line = first_line(text);
  for (;;) {
    std::vector<unsigned int>& codepoints = result.emplace_back();
    EXPECT_TRUE(for_each_codepoint(line, [&](unsigned int codepoint) {
      codepoints.push_back(codepoint);
      return true;
    }));
    if (line.is_last()) {
      break;
    }
    line = next_line(line);
  }
  EXPECT_EQ(result.size(), count_lines(text)) << text;
  return result;
}

struct DecodeCase {
  const char* name;
  const char* text;
  std::vector<unsigned int> codepoints;
};

class Utf8Decode : public testing::TestWithParam<DecodeCase> {};

} // namespace

TEST_P(Utf8Decode, YieldsCodePoints) {
  EXPECT_EQ(decoded(GetParam().text), GetParam().codepoints);
}

INSTANTIATE_TEST_SUITE_P(
    All, Utf8Decode,
    testing::Values(
        DecodeCase{"Empty", "", {}}, DecodeCase{"Ascii", "Az\x7F", {'A', 'z', 0x7F}},
        DecodeCase{"TwoBytes", "\xC3\xA9", {0xE9}},
        DecodeCase{"ThreeBytes", "\xE2\x82\xAC", {0x20AC}},
        DecodeCase{"FourBytes", "\xF0\x9F\x98\x80", {0x1F600}},
        DecodeCase{"LoneContinuation",
                   "\x80"
                   "A\xBF",
                   {0xFFFD, 'A', 0xFFFD}},
        DecodeCase{"LeadF8ToFF", "\xF8\xFB\xFC\xFE\xFF", {0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}},
        DecodeCase{"CutByAscii",
                   "\xC3"
                   "A",
                   {0xFFFD, 'A'}},
        DecodeCase{"CutAfterOneContinuation",
                   "\xE2\x82"
                   "A",
                   {0xFFFD, 'A'}},
        DecodeCase{"CutByNewLead", "\xE2\x82\xE2\x82\xAC", {0xFFFD, 0x20AC}},
        DecodeCase{"CutByEnd", "A\xF0\x9F\x98", {'A', 0xFFFD}},
        DecodeCase{"OverlongAccepted", "\xC0\x80\xE0\x80\xAF", {0, 0x2F}},
        DecodeCase{"SurrogateAccepted", "\xED\xA0\x80", {0xD800}},
        DecodeCase{"AboveUnicodeAccepted", "\xF7\xBF\xBF\xBF", {0x1FFFFF}}),
    [](const testing::TestParamInfo<DecodeCase>& case_info) { return case_info.param.name; });

TEST(Utf8Lines, SplitAtLineFeedsAndDropCarriageReturns) {
  using Lines = std::vector<std::vector<unsigned int>>;
  EXPECT_EQ(lines_of(""), (Lines{{}}));
  EXPECT_EQ(lines_of("\r"), (Lines{{}}));
  EXPECT_EQ(lines_of("A\n"), (Lines{{'A'}, {}}));
  EXPECT_EQ(lines_of("a\rb\r\nc\n\nd"), (Lines{{'a', 'b'}, {'c'}, {}, {'d'}}));
  // A line feed ends a sequence it cuts short, like any byte that is not a continuation.
  EXPECT_EQ(lines_of("\xE2\x82\n\xC3"), (Lines{{0xFFFD}, {0xFFFD}}));
}

TEST(Utf8Lines, EveryCodePointRoundTrips) {
  // Every value up to U+10FFFF in its shortest form (surrogates included), one string.
  std::string text;
  for (char32_t cp = 1; cp <= 0x10FFFF; ++cp) {
    textref::append_utf8(text, cp);
  }
  const std::vector<unsigned int> codepoints = decoded(text.c_str());
  ASSERT_EQ(codepoints.size(), 0x10FFFFu);
  for (unsigned int i = 0; i < codepoints.size(); ++i) {
    ASSERT_EQ(codepoints[i], i + 1);
  }
}
