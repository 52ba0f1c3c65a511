// The boot page, the program API table the stand-in writes there, and the 32-bit
// trampolines its slots point at.
#include <gtest/gtest.h>

#include <cstring>

#include "host/boot_page.h"
#include "host/host_heap.h"
#include "host/memory_map.h"
#include "host/program_api_table.h"
#include "host/stand_in.h"
#include "host/trampoline.h"

namespace {

using namespace dvhost;

template <typename Function> Function* slot_function(uint32_t offset) {
  return reinterpret_cast<Function*>(uintptr_t(table_field(offset)));
}

TEST(BootPageTest, TableHasMagicVersionSizeAndLowSlots) {
  install_stand_in();
  EXPECT_EQ(std::memcmp(reinterpret_cast<const void*>(kTableAddress), "DVAP", 4), 0);
  EXPECT_NE(table_field(kFieldVersion), 0u);
  EXPECT_EQ(table_field(kFieldSize), kTableSize);
  for (uint32_t slot : {kSlotStatFile, kSlotWriteFile, kSlotDeleteFile, kSlotWriteConsoleLine,
                        kSlotReadConsoleLine, kSlotAllocate, kSlotRelease, kSlotReallocate})
    EXPECT_NE(table_field(slot), 0u) << slot;
  EXPECT_EQ(table_field(0x48), 0u) << "unused slots stay empty";
}

TEST(BootPageTest, SlotsAreCallableThroughTheirTrampolines) {
  install_stand_in();
  size_t before = host_heap::live_blocks();
  void* block = slot_function<void*(size_t)>(kSlotAllocate)(40);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(host_heap::block_size(block), 40u);
  block = slot_function<void*(void*, size_t)>(kSlotReallocate)(block, 80);
  EXPECT_EQ(host_heap::block_size(block), 80u);
  slot_function<void(void*)>(kSlotRelease)(block);
  EXPECT_EQ(host_heap::live_blocks(), before);
}

int add_three(int a, int b, int c) {
  return a + b + c;
}

TEST(BootPageTest, TrampolinesAreStableAndPassArguments) {
  uint32_t address = code_address32(reinterpret_cast<const void*>(&add_three));
  EXPECT_EQ(code_address32(reinterpret_cast<const void*>(&add_three)), address);
  EXPECT_NE(address, 0u);
  EXPECT_EQ(reinterpret_cast<int (*)(int, int, int)>(uintptr_t(address))(1, 20, 300), 321);
}

TEST(BootPageTest, MemoryMapIsWrittenAtItsFixedAddresses) {
  install_stand_in();
  set_memory_top(0x1234560);
  set_legacy_memory_map({{0x100000, 0x200000}, {0x500000, 0x10}});
  set_memory_map64({{0x123456789, 0x1000}});
  EXPECT_EQ(read_boot_u32(0x6088), 0x1234560u);
  EXPECT_EQ(read_boot_u32(0x608C), 2u);
  EXPECT_EQ(read_boot_u32(0x6098), 0x500000u);
  EXPECT_EQ(read_boot_u32(0x609C), 0x10u);
  EXPECT_EQ(std::memcmp(reinterpret_cast<const void*>(0x6238), "DH64", 4), 0);
  EXPECT_EQ(read_boot_u32(0x623C), 1u);
  EXPECT_EQ(read_boot_u64(0x6240), 0x123456789u);
  EXPECT_EQ(read_boot_u64(0x6248), 0x1000u);
  clear_memory_map();
  for (uintptr_t address = 0x6088; address < 0x6640; address += 4)
    ASSERT_EQ(read_boot_u32(address), 0u) << address;
  EXPECT_THROW(set_legacy_memory_map(std::vector<MemoryRegion>(17)), std::invalid_argument);
}

TEST(BootPageTest, AccessOutsideThePageIsRefused) {
  EXPECT_THROW(read_boot_u32(0x5FFC), std::out_of_range);
  EXPECT_THROW(write_boot_u32(0x6FFE, 1), std::out_of_range);
}

} // namespace
