#include <gtest/gtest.h>

#include "host/host_heap.h"
#include "runtime/malloc.h"
#include "runtime/string.h"

namespace {

int sign(int value) {
  return (value > 0) - (value < 0);
}

TEST(String, Length) {
  EXPECT_EQ(dv::strlen(""), 0u);
  EXPECT_EQ(dv::strlen("abc"), 3u);
  EXPECT_EQ(dv::strlen("ab\0cd"), 2u);
  EXPECT_EQ(dv::strlen(nullptr), 0u);
}

TEST(String, CompareUsesUnsignedBytes) {
  struct Case {
    const char* left;
    const char* right;
    int expected_sign;
  };
  const Case cases[] = {
      {"", "", 0},       {"abc", "abc", 0}, {"abc", "abd", -1},
      {"abd", "abc", 1}, {"ab", "abc", -1}, {"abc", "ab", 1},
      {"\xe9", "a", 1},  {"a", "\xff", -1}, {"\x80z", "\x7f", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sign(dv::strcmp(c.left, c.right)), c.expected_sign) << c.left << " " << c.right;
    EXPECT_EQ(sign(dv::strcoll(c.left, c.right)), c.expected_sign) << c.left << " " << c.right;
  }
  EXPECT_EQ(dv::strcmp("\xff", "a"), 0xff - 'a');
  EXPECT_EQ(dv::strcmp("a", ""), 'a');
}

TEST(String, CompareWithLimit) {
  EXPECT_EQ(dv::strncmp("abcX", "abcY", 3), 0);
  EXPECT_LT(dv::strncmp("abcX", "abcY", 4), 0);
  EXPECT_EQ(dv::strncmp("abc", "abc", 100), 0);
  EXPECT_EQ(dv::strncmp("a", "b", 0), 0);
  EXPECT_GT(dv::strncmp("ab", "a", 5), 0);
  EXPECT_EQ(dv::strncmp("\xf0", "\x10", 1), 0xf0 - 0x10);
}

TEST(String, CopyAndDuplicate) {
  char buffer[8] = "xxxxxxx";
  EXPECT_EQ(dv::strcpy(buffer, "hey"), buffer);
  EXPECT_STREQ(buffer, "hey");
  EXPECT_EQ(buffer[4], 'x');
  EXPECT_EQ(dv::strcpy(buffer, ""), buffer);
  EXPECT_EQ(buffer[0], '\0');

  EXPECT_EQ(dv::strdup(nullptr), nullptr);
}

TEST(String, DuplicateAllocatesExactlyTheCopy) {
  char* copy = dv::strdup("dup");
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy, "dup");
  EXPECT_EQ(dvhost::host_heap::block_size(copy), 4u);
  dv::free(copy);

  char* empty = dv::strdup("");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty[0], '\0');
  dv::free(empty);

  dvhost::host_heap::fail_request(1);
  EXPECT_EQ(dv::strdup("no room"), nullptr);
  dvhost::host_heap::clear_fault_injection();
}

TEST(String, FindByte) {
  const char* text = "hello";
  EXPECT_EQ(dv::strchr(text, 'l'), text + 2);
  EXPECT_EQ(dv::strchr(text, 'z'), nullptr);
  EXPECT_EQ(dv::strchr(text, 0), text + 5);
  EXPECT_EQ(dv::strchr(text, 'h' + 0x100), text);
  const char* high = "a\xe9";
  EXPECT_EQ(dv::strchr(high, 0xe9), high + 1);
}

TEST(String, SpanAndBreak) {
  EXPECT_EQ(dv::strspn("  \tword", " \t"), 3u);
  EXPECT_EQ(dv::strspn("word", ""), 0u);
  EXPECT_EQ(dv::strspn("aaa", "a"), 3u);
  EXPECT_EQ(dv::strspn("", "a"), 0u);

  const char* text = "key=value;";
  EXPECT_EQ(dv::strpbrk(text, ";="), text + 3);
  EXPECT_EQ(dv::strpbrk(text, "#"), nullptr);
  EXPECT_EQ(dv::strpbrk(text, ""), nullptr);
}

TEST(String, FindSubstring) {
  const char* text = "abababc";
  EXPECT_EQ(dv::strstr(text, ""), text);
  EXPECT_EQ(dv::strstr("", ""), dv::strstr("", ""));
  EXPECT_NE(dv::strstr("", ""), nullptr);
  EXPECT_EQ(dv::strstr(text, "ababc"), text + 2);
  EXPECT_EQ(dv::strstr(text, "abc"), text + 4);
  EXPECT_EQ(dv::strstr(text, "c"), text + 6);
  EXPECT_EQ(dv::strstr(text, "abcd"), nullptr);
  EXPECT_EQ(dv::strstr("ab", "abc"), nullptr);
  EXPECT_EQ(dv::strstr("", "a"), nullptr);
}

} // namespace
