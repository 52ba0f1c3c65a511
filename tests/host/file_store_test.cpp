// The stand-in's file store behind the stat/write/delete slots, in memory and backed by
// a real directory.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "host/file_store.h"

namespace {

using namespace dvhost;

std::string stat_bytes(const char* path) {
  HostFileInfo info{0, 0, 0};
  if (!file_store_stat_slot(path, &info))
    return "<absent>";
  EXPECT_NE(info.address, 0u);
  return std::string(reinterpret_cast<const char*>(uintptr_t(info.address)), info.size);
}

class FileStoreTest : public ::testing::Test {
protected:
  void TearDown() override { file_store::use_memory(); }
};

TEST_F(FileStoreTest, MemoryStoreWriteStatDelete) {
  file_store::use_memory();
  EXPECT_EQ(stat_bytes("a.lua"), "<absent>");
  EXPECT_EQ(file_store_write_slot("a.lua", "print(1)", 8), 1);
  EXPECT_EQ(stat_bytes("a.lua"), "print(1)");
  EXPECT_EQ(file_store_write_slot("empty", nullptr, 0), 1);
  EXPECT_EQ(stat_bytes("empty"), "");
  EXPECT_EQ(file_store_delete_slot("a.lua"), 1);
  EXPECT_EQ(file_store_delete_slot("a.lua"), 0);
  EXPECT_EQ(stat_bytes("a.lua"), "<absent>");
  auto counters = file_store::counters();
  EXPECT_EQ(counters.writes, 2u);
  EXPECT_EQ(counters.deletes, 2u);
  EXPECT_EQ(counters.stats, 4u);
}

TEST_F(FileStoreTest, StatBytesStayValidAfterOverwrite) {
  file_store::put("f", "old");
  HostFileInfo info{};
  ASSERT_EQ(file_store_stat_slot("f", &info), 1);
  file_store::put("f", "new!");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(uintptr_t(info.address)), info.size), "old");
  EXPECT_EQ(stat_bytes("f"), "new!");
}

TEST_F(FileStoreTest, BadArgumentsAndInjectedFailures) {
  HostFileInfo info{};
  EXPECT_EQ(file_store_stat_slot(nullptr, &info), 0);
  EXPECT_EQ(file_store_stat_slot("x", nullptr), 0);
  EXPECT_EQ(file_store_write_slot(nullptr, "x", 1), 0);
  EXPECT_EQ(file_store_write_slot("x", nullptr, 1), 0);
  EXPECT_EQ(file_store_delete_slot(nullptr), 0);
  file_store::put("x", "1");
  file_store::set_write_fails(true);
  file_store::set_delete_fails(true);
  EXPECT_EQ(file_store_write_slot("x", "2", 1), 0);
  EXPECT_EQ(file_store_delete_slot("x"), 0);
  EXPECT_EQ(stat_bytes("x"), "1");
}

TEST_F(FileStoreTest, DirectoryBackedStore) {
  char pattern[] = "/tmp/dvhost-files-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  std::filesystem::path root = pattern;
  std::ofstream(root / "font.ttf") << "bytes";
  file_store::use_directory(root);
  EXPECT_EQ(stat_bytes("font.ttf"), "bytes");
  EXPECT_EQ(stat_bytes("/font.ttf"), "bytes") << "paths are taken relative to the root";
  EXPECT_EQ(file_store_write_slot("out.txt", "hi", 2), 1);
  EXPECT_TRUE(std::filesystem::exists(root / "out.txt"));
  EXPECT_EQ(file_store_write_slot("../escape.txt", "x", 1), 0);
  EXPECT_EQ(stat_bytes("../font.ttf"), "<absent>");
  EXPECT_EQ(file_store_delete_slot("out.txt"), 1);
  EXPECT_FALSE(std::filesystem::exists(root / "out.txt"));
  std::filesystem::remove_all(root);
}

} // namespace
