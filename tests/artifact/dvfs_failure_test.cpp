// dvfs under failure and hostile calls: allocation failure at every allocation point,
// a failing host write slot, null arguments, and sizes whose products overflow.
#include "artifact/dvfs_fixture.h"

#include <cstring>
#include <string>

namespace {

using dvtest::Stream;

class DvfsFailureTest : public dvtest::DvfsTest {
protected:
  static uint64_t heap_requests() { return dvhost::host_heap::stats().requests; }
};

struct OpenCase {
  const char* name;
  const char* mode;
  bool existing;
  uint64_t allocations; // record, then the copy of an existing file's bytes
};

TEST_F(DvfsFailureTest, FopenFailsCleanlyAtEveryAllocation) {
  const OpenCase cases[] = {
      {"f", "r", true, 1},
      {"f", "w", true, 1},
      {"f", "w", false, 1},
      {"f", "r+", true, 2},
      {"f", "a", true, 2},
      {"f", "a", false, 1},
      {"__dvfs_stdin", "r", false, 1},
      {"__dvfs_stdout", "w", false, 1},
  };
  for (const OpenCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.name << " " << c.mode << (c.existing ? " existing" : ""));
    dvhost::file_store::clear();
    if (c.existing)
      dvhost::file_store::put(c.name, "content");
    uint64_t before = heap_requests();
    Stream* s = fopen(c.name, c.mode);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(heap_requests() - before, c.allocations);
    EXPECT_EQ(fclose(s), 0);
    for (uint64_t n = 1; n <= c.allocations; ++n) {
      SCOPED_TRACE(testing::Message() << "allocation " << n << " fails");
      error_number() = 0;
      dvhost::host_heap::fail_request(n);
      Stream* failed = nullptr;
      EXPECT_FALSE(halts([&] { failed = fopen(c.name, c.mode); }));
      EXPECT_EQ(failed, nullptr);
      EXPECT_EQ(error_number(), 12);
      EXPECT_EQ(leaked_blocks(), 0);
      dvhost::host_heap::clear_fault_injection();
    }
  }
  EXPECT_EQ(host_writes(), 0u);
}

TEST_F(DvfsFailureTest, GrowingWriteFailsCleanly) {
  Stream* s = fopen("f", "w");
  ASSERT_NE(s, nullptr);
  for (size_t grow_to : {size_t(10), size_t(300), size_t(600)}) {
    SCOPED_TRACE(grow_to);
    std::string before = std::string(reinterpret_cast<const char*>(s->data), s->size);
    std::string text(grow_to - s->size, 'g');
    error_number() = 0;
    dvhost::host_heap::fail_request(1);
    size_t written = 1;
    EXPECT_FALSE(halts([&] { written = write(s, text); }));
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(error_number(), 12);
    EXPECT_EQ(ferror(s), 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(s->data), s->size), before);
    clearerr(s);
    EXPECT_EQ(write(s, text), text.size()); // the stream still works
  }
  EXPECT_EQ(fclose(s), 0);
  EXPECT_EQ(host_file("f"), std::string(600, 'g'));
}

TEST_F(DvfsFailureTest, FailingHostWriteReportsAnIoError) {
  dvhost::file_store::put("f", "kept");
  dvhost::file_store::set_write_fails(true);
  Stream* s = fopen("f", "a");
  ASSERT_NE(s, nullptr);
  write(s, "+more");
  EXPECT_EQ(fflush(s), -1);
  EXPECT_EQ(error_number(), 5);
  EXPECT_EQ(ferror(s), 1);
  error_number() = 0;
  EXPECT_EQ(fclose(s), -1); // still dirty: the close tries once more and fails
  EXPECT_EQ(error_number(), 5);
  EXPECT_EQ(host_file("f"), "kept");
  EXPECT_EQ(host_writes(), 2u);
}

TEST_F(DvfsFailureTest, MissingWriteSlotReportsAnIoError) {
  dvhost::set_table_field(dvhost::kSlotWriteFile, 0);
  Stream* s = fopen("f", "w");
  ASSERT_NE(s, nullptr);
  write(s, "x");
  EXPECT_EQ(fclose(s), -1);
  EXPECT_EQ(error_number(), 5);
}

