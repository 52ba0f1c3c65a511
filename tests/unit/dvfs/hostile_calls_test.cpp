// Stream calls at the edges of the integer ranges, run on dvcore so that the sanitizers
// watch the arithmetic: seek targets that overflow, item products beyond 64 bits, writes
// whose end would pass 2^64.
#include <gtest/gtest.h>

#include "dvfs/dvfs.h"
#include "host/host_heap.h"
#include "host/stand_in.h"
#include "runtime/errno.h"

namespace {

class DvfsHostileCallsTest : public ::testing::Test {
protected:
  void SetUp() override {
    dvhost::install_stand_in();
    live_before_ = dvhost::host_heap::live_blocks();
    stream_ = dv::dvfs_fopen("hostile", "w+");
    ASSERT_NE(stream_, nullptr);
    ASSERT_EQ(dv::dvfs_fwrite("0123456789", 1, 10, stream_), 10u);
    dv::dv_errno = 0;
  }
  void TearDown() override {
    dv::dvfs_fclose(stream_);
    EXPECT_EQ(dvhost::host_heap::live_blocks(), live_before_);
    EXPECT_TRUE(dvhost::host_heap::errors().empty());
    dvhost::reset_stand_in();
  }

  dv::DvfsFile* stream_ = nullptr;
  size_t live_before_ = 0;
};

TEST_F(DvfsHostileCallsTest, SeekTargetsOutsideTheRangeFail) {
  const struct {
    int64_t offset;
    int whence;
  } cases[] = {{INT64_MIN, 0}, {INT64_MIN, 1}, {INT64_MIN, 2}, {INT64_MAX, 1},
               {INT64_MAX, 2}, {-11, 2},       {-1, 0},        {1, 7}};
  for (const auto& c : cases) {
    EXPECT_EQ(dv::dvfs_fseek(stream_, c.offset, c.whence), -1) << c.offset << " " << c.whence;
    EXPECT_EQ(dv::dv_errno, dv::kInvalidArgument);
    EXPECT_EQ(dv::dvfs_ftell(stream_), 10);
  }
  ASSERT_EQ(dv::dvfs_fseek(stream_, INT64_MAX, 0), 0);
  EXPECT_EQ(dv::dvfs_fseek(stream_, 1, 1), -1);
  EXPECT_EQ(dv::dvfs_fseek(stream_, -INT64_MAX, 1), 0);
  EXPECT_EQ(dv::dvfs_ftell(stream_), 0);
}

TEST_F(DvfsHostileCallsTest, ProductsAndEndsBeyond64BitsAreRefused) {
  char bytes[4] = {};
  EXPECT_EQ(dv::dvfs_fwrite(bytes, SIZE_MAX, SIZE_MAX, stream_), 0u);
  EXPECT_EQ(dv::dv_errno, dv::kInvalidArgument);
  EXPECT_EQ(dv::dvfs_fread(bytes, SIZE_MAX, 3, stream_), 0u);
  EXPECT_EQ(dv::dv_errno, dv::kInvalidArgument);
  dv::dv_errno = 0;
  ASSERT_EQ(dv::dvfs_fseek(stream_, INT64_MAX, 0), 0);
  EXPECT_EQ(dv::dvfs_fwrite(bytes, 1, SIZE_MAX, stream_), 0u); // position + total wraps
  EXPECT_EQ(dv::dv_errno, dv::kOutOfMemory);
  EXPECT_EQ(dv::dvfs_fwrite(bytes, 1, 1, stream_), 0u); // 2^63 bytes: the host refuses
  EXPECT_EQ(dv::dv_errno, dv::kOutOfMemory);
  EXPECT_EQ(stream_->size, 10u);
  EXPECT_EQ(dv::dvfs_ferror(stream_), 1);
}

} // namespace
