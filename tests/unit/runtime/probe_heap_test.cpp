// The probe heap built from the boot memory map: map choice, clipping at 3 MiB,
// merging, the fallback region, first fit with the 48-byte split rule, 32-bit
// saturation and reset.
#include <gtest/gtest.h>

#include <vector>

#include "host/boot_page.h"
#include "host/memory_map.h"
#include "host/probe_memory.h"
#include "host/stand_in.h"
#include "runtime/probe_heap.h"

namespace {

using dvhost::MemoryRegion;

constexpr uint64_t kHeader = 32;
constexpr uint64_t kFloor = 0x300000;
constexpr uint64_t kFallbackTop = 0x4000000;

struct Block {
  uint64_t address; // of the payload
  uint64_t size;
  bool free;
  bool operator==(const Block&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Block& block) {
  return out << std::hex << "{0x" << block.address << ", 0x" << block.size << ", "
             << (block.free ? "free" : "used") << "}";
}

std::vector<Block> heap_blocks() {
  std::vector<Block> blocks;
  for (auto* block = dv::gHeapHead; block;
       block = reinterpret_cast<dv::ProbeHeapBlock*>(uintptr_t(block->next)))
    blocks.push_back({reinterpret_cast<uintptr_t>(block + 1), block->size, block->free == 1});
  return blocks;
}

class ProbeHeapTest : public ::testing::Test {
protected:
  void SetUp() override { dvhost::install_stand_in(); }
  void TearDown() override {
    dvhost::reset_stand_in();
    dv::gHeapInitialized = false;
    dv::gHeapHead = nullptr;
  }

