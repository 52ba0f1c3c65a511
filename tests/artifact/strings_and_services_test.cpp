// Strings, character classes, error texts, byte blocks and services through their
// exported C names.
#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "artifact/artifact_fixture.h"

namespace {

using ClassFunction = int(int);

class StringsArtifact : public dvtest::ArtifactTest {};

TEST_F(StringsArtifact, CharacterClassesForEveryByte) {
  // The host C library in its default "C" locale is the reference.
  const struct {
    const char* name;
    int (*reference)(int);
  } classes[] = {
      {"isdigit", ::isdigit}, {"isxdigit", ::isxdigit}, {"islower", ::islower},
      {"isupper", ::isupper}, {"isalpha", ::isalpha},   {"isalnum", ::isalnum},
      {"isblank", ::isblank}, {"isspace", ::isspace},   {"isprint", ::isprint},
  };
  for (const auto& c : classes) {
    auto* ours = fn<ClassFunction>(c.name);
    for (int byte = 0; byte < 256; ++byte)
      EXPECT_EQ(ours(byte), c.reference(byte) != 0 ? 1 : 0) << c.name << "(" << byte << ")";
  }
  auto* to_lower = fn<ClassFunction>("tolower");
  auto* to_upper = fn<ClassFunction>("toupper");
  for (int byte = 0; byte < 256; ++byte) {
    EXPECT_EQ(to_lower(byte), ::tolower(byte)) << byte;
    EXPECT_EQ(to_upper(byte), ::toupper(byte)) << byte;
  }
}

TEST_F(StringsArtifact, ErrorTexts) {
  auto* strerror = fn<const char*(int)>("strerror");
  const struct {
    int code;
    const char* text;
  } cases[] = {
      {0, "ok"},
      {2, "no such file"},
      {5, "i/o error"},
      {9, "bad file descriptor"},
      {12, "out of memory"},
      {13, "permission denied"},
      {17, "file exists"},
      {22, "invalid argument"},
      {4, "error"},
      {-5, "error"},
  };
  for (const auto& c : cases)
    EXPECT_STREQ(strerror(c.code), c.text) << c.code;
}

// A freshly loaded library starts with error number 0 and the clock at 0.
TEST_F(StringsArtifact, ErrorNumberAndClockStartAtZero) {
  dvtest::artifact().reload();
  int* error_number = data<int>("dv_errno");
  EXPECT_EQ(*error_number, 0);
  *error_number = 17;
  EXPECT_EQ(*data<int>("dv_errno"), 17);
  *error_number = 0;

  auto* clock = fn<uint64_t()>("clock");
  EXPECT_EQ(clock(), 0u);
  EXPECT_EQ(clock(), 1u);
  EXPECT_EQ(clock(), 2u);
}

TEST_F(StringsArtifact, StringSearchAndCompare) {
  auto* strlen = fn<size_t(const char*)>("strlen");
  auto* strcmp = fn<int(const char*, const char*)>("strcmp");
  auto* strncmp = fn<int(const char*, const char*, size_t)>("strncmp");
  auto* strcoll = fn<int(const char*, const char*)>("strcoll");
  auto* strchr = fn<char*(const char*, int)>("strchr");
  auto* strspn = fn<size_t(const char*, const char*)>("strspn");
  auto* strpbrk = fn<char*(const char*, const char*)>("strpbrk");
  auto* strstr = fn<char*(const char*, const char*)>("strstr");
  auto* strcpy = fn<char*(char*, const char*)>("strcpy");

  EXPECT_EQ(strlen(nullptr), 0u);
  EXPECT_EQ(strlen("four"), 4u);
  EXPECT_EQ(strcmp("\xe9", "e"), 0xe9 - 'e');
  EXPECT_EQ(strcoll("abc", "abd"), 'c' - 'd');
  EXPECT_EQ(strncmp("abcX", "abcY", 3), 0);
  EXPECT_GT(strncmp("b", "a\xff", 2), 0);

  const char* text = "find the end";
  EXPECT_EQ(strchr(text, 0), text + 12);
  EXPECT_EQ(strchr(text, 'e'), text + 7);
  EXPECT_EQ(strchr(text, 'q'), nullptr);
  EXPECT_EQ(strstr(text, ""), text);
  EXPECT_EQ(strstr(text, "the"), text + 5);
  EXPECT_EQ(strstr(text, "then"), nullptr);
  EXPECT_EQ(strspn(text, "fin"), 3u);
  EXPECT_EQ(strpbrk(text, "dt"), text + 3);
  EXPECT_EQ(strpbrk(text, "xyz"), nullptr);

  char copy[16];
  EXPECT_EQ(strcpy(copy, text), copy);
  EXPECT_STREQ(copy, text);
}

TEST_F(StringsArtifact, DuplicateAllocatesThroughTheHost) {
  auto* strdup = fn<char*(const char*)>("strdup");
  auto* free = fn<void(void*)>("free");
  EXPECT_EQ(strdup(nullptr), nullptr);

  char* copy = strdup("copied text");
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy, "copied text");
  EXPECT_EQ(dvhost::host_heap::block_size(copy), 12u);
  free(copy);
  EXPECT_EQ(leaked_blocks(), 0);

