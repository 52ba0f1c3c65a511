// Real memory at the physical addresses of the boot memory map.
#include <gtest/gtest.h>

#include "host/probe_memory.h"

namespace {

using namespace dvhost;

TEST(ProbeMemoryTest, MapsRegionsAtTheirAddressesAboveThreeMiB) {
  map_probe_memory(0x200000, 0x200000); // only 0x300000-0x400000 is mapped
  map_probe_memory(0x3FF000, 0x3000);   // overlaps: only the missing pages are added
  auto* bytes = reinterpret_cast<volatile unsigned char*>(0x300000);
  bytes[0] = 7;
  bytes[0x101FFF] = 9;
  EXPECT_EQ(bytes[0], 7);
  unmap_probe_memory();
  map_probe_memory(0x300000, 16);
  EXPECT_EQ(bytes[0], 0) << "unmapping forgets the contents";
  unmap_probe_memory();
}

TEST(ProbeMemoryTest, HugeRegionsCostOnlyAddressSpace) {
  map_probe_memory(0x100000000ull, 0x140000000ull); // 5 GiB at 4 GiB
  auto* last = reinterpret_cast<volatile unsigned char*>(0x100000000ull + 0x140000000ull - 1);
  *last = 1;
  EXPECT_EQ(*last, 1);
  unmap_probe_memory();
}

TEST(ProbeMemoryTest, RefusesRangesTakenByTheProcess) {
  int local = 0;
  EXPECT_THROW(map_probe_memory(reinterpret_cast<uintptr_t>(&local), 16), std::runtime_error);
  EXPECT_THROW(map_probe_memory(~uint64_t(0) - 4, 16), std::runtime_error);
  unmap_probe_memory();
}

} // namespace
