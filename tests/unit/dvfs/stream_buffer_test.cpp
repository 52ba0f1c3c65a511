// Growth of a stream's owned buffer, including sizes whose doubling leaves 64 bits.
#include <gtest/gtest.h>

#include "dvfs/stream_buffer.h"
#include "host/host_heap.h"
#include "host/stand_in.h"
#include "runtime/errno.h"
#include "runtime/malloc.h"

namespace {

class StreamBufferTest : public ::testing::Test {
protected:
  void SetUp() override {
    dvhost::install_stand_in();
    dv::dv_errno = 0;
  }
  void TearDown() override {
    dv::free(stream_.buffer);
    dvhost::reset_stand_in();
  }

  dv::DvfsFile stream_{};
};

TEST_F(StreamBufferTest, CapacityStartsAt256AndDoubles) {
  const struct {
    uint64_t needed;
    uint64_t capacity;
  } steps[] = {{0, 0}, {1, 256}, {256, 256}, {257, 512}, {5000, 8192}, {100, 8192}};
  for (const auto& step : steps) {
    ASSERT_TRUE(dv::dvfs_reserve(&stream_, step.needed)) << step.needed;
    EXPECT_EQ(stream_.capacity, step.capacity) << step.needed;
    EXPECT_EQ(stream_.data, stream_.buffer);
  }
  EXPECT_EQ(dvhost::host_heap::block_size(stream_.buffer), 8192u);
}

TEST_F(StreamBufferTest, SizesBeyondDoublingRangeFailWithoutAsking) {
  ASSERT_TRUE(dv::dvfs_reserve(&stream_, 300));
  uint64_t requests = dvhost::host_heap::stats().requests;
  for (uint64_t needed : {(uint64_t(1) << 63) + 1, UINT64_MAX}) {
    EXPECT_FALSE(dv::dvfs_reserve(&stream_, needed));
    EXPECT_EQ(dv::dv_errno, dv::kOutOfMemory);
    EXPECT_EQ(stream_.error, 1);
    EXPECT_EQ(stream_.capacity, 512u);
  }
  EXPECT_EQ(dvhost::host_heap::stats().requests, requests);
}

TEST_F(StreamBufferTest, FailedReallocationKeepsTheOldBuffer) {
  ASSERT_TRUE(dv::dvfs_reserve(&stream_, 10));
  stream_.buffer[0] = 'k';
  dvhost::host_heap::fail_request(1);
  EXPECT_FALSE(dv::dvfs_reserve(&stream_, 1000));
  EXPECT_EQ(dv::dv_errno, dv::kOutOfMemory);
  EXPECT_EQ(stream_.capacity, 256u);
  EXPECT_EQ(stream_.data, stream_.buffer);
  EXPECT_EQ(stream_.buffer[0], 'k');
}

} // namespace
