// reset_stand_in puts every part of the stand-in back to its defaults.
#include <gtest/gtest.h>

#include "host/boot_page.h"
#include "host/console.h"
#include "host/file_store.h"
#include "host/host_heap.h"
#include "host/memory_map.h"
#include "host/probe_memory.h"
#include "host/program_api_table.h"
#include "host/stand_in.h"

namespace {

using namespace dvhost;

TEST(StandInTest, ResetRestoresTheDefaults) {
  install_stand_in();
  set_table_field(kFieldMagic, 0);
  set_table_field(kSlotAllocate, 0);
  set_memory_top(0x800000);
  set_memory_map64({{0x400000, 0x1000}});
  map_probe_memory(0x400000, 0x1000);
  file_store::put("f", "x");
  console::queue_input("line");
  console_write_slot("out");
  host_heap::fail_requests_from(1);
  host_heap_release_slot(reinterpret_cast<void*>(16)); // records an error

  reset_stand_in();

  EXPECT_EQ(table_field(kFieldMagic), kTableMagic);
  EXPECT_NE(table_field(kSlotAllocate), 0u);
  EXPECT_EQ(read_boot_u32(0x6088), 0u);
  EXPECT_EQ(read_boot_u32(0x6238), 0u);
  EXPECT_FALSE(file_store::exists("f"));
  EXPECT_TRUE(console::lines().empty());
  char buffer[8];
  EXPECT_EQ(console_read_slot(buffer, sizeof buffer, "", 0), 0);
  EXPECT_TRUE(host_heap::errors().empty());
  void* block = host_heap_allocate_slot(8);
  EXPECT_NE(block, nullptr);
  host_heap_release_slot(block);
  map_probe_memory(0x400000, 0x1000); // unmapped by the reset, so it can be mapped afresh
  EXPECT_EQ(*reinterpret_cast<volatile uint32_t*>(0x400000), 0u);
  unmap_probe_memory();
}

} // namespace