  // Writes the 64-bit map, maps its memory and rebuilds the heap.
  void use_map64(const std::vector<MemoryRegion>& regions) {
    dvhost::set_memory_map64(regions);
    dvhost::map_probe_memory(regions);
    dv::dv_probe_heap_reset();
  }
  void use_legacy(const std::vector<MemoryRegion>& regions) {
    dvhost::set_legacy_memory_map(regions);
    dvhost::map_probe_memory(regions);
    dv::dv_probe_heap_reset();
  }
  void use_fallback(uint32_t top) {
    dvhost::set_memory_top(top);
    dvhost::map_probe_memory(kFloor, kFallbackTop - kFloor);
    dv::dv_probe_heap_reset();
  }
};

TEST_F(ProbeHeapTest, FallbackRegionFromTheMemoryTop) {
  struct Case {
    uint32_t top;
    uint64_t end;
  };
  const Case cases[] = {
      {0, kFallbackTop},    {0x300000, kFallbackTop}, {0x300028, kFallbackTop},
      {0x300030, 0x300030}, {0x30003F, 0x300030},     {0x1000008, 0x1000000},
  };
  for (const Case& c : cases) {
    use_fallback(c.top);
    EXPECT_EQ(heap_blocks(),
              (std::vector<Block>{{kFloor + kHeader, c.end - kFloor - kHeader, true}}))
        << std::hex << c.top;
  }
}

TEST_F(ProbeHeapTest, MapEndingAtThreeMiBGivesTheFallback) {
  dvhost::set_memory_top(0x800000);
  dvhost::map_probe_memory(kFloor, 0x500000);
  use_legacy({{0x100000, 0x200000}, {0, 0x1000}, {0x2FF000, 0x1000}});
  EXPECT_EQ(heap_blocks(), (std::vector<Block>{{kFloor + kHeader, 0x500000 - kHeader, true}}));
}

TEST_F(ProbeHeapTest, RegionsAreClippedSortedAndMerged) {
  use_map64({
      {0x900000, 0x1000},   // third after sorting
      {0x200000, 0x101000}, // clipped to 0x300000-0x301000
      {0x301000, 0x1000},   // touches the previous one: merged
      {0x900800, 0x100},    // inside the first: merged, end unchanged
      {0x600000, 0},        // empty: skipped
      {0x700000, 0x2000},
      {0x701000, 0x2000}, // overlaps: extends to 0x703000
  });
  EXPECT_EQ(heap_blocks(), (std::vector<Block>{
                               {0x300000 + kHeader, 0x2000 - kHeader, true},
                               {0x700000 + kHeader, 0x3000 - kHeader, true},
                               {0x900000 + kHeader, 0x1000 - kHeader, true},
                           }));
}

TEST_F(ProbeHeapTest, UnalignedRegionsAreTrimmedAndSmallOnesDropped) {
  use_map64({
      {0x500008, 0x38},  // 0x500010 + 48 bytes: the smallest block, 16-byte payload
      {0x600008, 0x37},  // 47 bytes after aligning: dropped
      {0x700004, 0x100}, // start rounded up, length rounded down
      {0x800000, 0x2F},  // dropped
  });
  EXPECT_EQ(heap_blocks(), (std::vector<Block>{
                               {0x500010 + kHeader, 16, true},
                               {0x700010 + kHeader, 0xF0 - kHeader, true},
                           }));
}

TEST_F(ProbeHeapTest, WrappingEntryOfThe64BitMapIsSkipped) {
  use_map64({{0x400000, 0x1000}});
  dvhost::set_memory_map64({{0xFFFFFFFFFFFFF000ull, 0x2000}, {0x400000, 0x1000}});
  dv::dv_probe_heap_reset();
  EXPECT_EQ(heap_blocks(), (std::vector<Block>{{0x400000 + kHeader, 0x1000 - kHeader, true}}));
}

TEST_F(ProbeHeapTest, LegacyMapIsUsedWhenThe64BitMapIsAbsentOrEmpty) {
  dvhost::set_memory_map64({{0x800000, 0x1000}});
  dvhost::set_memory_map64_count(0);
  use_legacy({{0x400000, 0x1000}});
  EXPECT_EQ(heap_blocks(), (std::vector<Block>{{0x400000 + kHeader, 0x1000 - kHeader, true}}));
  dvhost::set_memory_map64_count(1);
  dvhost::map_probe_memory(0x800000, 0x1000);
  dv::dv_probe_heap_reset();
  EXPECT_EQ(heap_blocks(), (std::vector<Block>{{0x800000 + kHeader, 0x1000 - kHeader, true}}));
}

TEST_F(ProbeHeapTest, OnlyTheFirstSixteenLegacyEntriesAreRead) {
  std::vector<MemoryRegion> regions;
  for (uint64_t i = 0; i < 16; ++i)
    regions.push_back({0x400000 + i * 0x10000, 0x1000});
  use_legacy(regions);
  dvhost::set_legacy_memory_map_count(17);
  dvhost::write_boot_u32(0x6090 + 16 * 8, 0x200000); // 17th entry, right after the 16th
  dvhost::write_boot_u32(0x6090 + 16 * 8 + 4, 0x200000);
  dv::dv_probe_heap_reset();
  EXPECT_EQ(heap_blocks().size(), 16u);
  EXPECT_EQ(heap_blocks().front().address, 0x400000 + kHeader);
}

TEST_F(ProbeHeapTest, AllocationSplitsOnlyWhenAMinimumBlockRemains) {
  const uint64_t payload = 0x1000 - kHeader;
  struct Case {
    size_t request;
    std::vector<uint64_t> sizes; // payload sizes after the allocation
  };
  const Case cases[] = {
      {payload, {payload}},
      {payload - 47, {payload}},          // rounds up to payload - 32: no split
      {payload - 48, {payload - 48, 16}}, // leaves exactly a 48-byte block
      {1, {16, payload - 16 - kHeader}},
  };
  for (const Case& c : cases) {
    use_map64({{0x400000, 0x1000}});
    void* block = dv::dv_probe_heap_alloc(c.request);
    EXPECT_EQ(block, reinterpret_cast<void*>(0x400000 + kHeader)) << c.request;
    std::vector<uint64_t> sizes;
    for (const Block& b : heap_blocks())
      sizes.push_back(b.size);
    EXPECT_EQ(sizes, c.sizes) << c.request;
    EXPECT_FALSE(heap_blocks().front().free);
  }
}

TEST_F(ProbeHeapTest, FirstFitAndFailures) {
  use_map64({{0x400000, 0x100}, {0x500000, 0x1000}});
  EXPECT_EQ(dv::dv_probe_heap_alloc(0), nullptr);
  EXPECT_EQ(dv::dv_probe_heap_alloc(0x1000), nullptr);
  EXPECT_EQ(dv::dv_probe_heap_alloc(~size_t(0)), nullptr) << "rounding must not wrap";
  EXPECT_EQ(dv::dv_probe_heap_alloc(0x200), reinterpret_cast<void*>(0x500000 + kHeader));
  EXPECT_EQ(dv::dv_probe_heap_alloc(0x10), reinterpret_cast<void*>(0x400000 + kHeader));
  EXPECT_EQ(dv::dv_probe_heap_alloc(0x10),
            reinterpret_cast<void*>(0x400000 + kHeader + 0x10 + kHeader));
  EXPECT_EQ(dv::dv_probe_heap_free_bytes64(), dv::dv_probe_heap_total_bytes64() - 0x220);
}

TEST_F(ProbeHeapTest, FreeAndTotalBytesSaturateAt32Bits) {
  // High in the address space: free in a plain process and under ASan alike.
  const uint64_t base = 0x500000000000ull;
  const uint64_t length = 0x140000000ull; // 5 GiB
  use_map64({{base, length}});
  EXPECT_EQ(dv::dv_probe_heap_total_bytes64(), length - kHeader);
  EXPECT_EQ(dv::dv_probe_heap_total_bytes(), 0xFFFFFFFFu);
  EXPECT_EQ(dv::dv_probe_heap_free_bytes(), 0xFFFFFFFFu);
  ASSERT_NE(dv::dv_probe_heap_alloc(0x100000000ull), nullptr);
  EXPECT_EQ(dv::dv_probe_heap_free_bytes64(), length - 2 * kHeader - 0x100000000ull);
  EXPECT_EQ(dv::dv_probe_heap_free_bytes(), uint32_t(length - 2 * kHeader - 0x100000000ull));
  EXPECT_EQ(dv::dv_probe_heap_total_bytes(), 0xFFFFFFFFu);
}

TEST_F(ProbeHeapTest, ResetForgetsEveryBlock) {
  use_map64({{0x400000, 0x1000}});
  dv::dv_probe_heap_alloc(100);
  dv::dv_probe_heap_alloc(200);
  EXPECT_LT(dv::dv_probe_heap_free_bytes64(), dv::dv_probe_heap_total_bytes64());
  dv::dv_probe_heap_reset();
  EXPECT_EQ(dv::dv_probe_heap_free_bytes64(), dv::dv_probe_heap_total_bytes64());
  EXPECT_EQ(heap_blocks().size(), 1u);
}

TEST_F(ProbeHeapTest, BuiltOnFirstUse) {
  dvhost::set_memory_map64({{0x400000, 0x1000}});
  dvhost::map_probe_memory(0x400000, 0x1000);
  dv::gHeapInitialized = false;
  EXPECT_EQ(dv::dv_probe_heap_free_bytes(), 0x1000 - kHeader);
  EXPECT_TRUE(dv::gHeapInitialized);
}

} // namespace
