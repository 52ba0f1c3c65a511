// The artifact's probe heap, built from the memory map in the boot page.
#include "artifact/artifact_fixture.h"

namespace {

constexpr uint64_t kHeader = 32;

class ProbeHeapArtifactTest : public dvtest::ArtifactTest {
protected:
  void* alloc(size_t size) { return fn<void*(size_t)>("dv_probe_heap_alloc")(size); }
  void reset() { fn<void()>("dv_probe_heap_reset")(); }
  uint32_t free_bytes() { return fn<uint32_t()>("dv_probe_heap_free_bytes")(); }
  uint64_t free_bytes64() { return fn<uint64_t()>("dv_probe_heap_free_bytes64")(); }
  uint32_t total_bytes() { return fn<uint32_t()>("dv_probe_heap_total_bytes")(); }
  uint64_t total_bytes64() { return fn<uint64_t()>("dv_probe_heap_total_bytes64")(); }
};

TEST_F(ProbeHeapArtifactTest, FallbackRegionWithoutAMap) {
  uint64_t requests_before_ = dvhost::host_heap::stats().requests;
  dvhost::map_probe_memory(0x300000, 0x4000000 - 0x300000);
  reset();
  EXPECT_EQ(total_bytes64(), 0x4000000 - 0x300000 - kHeader);
  EXPECT_EQ(alloc(1), reinterpret_cast<void*>(0x300000 + kHeader));
  EXPECT_EQ(free_bytes64(), 0x4000000 - 0x300000 - 2 * kHeader - 16) << "split off the rest";
  EXPECT_EQ(total_bytes64(), 0x4000000 - 0x300000 - 2 * kHeader);
  EXPECT_EQ(dvhost::host_heap::stats().requests, requests_before_) << "the host heap is not used";
}

TEST_F(ProbeHeapArtifactTest, MergedMapRegionsAndFirstFit) {
  std::vector<dvhost::MemoryRegion> map = {{0x500000, 0x800}, {0x400000, 0x100}, {0x500800, 0x800}};
  dvhost::set_memory_map64(map);
  dvhost::map_probe_memory(map);
  reset();
  EXPECT_EQ(total_bytes(), (0x100 - kHeader) + (0x1000 - kHeader));
  EXPECT_EQ(alloc(0x200), reinterpret_cast<void*>(0x500000 + kHeader));
  EXPECT_EQ(alloc(0xE0), reinterpret_cast<void*>(0x400000 + kHeader)) << "whole first block";
  EXPECT_EQ(alloc(0x1000), nullptr);
  EXPECT_EQ(alloc(0), nullptr);
  reset();
  EXPECT_EQ(free_bytes64(), total_bytes64());
}

TEST_F(ProbeHeapArtifactTest, QueriesSaturateAt32Bits) {
  const uint64_t base = 0x500000000000ull;
  const uint64_t length = 0x140000000ull;
  dvhost::set_memory_map64({{base, length}});
  dvhost::map_probe_memory(base, length);
  reset();
  EXPECT_EQ(free_bytes(), 0xFFFFFFFFu);
  EXPECT_EQ(total_bytes(), 0xFFFFFFFFu);
  EXPECT_EQ(free_bytes64(), length - kHeader);
}

} // namespace
