#include <gtest/gtest.h>

#include <string>

#include "containers/array.h"
#include "containers/pair.h"
#include "containers/string.h"

namespace {

std::string text(const dv::string& s) {
  return std::string(s.c_str(), s.size);
}

void expect_terminated(const dv::string& s) {
  ASSERT_NE(s.data, nullptr);
  EXPECT_EQ(s.data[s.size], '\0');
  EXPECT_LE(s.size, s.capacity);
}

TEST(StringStorage, DefaultStringOwnsNothing) {
  dv::string s;
  EXPECT_EQ(s.data, nullptr);
  EXPECT_EQ(s.size, 0u);
  EXPECT_EQ(s.capacity, 0u);
  s.reserve(0);
  EXPECT_EQ(s.data, nullptr);
  EXPECT_STREQ(s.c_str(), "");
}

TEST(StringStorage, AppendingGrowsFromSixteen) {
  dv::string s;
  s.push_back('a');
  EXPECT_EQ(s.capacity, 16u);
  expect_terminated(s);
  for (int i = 1; i < 16; ++i) {
    s.push_back(static_cast<char>('a' + i));
  }
  EXPECT_EQ(s.capacity, 16u);
  s.push_back('q');
  EXPECT_EQ(s.capacity, 32u);
  expect_terminated(s);
  EXPECT_EQ(text(s), "abcdefghijklmnopq");
}

TEST(StringStorage, AppendingToAnEmptyBufferStartsAtSixteen) {
  dv::string s("");
  ASSERT_NE(s.data, nullptr);
  EXPECT_EQ(s.capacity, 0u);
  s.push_back('x');
  EXPECT_EQ(s.capacity, 16u);
  EXPECT_EQ(text(s), "x");
}

TEST(StringStorage, ReserveKeepsTheText) {
  dv::string s("abc");
  EXPECT_EQ(s.capacity, 3u);
  s.reserve(2);
  EXPECT_EQ(s.capacity, 3u);
  s.reserve(40);
  EXPECT_EQ(s.capacity, 40u);
  EXPECT_EQ(text(s), "abc");
  expect_terminated(s);
}

TEST(StringAssign, NullPointerGivesAnEmptyBufferedString) {
  dv::string s;
  s.assign(nullptr, 5);
  ASSERT_NE(s.data, nullptr);
  EXPECT_EQ(s.size, 0u);
  EXPECT_EQ(s.capacity, 0u);
  EXPECT_EQ(s.data[0], '\0');

  dv::string built(nullptr, 5);
  EXPECT_EQ(built.size, 0u);
  expect_terminated(built);
}

TEST(StringAssign, FromItsOwnText) {
  struct Case {
    size_t offset, length;
    const char* expected;
  } cases[] = {
      {2, 3, "llo"},
      {6, 50, "world"}, // cut at the end of the text
      {0, 11, "hello world"},
      {11, 4, ""}, // the end position itself
  };
  for (const Case& c : cases) {
    dv::string s("hello world");
    s.assign(s.data + c.offset, c.length);
    EXPECT_EQ(text(s), c.expected) << c.offset << "+" << c.length;
    expect_terminated(s);
  }
}

TEST(StringAssign, ReplacesAndReusesTheBuffer) {
  dv::string s("a longer text");
  char* buffer = s.data;
  s.assign("short", 5);
  EXPECT_EQ(s.data, buffer);
  EXPECT_EQ(text(s), "short");
  s.assign("", 0);
  EXPECT_EQ(s.size, 0u);
  expect_terminated(s);
}

TEST(StringAssign, PointerOffsetCoversTheTextAndItsEnd) {
  dv::string s("abcd");
  size_t offset = 99;
  EXPECT_TRUE(s.pointer_offset(s.data + 4, &offset));
  EXPECT_EQ(offset, 4u);
  offset = 99;
  EXPECT_FALSE(s.pointer_offset(s.data + 5, &offset));
  EXPECT_FALSE(s.pointer_offset(nullptr, &offset));
  const char elsewhere[] = "abcd";
  EXPECT_FALSE(s.pointer_offset(elsewhere, &offset));
  EXPECT_EQ(offset, 99u);
  dv::string empty;
  EXPECT_FALSE(empty.pointer_offset(elsewhere, &offset));
}

TEST(StringEquality, ComparesSizeThenBytes) {
  struct Case {
    dv::string_view left, right;
    bool equal;
  } cases[] = {
      {{"abc", 3}, {"abc", 3}, true},  {{"abc", 3}, {"abcd", 4}, false},
      {{"abc", 3}, {"abd", 3}, false}, {{"a\0b", 3}, {"a\0c", 3}, false},
      {{nullptr, 0}, {"", 0}, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.left == c.right, c.equal);
  }
}

TEST(StringEquality, NullDataEqualsAnyEmptyString) {
  dv::string never_stored;
  dv::string empty("");
  ASSERT_NE(empty.data, nullptr);
  EXPECT_TRUE(never_stored == empty);
  EXPECT_TRUE(empty == never_stored);
  EXPECT_FALSE(never_stored == dv::string("x"));
  EXPECT_TRUE(never_stored == "");
  EXPECT_TRUE(dv::string("ab") == "ab");
  EXPECT_FALSE(dv::string("ab") == "abc");
}

TEST(StringLength, CountsBytesBeforeTheTerminator) {
  EXPECT_EQ(dv::string_length(nullptr), 0u);
  EXPECT_EQ(dv::string_length(""), 0u);
  EXPECT_EQ(dv::string_length("abc\0def"), 3u);
  EXPECT_EQ(dv::string("abc\0def").size, 3u);
  EXPECT_EQ(dv::string("abc\0def", 7).size, 7u);
}

TEST(StringCopyMove, CopyOfANullStringHasAnEmptyBuffer) {
  dv::string never_stored;
  dv::string copy(never_stored);
  ASSERT_NE(copy.data, nullptr);
  EXPECT_EQ(copy.size, 0u);
  EXPECT_EQ(copy.data[0], '\0');
}

TEST(StringCopyMove, CopiesOwnTheirBytes) {
  dv::string source("glyph");
  dv::string copy(source);
  EXPECT_NE(copy.data, source.data);
  EXPECT_EQ(copy.capacity, 5u);
  copy.data[0] = 'G';
  EXPECT_EQ(text(source), "glyph");
  dv::string assigned("x");
  assigned = source;
  EXPECT_EQ(text(assigned), "glyph");
  assigned = static_cast<const dv::string&>(assigned);
  EXPECT_EQ(text(assigned), "glyph");
}

TEST(StringCopyMove, MovedFromStringIsZeroedAndReusable) {
  dv::string source("name");
  char* buffer = source.data;
  dv::string moved(static_cast<dv::string&&>(source));
  EXPECT_EQ(moved.data, buffer);
  EXPECT_EQ(source.data, nullptr);
  EXPECT_EQ(source.size, 0u);
  EXPECT_EQ(source.capacity, 0u);

  dv::string target("old");
  target = static_cast<dv::string&&>(moved);
  EXPECT_EQ(target.data, buffer);
  EXPECT_EQ(moved.data, nullptr);
  EXPECT_EQ(moved.size, 0u);
  EXPECT_EQ(moved.capacity, 0u);
  target = static_cast<dv::string&&>(target);
  EXPECT_EQ(text(target), "name");

  moved.push_back('z');
  EXPECT_EQ(text(moved), "z");
}

TEST(StringArray, HoldsOneStringPerByteCode) {
  dv::array<dv::string, 256> encoding;
  EXPECT_EQ(encoding.size(), 256u);
  EXPECT_EQ(sizeof encoding, 256 * sizeof(dv::string));
  encoding[0] = dv::string(".notdef");
  encoding[255] = dv::string("ydieresis");
  EXPECT_EQ(text(encoding[255]), "ydieresis");
  EXPECT_EQ(encoding[65].data, nullptr);
}

TEST(Pair, HoldsFirstThenSecond) {
  dv::pair<unsigned int, dv::string> p(7u, "seven");
  EXPECT_EQ(p.first, 7u);
  EXPECT_EQ(text(p.second), "seven");
  EXPECT_EQ(reinterpret_cast<char*>(&p.second) - reinterpret_cast<char*>(&p), 8);
  dv::pair<unsigned int, dv::string> empty;
  EXPECT_EQ(empty.first, 0u);
  EXPECT_EQ(empty.second.data, nullptr);
  dv::pair<unsigned int, dv::string> moved(static_cast<decltype(p)&&>(p));
  EXPECT_EQ(p.second.data, nullptr);
  EXPECT_TRUE(moved == (dv::pair<unsigned int, dv::string>(7u, "seven")));
}

} // namespace