TEST_F(DvfsFailureTest, NullStreamsNamesAndModes) {
  char buffer[8] = {};
  EXPECT_EQ(fopen(nullptr, "r"), nullptr);
  EXPECT_EQ(error_number(), 22);
  error_number() = 0;
  EXPECT_EQ(fopen("f", nullptr), nullptr);
  EXPECT_EQ(error_number(), 22);
  error_number() = 0;
  EXPECT_EQ(fopen("__dvfs_stdout", nullptr), nullptr);
  EXPECT_EQ(error_number(), 22);
  EXPECT_EQ(freopen(nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(fclose(nullptr), 0);
  EXPECT_EQ(fflush(nullptr), 0);
  EXPECT_EQ(fread(buffer, 1, 1, nullptr), 0u);
  EXPECT_EQ(getc(nullptr), -1);
  EXPECT_EQ(ungetc('a', nullptr), -1);
  EXPECT_EQ(fwrite(buffer, 1, 1, nullptr), 0u);
  error_number() = 0;
  EXPECT_EQ(fseek(nullptr, 0, 0), -1);
  EXPECT_EQ(error_number(), 22);
  error_number() = 0;
  EXPECT_EQ(ftell(nullptr), -1);
  EXPECT_EQ(error_number(), 22);
  EXPECT_EQ(feof(nullptr), 0);
  EXPECT_EQ(ferror(nullptr), 0);
  clearerr(nullptr);

  Stream* s = fopen("f", "w+");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(fwrite(nullptr, 1, 1, s), 0u);
  EXPECT_EQ(fread(nullptr, 1, 1, s), 0u);
  EXPECT_EQ(ferror(s), 0);
  EXPECT_EQ(fclose(s), 0);
  EXPECT_EQ(host_file("f"), "<absent>");
}

TEST_F(DvfsFailureTest, ItemProductsBeyond64BitsAreRefused) {
  dvhost::file_store::put("f", "abc");
  Stream* s = fopen("f", "r+");
  ASSERT_NE(s, nullptr);
  char buffer[4] = {'.', '.', '.', '.'};
  const size_t half = (SIZE_MAX >> 1) + 1; // half * 2 wraps to 0
  EXPECT_EQ(fwrite(buffer, half, 2, s), 0u);
  EXPECT_EQ(error_number(), 22);
  EXPECT_EQ(ferror(s), 1);
  EXPECT_EQ(s->size, 3u);
  clearerr(s);
  error_number() = 0;
  EXPECT_EQ(fread(buffer, 3, SIZE_MAX / 2, s), 0u);
  EXPECT_EQ(error_number(), 22);
  EXPECT_EQ(ferror(s), 1);
  EXPECT_EQ(std::string(buffer, 4), "...."); // nothing stored
  EXPECT_EQ(getc(s), 'a');                   // and nothing consumed
  EXPECT_EQ(fclose(s), 0);
  EXPECT_EQ(host_file("f"), "abc");

  Stream* out = fopen("__dvfs_stdout", "w");
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(fwrite(buffer, SIZE_MAX, 2, out), 0u);
  EXPECT_EQ(ftell(out), 0);
  EXPECT_EQ(fclose(out), 0);
  fn<void()>("dv_lua_flush_output")();
  EXPECT_TRUE(dvhost::console::lines().empty());
}

TEST_F(DvfsFailureTest, HugeWritesFailAsOutOfMemory) {
  Stream* s = fopen("f", "w");
  ASSERT_NE(s, nullptr);
  char byte = 'x';
  // A representable size the host cannot allocate: refused before the data is read.
  EXPECT_FALSE(halts([&] { EXPECT_EQ(fwrite(&byte, 1, size_t(1) << 40, s), 0u); }));
  EXPECT_EQ(error_number(), 12);
  clearerr(s);
  // The farthest seek, then a write: the end would pass 2^63.
  ASSERT_EQ(fseek(s, INT64_MAX, 0), 0);
  error_number() = 0;
  EXPECT_FALSE(halts([&] { EXPECT_EQ(fwrite(&byte, 1, 1, s), 0u); }));
  EXPECT_EQ(error_number(), 12);
  EXPECT_EQ(ferror(s), 1);
  error_number() = 0;
  EXPECT_EQ(fwrite(&byte, 2, SIZE_MAX / 2, s), 0u); // position + total wraps
  EXPECT_EQ(error_number(), 12);
  EXPECT_EQ(s->size, 0u);
  EXPECT_EQ(fclose(s), 0);
  EXPECT_EQ(host_file("f"), "<absent>");
}

} // namespace
