// The stand-in's host heap: addresses, accounting, misuse detection, fault injection.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "host/host_heap.h"

namespace {

using namespace dvhost;

class HostHeapTest : public ::testing::Test {
protected:
  void SetUp() override {
    host_heap::clear_fault_injection();
    host_heap::clear_errors();
    blocks_ = host_heap::live_blocks();
    bytes_ = host_heap::live_bytes();
  }
  void TearDown() override {
    host_heap::clear_errors();
    host_heap::clear_fault_injection();
  }
  size_t blocks_ = 0;
  size_t bytes_ = 0;
};

TEST_F(HostHeapTest, BlocksLieBelow4GiBAlignedAndAccounted) {
  void* a = host_heap_allocate_slot(10);
  void* b = host_heap_allocate_slot(0);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  EXPECT_LT(reinterpret_cast<uintptr_t>(a), uintptr_t(1) << 32);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % 16, 0u);
  EXPECT_EQ(host_heap::live_blocks(), blocks_ + 2);
  EXPECT_EQ(host_heap::live_bytes(), bytes_ + 10);
  host_heap_release_slot(a);
  host_heap_release_slot(b);
  host_heap_release_slot(nullptr);
  EXPECT_EQ(host_heap::live_blocks(), blocks_);
  EXPECT_TRUE(host_heap::errors().empty());
}

TEST_F(HostHeapTest, FreshMemoryIsNotZero) {
  auto* block = static_cast<unsigned char*>(host_heap_allocate_slot(8));
  EXPECT_NE(block[0], 0) << "zeroed memory would hide missing initialisation";
  host_heap_release_slot(block);
}

TEST_F(HostHeapTest, MisuseIsRecordedNotFatal) {
  void* block = host_heap_allocate_slot(16);
  host_heap_release_slot(block);
  host_heap_release_slot(block);
  int local = 0;
  host_heap_release_slot(&local);
  auto* overrun = static_cast<char*>(host_heap_allocate_slot(5));
  overrun[5] = 'x';
  host_heap_release_slot(overrun);
  EXPECT_EQ(host_heap_reallocate_slot(&local, 8), nullptr);
  const auto& errors = host_heap::errors();
  ASSERT_EQ(errors.size(), 4u);
  EXPECT_NE(errors[0].find("double free"), std::string::npos) << errors[0];
  EXPECT_NE(errors[1].find("bad pointer"), std::string::npos) << errors[1];
  EXPECT_NE(errors[2].find("past the end"), std::string::npos) << errors[2];
  EXPECT_NE(errors[3].find("realloc of bad pointer"), std::string::npos) << errors[3];
  EXPECT_EQ(host_heap::live_blocks(), blocks_);
}

TEST_F(HostHeapTest, ReallocateKeepsContentsAndHandlesNullAndZero) {
  auto* block = static_cast<char*>(host_heap_reallocate_slot(nullptr, 4));
  ASSERT_NE(block, nullptr);
  std::memcpy(block, "abcd", 4);
  auto* grown = static_cast<char*>(host_heap_reallocate_slot(block, 100));
  ASSERT_NE(grown, nullptr);
  EXPECT_EQ(std::memcmp(grown, "abcd", 4), 0);
  auto* shrunk = static_cast<char*>(host_heap_reallocate_slot(grown, 0));
  ASSERT_NE(shrunk, nullptr) << "realloc to 0 gives a fresh minimal block";
  EXPECT_TRUE(host_heap::is_live(shrunk));
  host_heap_release_slot(shrunk);
  EXPECT_EQ(host_heap::live_blocks(), blocks_);
  EXPECT_TRUE(host_heap::errors().empty());
}

TEST_F(HostHeapTest, InjectedFailures) {
  host_heap::fail_request(2);
  void* first = host_heap_allocate_slot(8);
  void* second = host_heap_allocate_slot(8);
  void* third = host_heap_allocate_slot(8);
  EXPECT_NE(first, nullptr);
  EXPECT_EQ(second, nullptr);
  EXPECT_NE(third, nullptr);

  host_heap::fail_requests_from(1);
  EXPECT_EQ(host_heap_allocate_slot(8), nullptr);
  EXPECT_EQ(host_heap_reallocate_slot(first, 64), nullptr);
  EXPECT_TRUE(host_heap::is_live(first)) << "a failed realloc keeps the old block";
  host_heap::clear_fault_injection();
  host_heap_release_slot(first);
  host_heap_release_slot(third);
  EXPECT_EQ(host_heap::live_blocks(), blocks_);
}

TEST_F(HostHeapTest, OversizedRequestsFail) {
  EXPECT_EQ(host_heap_allocate_slot(~size_t(0)), nullptr);
  EXPECT_EQ(host_heap_allocate_slot(size_t(1) << 40), nullptr);
}

// A small heap refuses what would not fit next to the live blocks, and takes it again
// once they are released; the peaks show the most that was live at once.
TEST_F(HostHeapTest, HeapSizeBoundsTheLiveBlocks) {
  const size_t taken = host_heap::stats().heap_bytes;
  host_heap::set_heap_size(taken + (1 << 20));
  host_heap::reset_peak();
  void* first = host_heap_allocate_slot(600 << 10);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(host_heap_allocate_slot(600 << 10), nullptr);
  EXPECT_EQ(host_heap_reallocate_slot(first, 700 << 10), nullptr); // old + new do not fit
  void* second = host_heap_allocate_slot(300 << 10);
  ASSERT_NE(second, nullptr);
  host_heap_release_slot(first);
  void* third = host_heap_allocate_slot(600 << 10);
  EXPECT_NE(third, nullptr);
  EXPECT_EQ(host_heap::stats().peak_live_bytes, bytes_ + (900 << 10));
  EXPECT_GE(host_heap::stats().peak_heap_bytes, taken + (900 << 10));
  host_heap_release_slot(second);
  host_heap_release_slot(third);
  host_heap::set_heap_size(host_heap::default_heap_size());
}

TEST_F(HostHeapTest, DefaultHeapSizeComesFromTheEnvironment) {
  setenv("DV_HOST_HEAP_MB", "64", 1);
  EXPECT_EQ(host_heap::default_heap_size(), size_t(64) << 20);
  setenv("DV_HOST_HEAP_MB", "100000", 1); // more than there is
  EXPECT_EQ(host_heap::default_heap_size(), size_t(512) << 20);
  unsetenv("DV_HOST_HEAP_MB");
  EXPECT_EQ(host_heap::default_heap_size(), size_t(512) << 20);
}

TEST_F(HostHeapTest, ReleasedMemoryIsReused) {
  void* block = host_heap_allocate_slot(1 << 20);
  host_heap_release_slot(block);
  for (int i = 0; i < 600; ++i)
    host_heap_release_slot(host_heap_allocate_slot(1 << 20));
  EXPECT_EQ(host_heap::live_blocks(), blocks_);
}

TEST_F(HostHeapTest, ReleaseAllEmptiesTheHeap) {
  host_heap_allocate_slot(8);
  host_heap_allocate_slot(9);
  host_heap::release_all();
  EXPECT_EQ(host_heap::live_blocks(), 0u);
  EXPECT_EQ(host_heap::live_bytes(), 0u);
  EXPECT_TRUE(host_heap::errors().empty());
}

} // namespace
