// Readiness of the program API table and the slot wrappers, with the stand-in's table
// under dvcore.
#include <gtest/gtest.h>

#include "host/file_store.h"
#include "host/host_heap.h"
#include "host/program_api_table.h"
#include "host/stand_in.h"
#include "runtime/malloc.h"
#include "runtime/program_api.h"

namespace {

class ProgramApiTest : public ::testing::Test {
protected:
  void SetUp() override { dvhost::install_stand_in(); }
  void TearDown() override { dvhost::reset_stand_in(); }
};

struct ReadinessCase {
  const char* name;
  uint32_t magic;
  uint32_t version;
  uint32_t size;
  uint32_t offset;
  bool ready;
};

const ReadinessCase kReadiness[] = {
    {"complete table", dvhost::kTableMagic, 1, 0x58, 0x54, true},
    {"slot just fits", dvhost::kTableMagic, 1, 0x50, 0x4C, true},
    {"slot one byte short", dvhost::kTableMagic, 1, 0x4F, 0x4C, false},
    {"header only", dvhost::kTableMagic, 1, 12, 8, true},
    {"size 11", dvhost::kTableMagic, 1, 11, 0, false},
    {"size 0", dvhost::kTableMagic, 1, 0, 0, false},
    {"version 0", dvhost::kTableMagic, 0, 0x58, 0x4C, false},
    {"any non-zero version", dvhost::kTableMagic, 0xFFFFFFFF, 0x58, 0x4C, true},
    {"no magic", 0, 1, 0x58, 0x4C, false},
    {"magic bytes reversed", 0x44564150, 1, 0x58, 0x4C, false},
    {"offset + 4 wraps", dvhost::kTableMagic, 1, 0xFFFFFFFF, 0xFFFFFFFE, false},
};

TEST_F(ProgramApiTest, ReadinessRules) {
  for (const ReadinessCase& c : kReadiness) {
    dvhost::set_table_field(dvhost::kFieldMagic, c.magic);
    dvhost::set_table_field(dvhost::kFieldVersion, c.version);
    dvhost::set_table_field(dvhost::kFieldSize, c.size);
    EXPECT_EQ(dv::dv_program_api_field_ready(c.offset), c.ready) << c.name;
  }
}

TEST_F(ProgramApiTest, EmptySlotIsAbsentEvenInAReadyTable) {
  dvhost::set_table_field(dvhost::kSlotAllocate, 0);
  EXPECT_TRUE(dv::dv_program_api_field_ready(dvhost::kSlotAllocate));
  EXPECT_EQ(dv::program_api_slot(dvhost::kSlotAllocate), 0u);
  EXPECT_EQ(dv::malloc(8), nullptr);
}

TEST_F(ProgramApiTest, MemorySlotsReachTheHost) {
  size_t before = dvhost::host_heap::live_blocks();
  void* block = dv::malloc(30);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(dvhost::host_heap::block_size(block), 30u);
  block = dv::realloc(block, 300);
  EXPECT_EQ(dvhost::host_heap::block_size(block), 300u);
  dv::free(block);
  dv::free(nullptr);
  EXPECT_EQ(dvhost::host_heap::live_blocks(), before);
  EXPECT_TRUE(dvhost::host_heap::errors().empty());
}

TEST_F(ProgramApiTest, FileWrappersReturnTheHostResultOrZero) {
  dv::FileInfo info{0, 0, 0};
  EXPECT_EQ(dv::dv_lua_app_stat_file("missing", &info), 0);
  EXPECT_NE(dv::dv_lua_app_write_file("f", "abc", 3), 0);
  EXPECT_NE(dv::dv_lua_app_stat_file("f", &info), 0);
  EXPECT_EQ(info.size, 3u);
  EXPECT_NE(dv::dv_lua_app_delete_file("f"), 0);
  dvhost::clear_program_api_table();
  EXPECT_EQ(dv::dv_lua_app_write_file("f", "abc", 3), 0);
  EXPECT_EQ(dv::dv_lua_app_delete_file("f"), 0);
  EXPECT_EQ(dv::dv_lua_app_stat_file("f", &info), 0);
  EXPECT_FALSE(dvhost::file_store::exists("f"));
}

} // namespace
