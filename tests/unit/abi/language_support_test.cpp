// Language-support functions of dvcore: allocation operators, statics, exception blocks.
#include <gtest/gtest.h>

#include "abi/exception_alloc.h"
#include "abi/exception_header.h"
#include "abi/operator_new.h"
#include "abi/static_init.h"
#include "host/host_heap.h"
#include "host/stand_in.h"

namespace {

class LanguageSupportTest : public ::testing::Test {
protected:
  void SetUp() override {
    dvhost::install_stand_in();
    blocks_ = dvhost::host_heap::live_blocks();
  }
  void TearDown() override {
    EXPECT_EQ(dvhost::host_heap::live_blocks(), blocks_);
    EXPECT_TRUE(dvhost::host_heap::errors().empty());
    dvhost::reset_stand_in();
    dv::gCaughtException = nullptr;
  }
  size_t blocks_ = 0;
};

TEST_F(LanguageSupportTest, OperatorNewOfZeroGivesDistinctOneByteBlocks) {
  void* a = dv::operator_new(0);
  void* b = dv::operator_new(0);
  EXPECT_NE(a, b);
  EXPECT_EQ(dvhost::host_heap::block_size(a), 1u);
  dv::operator_delete(a);
  dv::operator_delete(b);
  dv::operator_delete(nullptr);
}

TEST_F(LanguageSupportTest, OperatorNewStopsWhenTheHeapFails) {
  EXPECT_DEATH(
      {
        dvhost::host_heap::fail_requests_from(1);
        dv::operator_new(8);
      },
      "");
}

TEST_F(LanguageSupportTest, GuardBitZeroOfTheFirstByte) {
  uint64_t guard = 0;
  EXPECT_EQ(dv::cxa_guard_acquire(&guard), 1);
  dv::cxa_guard_abort(&guard);
  EXPECT_EQ(dv::cxa_guard_acquire(&guard), 1);
  dv::cxa_guard_release(&guard);
  EXPECT_EQ(guard, 1u);
  EXPECT_EQ(dv::cxa_guard_acquire(&guard), 0);
  EXPECT_EQ(dv::cxa_atexit(nullptr, nullptr, nullptr), 0);
}

TEST_F(LanguageSupportTest, ExceptionBlockIsZeroedAndCaughtExceptionsStack) {
  void* first = dv::cxa_allocate_exception(0);
  void* second = dv::cxa_allocate_exception(24);
  auto* first_header = dv::header_from_object(first);
  auto* second_header = dv::header_from_object(second);
  EXPECT_EQ(dvhost::host_heap::block_size(first_header), sizeof(dv::DovrelExceptionHeader) + 1);
  const auto* bytes = reinterpret_cast<const unsigned char*>(second_header);
  for (size_t i = 0; i < sizeof(dv::DovrelExceptionHeader) + 24; ++i)
    ASSERT_EQ(bytes[i], 0) << i;

  EXPECT_EQ(dv::cxa_begin_catch(nullptr), nullptr);
  EXPECT_EQ(dv::gCaughtException, nullptr);
  EXPECT_EQ(dv::cxa_begin_catch(first_header), first);
  second_header->rethrown = 1;
  EXPECT_EQ(dv::cxa_begin_catch(second_header), second);
  EXPECT_EQ(dv::gCaughtException, second_header);
  EXPECT_EQ(second_header->next_caught, first_header);
  EXPECT_EQ(second_header->rethrown, 0);

  dv::cxa_free_exception(first);
  dv::cxa_free_exception(second);
  dv::cxa_free_exception(nullptr);
}

} // namespace
