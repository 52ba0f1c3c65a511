#include <gtest/gtest.h>

#include <cctype>

#include "runtime/ctype.h"

namespace {

// The host C library in its default "C" locale is the reference for every byte value.
struct ClassCase {
  const char* name;
  int (*ours)(int);
  int (*reference)(int);
};

const ClassCase kClasses[] = {
    {"isdigit", dv::isdigit, ::isdigit}, {"isxdigit", dv::isxdigit, ::isxdigit},
    {"islower", dv::islower, ::islower}, {"isupper", dv::isupper, ::isupper},
    {"isalpha", dv::isalpha, ::isalpha}, {"isalnum", dv::isalnum, ::isalnum},
    {"isblank", dv::isblank, ::isblank}, {"isspace", dv::isspace, ::isspace},
    {"isprint", dv::isprint, ::isprint},
};

TEST(CharacterClass, EveryByteValueAnswersZeroOrOne) {
  for (const ClassCase& c : kClasses) {
    for (int byte = 0; byte < 256; ++byte)
      EXPECT_EQ(c.ours(byte), c.reference(byte) != 0 ? 1 : 0) << c.name << "(" << byte << ")";
    EXPECT_EQ(c.ours(-1), 0) << c.name;
    EXPECT_EQ(c.ours(256 + '5'), 0) << c.name;
  }
}

TEST(CharacterClass, SpotChecksFromTheTable) {
  EXPECT_EQ(dv::isblank('\t'), 1);
  EXPECT_EQ(dv::isblank('\n'), 0);
  EXPECT_EQ(dv::isspace('\v'), 1);
  EXPECT_EQ(dv::isspace('\r'), 1);
  EXPECT_EQ(dv::isprint(' '), 1);
  EXPECT_EQ(dv::isprint('~'), 1);
  EXPECT_EQ(dv::isprint(127), 0);
  EXPECT_EQ(dv::isxdigit('F'), 1);
  EXPECT_EQ(dv::isxdigit('g'), 0);
  EXPECT_EQ(dv::isalpha(0xe9), 0);
}

TEST(CharacterClass, CaseMappingChangesOnlyAsciiLetters) {
  for (int byte = 0; byte < 256; ++byte) {
    EXPECT_EQ(dv::tolower(byte), ::tolower(byte)) << byte;
    EXPECT_EQ(dv::toupper(byte), ::toupper(byte)) << byte;
  }
  EXPECT_EQ(dv::tolower(-1), -1);
  EXPECT_EQ(dv::toupper(0x161), 0x161);
}

} // namespace
