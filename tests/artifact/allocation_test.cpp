// C allocation and the allocation operators of the artifact, observed at the host heap.
#include "artifact/artifact_fixture.h"

namespace {

class AllocationArtifactTest : public dvtest::ArtifactTest {};

std::vector<void*> gReleased;
void recording_release(void* block) {
  gReleased.push_back(block);
}

TEST_F(AllocationArtifactTest, MallocReallocFreeReachTheHostSlots) {
  auto malloc = fn<void*(size_t)>("malloc");
  auto realloc = fn<void*(void*, size_t)>("realloc");
  auto free = fn<void(void*)>("free");
  auto* block = static_cast<char*>(malloc(24));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(dvhost::host_heap::block_size(block), 24u);
  block[0] = 'x';
  auto* grown = static_cast<char*>(realloc(block, 4000));
  ASSERT_NE(grown, nullptr);
  EXPECT_EQ(dvhost::host_heap::block_size(grown), 4000u);
  EXPECT_EQ(grown[0], 'x');
  free(grown);
  EXPECT_EQ(leaked_blocks(), 0);
}

TEST_F(AllocationArtifactTest, MallocReportsHostFailureAsNull) {
  dvhost::host_heap::fail_requests_from(1);
  EXPECT_EQ(fn<void*(size_t)>("malloc")(16), nullptr);
  EXPECT_EQ(fn<void*(void*, size_t)>("realloc")(nullptr, 16), nullptr);
}

TEST_F(AllocationArtifactTest, OperatorNewOfZeroGivesDistinctBlocks) {
  for (const char* name : {"_Znwm", "_Znam"}) {
    auto allocate = fn<void*(size_t)>(name);
    void* first = allocate(0);
    void* second = allocate(0);
    ASSERT_NE(first, nullptr) << name;
    EXPECT_NE(first, second) << name;
    EXPECT_EQ(dvhost::host_heap::block_size(first), 1u) << name;
    fn<void(void*)>("_ZdlPv")(first);
    fn<void(void*)>("_ZdaPv")(second);
  }
}

TEST_F(AllocationArtifactTest, EveryDeleteFormReleasesItsBlockAndAcceptsNull) {
  auto allocate = fn<void*(size_t)>("_Znwm");
  for (const char* name : {"_ZdlPv", "_ZdaPv"}) {
    auto release = fn<void(void*)>(name);
    void* block = allocate(32);
    release(block);
    EXPECT_FALSE(dvhost::host_heap::is_live(block)) << name;
    release(nullptr);
  }
  for (const char* name : {"_ZdlPvm", "_ZdaPvm"}) {
    auto release = fn<void(void*, size_t)>(name);
    void* block = allocate(32);
    release(block, 12345); // the size is ignored
    EXPECT_FALSE(dvhost::host_heap::is_live(block)) << name;
    release(nullptr, 0);
  }
}

TEST_F(AllocationArtifactTest, DeleteAndFreePassNullOnToTheHost) {
  gReleased.clear();
  dvhost::set_table_slot(dvhost::kSlotRelease, reinterpret_cast<const void*>(&recording_release));
  fn<void(void*)>("_ZdlPv")(nullptr);
  fn<void(void*)>("_ZdaPv")(nullptr);
  fn<void(void*, size_t)>("_ZdlPvm")(nullptr, 8);
  fn<void(void*, size_t)>("_ZdaPvm")(nullptr, 8);
  fn<void(void*)>("free")(nullptr);
  EXPECT_EQ(gReleased, std::vector<void*>(5, nullptr));
}

TEST_F(AllocationArtifactTest, OperatorNewHaltsWhenTheHostHeapFails) {
  for (const char* name : {"_Znwm", "_Znam"}) {
    auto allocate = fn<void*(size_t)>(name);
    dvhost::host_heap::fail_request(1);
    EXPECT_TRUE(halts([&] { allocate(64); })) << name;
  }
}

TEST_F(AllocationArtifactTest, OperatorNewHaltsWithoutATable) {
  auto allocate = fn<void*(size_t)>("_Znwm");
  dvhost::clear_program_api_table();
  EXPECT_TRUE(halts([&] { allocate(8); }));
}

TEST_F(AllocationArtifactTest, SuccessfulAllocationDoesNotHalt) {
  auto allocate = fn<void*(size_t)>("_Znwm");
  void* block = nullptr;
  EXPECT_FALSE(halts([&] { block = allocate(8); }));
  fn<void(void*)>("_ZdlPv")(block);
}

} // namespace
