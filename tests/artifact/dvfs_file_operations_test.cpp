// Whole-file operations straight on the host's store: remove, rename, read and write.
#include "artifact/dvfs_fixture.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

class DvfsFileOperationsTest : public dvtest::DvfsTest {
protected:
  void free_block(void* block) { fn<void(void*)>("free")(block); }
};

TEST_F(DvfsFileOperationsTest, Remove) {
  dvhost::file_store::put("f", "x");
  EXPECT_EQ(remove("f"), 0);
  EXPECT_EQ(host_file("f"), "<absent>");
  EXPECT_EQ(remove("f"), -1);
  EXPECT_EQ(error_number(), 5);
  error_number() = 0;
  EXPECT_EQ(remove(nullptr), -1);
  EXPECT_EQ(error_number(), 22);
  dvhost::file_store::put("g", "x");
  dvhost::file_store::set_delete_fails(true);
  EXPECT_EQ(remove("g"), -1);
  EXPECT_EQ(error_number(), 5);
  EXPECT_EQ(host_file("g"), "x");
}

TEST_F(DvfsFileOperationsTest, RenameMovesTheBytes) {
  dvhost::file_store::put("old", std::string("by\0tes", 6));
  EXPECT_EQ(rename("old", "new"), 0);
  EXPECT_EQ(host_file("old"), "<absent>");
  EXPECT_EQ(host_file("new"), std::string("by\0tes", 6));
  dvhost::file_store::put("empty", "");
  EXPECT_EQ(rename("empty", "still empty"), 0);
  EXPECT_EQ(host_file("still empty"), "");
}

TEST_F(DvfsFileOperationsTest, RenameFailures) {
  EXPECT_EQ(rename(nullptr, "b"), -1);
  EXPECT_EQ(error_number(), 22);
  error_number() = 0;
  EXPECT_EQ(rename("a", nullptr), -1);
  EXPECT_EQ(error_number(), 22);
  EXPECT_EQ(rename("missing", "b"), -1);
  EXPECT_EQ(error_number(), 2);

  dvhost::file_store::put("a", "data");
  dvhost::file_store::set_delete_fails(true);
  EXPECT_EQ(rename("a", "b"), -1);
  EXPECT_EQ(error_number(), 5);
  EXPECT_EQ(host_file("b"), "data");
  dvhost::file_store::set_delete_fails(false);

  // When the copy cannot be written the original must survive.
  dvhost::file_store::set_write_fails(true);
  error_number() = 0;
  EXPECT_EQ(rename("a", "c"), -1);
  EXPECT_EQ(error_number(), 5);
  EXPECT_EQ(host_file("a"), "data");
  EXPECT_EQ(dvhost::file_store::counters().deletes, 1u); // only the earlier attempt
}

TEST_F(DvfsFileOperationsTest, RenameToItselfKeepsTheFile) {
  dvhost::file_store::put("same", "data");
  EXPECT_EQ(rename("same", "same"), 0);
  EXPECT_EQ(host_file("same"), "data");
  EXPECT_EQ(host_writes(), 0u);
  EXPECT_EQ(dvhost::file_store::counters().deletes, 0u);
}

TEST_F(DvfsFileOperationsTest, ReadEntireFileCopiesIntoANewBlock) {
  dvhost::file_store::put("f", "abc");
  void* block = nullptr;
  size_t size = 99;
  ASSERT_TRUE(read_entire_file("f", &block, &size));
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(std::string(static_cast<char*>(block), size), "abc");
  EXPECT_EQ(dvhost::host_heap::block_size(block), 3u);
  free_block(block);

  dvhost::file_store::put("empty", "");
  ASSERT_TRUE(read_entire_file("empty", &block, &size));
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(dvhost::host_heap::block_size(block), 1u);
  free_block(block);
}

TEST_F(DvfsFileOperationsTest, ReadEntireFileFailures) {
  dvhost::file_store::put("f", "abc");
  void* block = reinterpret_cast<void*>(0x1);
  size_t size = 7;
  EXPECT_FALSE(read_entire_file(nullptr, &block, &size));
  EXPECT_FALSE(read_entire_file("f", nullptr, &size));
  EXPECT_FALSE(read_entire_file("f", &block, nullptr));
  EXPECT_FALSE(read_entire_file("missing", &block, &size));
  dvhost::host_heap::fail_request(1);
  EXPECT_FALSE(read_entire_file("f", &block, &size));
  EXPECT_EQ(block, reinterpret_cast<void*>(0x1)); // outputs untouched on failure
  EXPECT_EQ(size, 7u);
}

TEST_F(DvfsFileOperationsTest, WriteEntireFile) {
  EXPECT_TRUE(write_entire_file("f", "xyz", 3));
  EXPECT_EQ(host_file("f"), "xyz");
  EXPECT_TRUE(write_entire_file("empty", nullptr, 0));
  EXPECT_EQ(host_file("empty"), "");
  EXPECT_FALSE(write_entire_file(nullptr, "xyz", 3));
  EXPECT_FALSE(write_entire_file("g", nullptr, 1));
  EXPECT_FALSE(write_entire_file("g", "xyz", (size_t(1) << 32) + 3)); // would be cut short
  dvhost::file_store::set_write_fails(true);
  EXPECT_FALSE(write_entire_file("g", "xyz", 3));
  EXPECT_EQ(host_file("g"), "<absent>");
}

TEST_F(DvfsFileOperationsTest, StreamsOverARealDirectory) {
  std::string root = testing::TempDir() + "dvfs_directory_store";
  std::filesystem::create_directories(root);
  dvhost::file_store::use_directory(root);
  EXPECT_TRUE(write_entire_file("note.txt", "on disk", 7));
  dvtest::Stream* s = fopen("note.txt", "a");
  ASSERT_NE(s, nullptr);
  write(s, "!");
  EXPECT_EQ(fclose(s), 0);
  std::ifstream in(root + "/note.txt", std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(text, "on disk!");
  EXPECT_EQ(remove("note.txt"), 0);
  EXPECT_FALSE(std::filesystem::exists(root + "/note.txt"));
  std::filesystem::remove_all(root);
}

} // namespace
