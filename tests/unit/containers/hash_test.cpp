#include <gtest/gtest.h>

#include "containers/hash.h"

namespace {

TEST(HashBytes, StartsFromTheLibrarysOwnValue) {
  const unsigned int key = 65;
  struct Case {
    const void* bytes;
    size_t length;
    unsigned long expected;
  } cases[] = {
      {"", 0, 0x14650fb0739d0383UL},
      {"abc", 3, 0xe16801510db89efdUL},
      {&key, sizeof key, 0x90049cadbddb98e2UL},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(dv::detail::hash_bytes(c.bytes, c.length), c.expected) << c.length;
  }
}

TEST(HashKeys, HashTheKeyBytes) {
  EXPECT_EQ(dv::hash<unsigned int>()(65u), 0x90049cadbddb98e2UL);
  EXPECT_EQ(dv::hash<dv::string>()(dv::string("abc")), 0xe16801510db89efdUL);
  EXPECT_EQ(dv::hash<dv::string_view>()(dv::string_view("abc")), 0xe16801510db89efdUL);
  // A string without storage hashes like the empty text; bytes after a NUL count.
  EXPECT_EQ(dv::hash<dv::string>()(dv::string()), 0x14650fb0739d0383UL);
  EXPECT_NE(dv::hash<dv::string>()(dv::string("a\0b", 3)),
            dv::hash<dv::string>()(dv::string("a\0c", 3)));
}

TEST(KeyEquality, UsesTheKeysEquality) {
  EXPECT_TRUE(dv::equal_to<unsigned int>()(3u, 3u));
  EXPECT_FALSE(dv::equal_to<unsigned int>()(3u, 4u));
  EXPECT_TRUE(dv::equal_to<dv::string>()(dv::string(), dv::string("")));
  EXPECT_FALSE(dv::equal_to<dv::string>()(dv::string("ab"), dv::string("abc")));
}

} // namespace
