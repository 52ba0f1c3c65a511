// The program API table as the artifact reads it: readiness rules, re-checked on every
// call, and the fallback answer of each caller when the table or a slot is missing.
#include "artifact/artifact_fixture.h"

#include <cstring>

namespace {

using dvhost::kFieldMagic;
using dvhost::kFieldSize;
using dvhost::kFieldVersion;

struct TableDamage {
  const char* name;
  uint32_t offset;
  uint32_t value;
};

// Each damage alone makes the whole table (or the memory slots) unusable.
const TableDamage kDamages[] = {
    {"no magic", kFieldMagic, 0},
    {"wrong magic", kFieldMagic, 0x50415645},
    {"version 0", kFieldVersion, 0},
    {"size 0", kFieldSize, 0},
    {"size 11", kFieldSize, 11},
    {"size ends before the allocate slot", kFieldSize, dvhost::kSlotAllocate + 3},
    {"allocate slot 0", dvhost::kSlotAllocate, 0},
};

class ProgramApiArtifactTest : public dvtest::ArtifactTest {
protected:
  bool ready(uint32_t offset) { return fn<bool(uint32_t)>("dv_program_api_field_ready")(offset); }
  void* malloc(size_t size) { return fn<void*(size_t)>("malloc")(size); }
  void free(void* block) { fn<void(void*)>("free")(block); }
};

TEST_F(ProgramApiArtifactTest, FullTableIsReadyForEverySlot) {
  for (uint32_t offset = 0; offset + 4 <= dvhost::kTableSize; offset += 4)
    EXPECT_TRUE(ready(offset)) << offset;
  EXPECT_FALSE(ready(dvhost::kTableSize));
}

TEST_F(ProgramApiArtifactTest, SizeDecidesWhichSlotsAreReady) {
  dvhost::set_table_field(kFieldSize, 0x50);
  EXPECT_TRUE(ready(0x4C));
  EXPECT_FALSE(ready(0x50));
  dvhost::set_table_field(kFieldSize, 12);
  EXPECT_TRUE(ready(8));
  EXPECT_FALSE(ready(12));
  dvhost::set_table_field(kFieldSize, 8);
  EXPECT_FALSE(ready(0)) << "a table smaller than 12 bytes is absent";
  dvhost::set_table_field(kFieldSize, 0xFFFFFFFF);
  EXPECT_FALSE(ready(0xFFFFFFFF)) << "offset + 4 must not wrap";
  EXPECT_TRUE(ready(0xFFFFFFF0));
}

TEST_F(ProgramApiArtifactTest, DamagedTableMakesMallocReturnNull) {
  for (const TableDamage& damage : kDamages) {
    SCOPED_TRACE(damage.name);
    dvhost::install_program_api_table();
    dvhost::set_table_field(damage.offset, damage.value);
    auto before = dvhost::host_heap::stats().requests;
    EXPECT_EQ(malloc(16), nullptr);
    EXPECT_EQ(dvhost::host_heap::stats().requests, before) << "the host was asked anyway";
  }
}

TEST_F(ProgramApiArtifactTest, ReadinessIsRecheckedOnEveryCall) {
  dvhost::clear_program_api_table();
  EXPECT_EQ(malloc(8), nullptr);
  dvhost::install_program_api_table();
  void* block = malloc(8);
  ASSERT_NE(block, nullptr);
  dvhost::set_table_field(kFieldVersion, 0);
  free(block); // dropped: no release slot
  EXPECT_TRUE(dvhost::host_heap::is_live(block));
  dvhost::set_table_field(kFieldVersion, 7);
  free(block);
  EXPECT_FALSE(dvhost::host_heap::is_live(block));
}

TEST_F(ProgramApiArtifactTest, MissingSlotsGiveTheFallbackAnswers) {
  dvhost::file_store::put("a.txt", "abc");
  auto stat = fn<int(const char*, dvhost::HostFileInfo*)>("dv_lua_app_stat_file");
  auto write = fn<int(const char*, const void*, uint32_t)>("dv_lua_app_write_file");
  auto remove = fn<int(const char*)>("dv_lua_app_delete_file");
  auto realloc = fn<void*(void*, size_t)>("realloc");
  for (uint32_t slot : {dvhost::kSlotStatFile, dvhost::kSlotWriteFile, dvhost::kSlotDeleteFile,
                        dvhost::kSlotRelease, dvhost::kSlotReallocate})
    dvhost::set_table_field(slot, 0);
  dvhost::HostFileInfo info{};
  EXPECT_EQ(stat("a.txt", &info), 0);
  EXPECT_EQ(write("b.txt", "x", 1), 0);
  EXPECT_EQ(remove("a.txt"), 0);
  EXPECT_EQ(realloc(nullptr, 8), nullptr);
  free(nullptr);
  EXPECT_TRUE(dvhost::file_store::exists("a.txt"));
  EXPECT_FALSE(dvhost::file_store::exists("b.txt"));
  EXPECT_EQ(dvhost::file_store::counters().stats, 0u);
}

TEST_F(ProgramApiArtifactTest, FileSlotsPassThroughTheHostResult) {
  auto stat = fn<int(const char*, dvhost::HostFileInfo*)>("dv_lua_app_stat_file");
  auto write = fn<int(const char*, const void*, uint32_t)>("dv_lua_app_write_file");
  auto remove = fn<int(const char*)>("dv_lua_app_delete_file");
  EXPECT_NE(write("notes.txt", "hello", 5), 0);
  dvhost::HostFileInfo info{};
  ASSERT_NE(stat("notes.txt", &info), 0);
  ASSERT_EQ(info.size, 5u);
  EXPECT_EQ(std::memcmp(reinterpret_cast<const void*>(uintptr_t(info.address)), "hello", 5), 0);
  EXPECT_NE(remove("notes.txt"), 0);
  EXPECT_EQ(stat("notes.txt", &info), 0);
  EXPECT_EQ(remove("notes.txt"), 0);
}

} // namespace
