#include <gtest/gtest.h>

#include <string>

#include "runtime/errno.h"

namespace {

TEST(ErrorText, EveryKnownCodeAndTheRest) {
  struct Case {
    int code;
    const char* text;
  };
  const Case cases[] = {
      {0, "ok"},
      {dv::kNoSuchFile, "no such file"},
      {dv::kIoError, "i/o error"},
      {dv::kBadFileDescriptor, "bad file descriptor"},
      {dv::kOutOfMemory, "out of memory"},
      {dv::kPermissionDenied, "permission denied"},
      {dv::kFileExists, "file exists"},
      {dv::kInvalidArgument, "invalid argument"},
      {4, "error"},
      {-1, "error"},
      {1, "error"},
      {23, "error"},
      {0x7fffffff, "error"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(std::string(dv::strerror(c.code)), c.text) << c.code;
}

TEST(ErrorText, CodesHaveTheirFixedValues) {
  EXPECT_EQ(dv::kNoSuchFile, 2);
  EXPECT_EQ(dv::kIoError, 5);
  EXPECT_EQ(dv::kBadFileDescriptor, 9);
  EXPECT_EQ(dv::kOutOfMemory, 12);
  EXPECT_EQ(dv::kPermissionDenied, 13);
  EXPECT_EQ(dv::kFileExists, 17);
  EXPECT_EQ(dv::kInvalidArgument, 22);
}

} // namespace