  dvhost::host_heap::fail_request(1);
  EXPECT_EQ(strdup("no room"), nullptr);
}

std::vector<unsigned char> ramp(size_t length) {
  std::vector<unsigned char> bytes(length);
  for (size_t i = 0; i < length; ++i)
    bytes[i] = static_cast<unsigned char>(i * 13 + 5);
  return bytes;
}

// A memcpy or memset compiled into a call to itself would never return; a few hundred
// bytes take the vectorised paths where that would happen.
TEST_F(StringsArtifact, CopyAndFillBlocksOfHundredsOfBytes) {
  auto* memcpy = fn<void*(void*, const void*, size_t)>("memcpy");
  auto* memset = fn<void*(void*, int, size_t)>("memset");
  auto* bzero = fn<void(void*, size_t)>("bzero");
  auto* underscore_bzero = fn<void(void*, size_t)>("__bzero");
  auto* memcmp = fn<int(const void*, const void*, size_t)>("memcmp");
  auto* memchr = fn<void*(const void*, int, size_t)>("memchr");

  for (size_t length : {0u, 1u, 31u, 300u, 999u}) {
    const auto source = ramp(length);
    std::vector<unsigned char> target(length + 1, 0x77);
    EXPECT_EQ(memcpy(target.data(), source.data(), length), target.data());
    EXPECT_EQ(std::vector<unsigned char>(target.begin(), target.begin() + length), source);
    EXPECT_EQ(target[length], 0x77);
    EXPECT_EQ(memcmp(target.data(), source.data(), length), 0);

    EXPECT_EQ(memset(target.data(), 0x1c3, length), target.data());
    EXPECT_EQ(std::vector<unsigned char>(target.begin(), target.begin() + length),
              std::vector<unsigned char>(length, 0xc3));
    EXPECT_EQ(target[length], 0x77);
    EXPECT_EQ(memchr(target.data(), 0x77, length + 1), target.data() + length);
  }
  std::vector<unsigned char> block(400, 0xff);
  bzero(block.data(), 200);
  underscore_bzero(block.data() + 200, 199);
  EXPECT_EQ(memchr(block.data(), 0xff, 400), block.data() + 399);
  const unsigned char high = 0x90, low = 0x10;
  EXPECT_GT(memcmp(&high, &low, 1), 0);
}

TEST_F(StringsArtifact, MoveOverlappingBothWays) {
  auto* memmove = fn<void*(void*, const void*, size_t)>("memmove");
  const struct {
    size_t from, to, length;
  } cases[] = {{0, 3, 300}, {3, 0, 300}, {0, 1, 399}, {1, 0, 399}, {50, 50, 100}, {9, 4, 0}};
  for (const auto& c : cases) {
    auto block = ramp(400);
    auto expected = block;
    const auto original = block;
    for (size_t i = 0; i < c.length; ++i)
      expected[c.to + i] = original[c.from + i];
    EXPECT_EQ(memmove(block.data() + c.to, block.data() + c.from, c.length), block.data() + c.to);
    EXPECT_EQ(block, expected) << c.from << "->" << c.to;
  }
}

TEST_F(StringsArtifact, Services) {
  auto* clock = fn<uint64_t()>("clock");
  auto* time = fn<int64_t(int64_t*)>("time");
  auto* getenv = fn<char*(const char*)>("getenv");
  auto* system = fn<int(const char*)>("system");
  auto* setlocale = fn<const char*(int, const char*)>("setlocale");
  auto* localeconv = fn<const char* const*()>("localeconv");

  const uint64_t first = clock();
  EXPECT_EQ(clock(), first + 1);
  int64_t stored = 0;
  EXPECT_EQ(time(&stored), 1146503734);
  EXPECT_EQ(stored, 1146503734);
  EXPECT_EQ(time(nullptr), 1146503734);
  EXPECT_EQ(getenv("HOME"), nullptr);
  EXPECT_EQ(system("reboot"), -1);
  EXPECT_STREQ(setlocale(0, ""), "C");

  const char* const* conventions = localeconv();
  const char* const expected[] = {".", "", "", "", "", ".", "", "", "", ""};
  for (int i = 0; i < 10; ++i)
    EXPECT_STREQ(conventions[i], expected[i]) << i;
  const auto* tail = reinterpret_cast<const unsigned char*>(conventions + 10);
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(tail[i], 0) << i;
}

TEST_F(StringsArtifact, NothingButStrdupAllocates) {
  const auto before = dvhost::host_heap::stats().requests;
  char buffer[64];
  fn<int(char*, size_t, const char*, ...)>("snprintf")(buffer, sizeof buffer, "%s%f", "a", 1.5);
  fn<char*(const char*, const char*)>("strstr")("haystack", "st");
  fn<const char*(int)>("strerror")(2);
  fn<uint64_t()>("clock")();
  EXPECT_EQ(dvhost::host_heap::stats().requests, before);
}

} // namespace
