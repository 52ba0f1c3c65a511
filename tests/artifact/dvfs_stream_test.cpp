// dvfs streams over the stand-in's file store and console: open modes, reading in place
// and by copy, flushing, seeking, pushback, item counting and the console streams.
#include "artifact/dvfs_fixture.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using dvtest::Stream;

class DvfsStreamTest : public dvtest::DvfsTest {};

struct ModeCase {
  const char* mode;
  bool readable;
  bool writable;
  bool append;
  bool keeps_content; // an existing file's bytes are in the stream
  bool opens_missing; // a missing file opens as an empty stream
};

const ModeCase kModes[] = {
    {"r", true, false, false, true, false}, {"rb", true, false, false, true, false},
    {"r+", true, true, false, true, true},  {"rb+", true, true, false, true, true},
    {"w", false, true, false, false, true}, {"wb", false, true, false, false, true},
    {"w+", true, true, false, false, true}, {"a", true, true, true, true, true},
    {"a+", true, true, true, true, true},
};

TEST_F(DvfsStreamTest, EveryModeOnAnExistingFile) {
  for (const ModeCase& c : kModes) {
    SCOPED_TRACE(c.mode);
    dvhost::file_store::put("f", "abc");
    uint64_t writes_before = host_writes();
    Stream* s = fopen("f", c.mode);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->kind, 0u);
    EXPECT_EQ(s->readable, c.readable);
    EXPECT_EQ(s->writable, c.writable);
    EXPECT_EQ(s->append, c.append);
    EXPECT_EQ(s->size, c.keeps_content ? 3u : 0u);
    EXPECT_EQ(ftell(s), c.append ? 3 : 0);
    ASSERT_EQ(fseek(s, 0, 0), 0);
    EXPECT_EQ(read_rest(s), c.readable && c.keeps_content ? "abc" : "");
    ASSERT_EQ(fseek(s, 0, 0), 0);
    EXPECT_EQ(write(s, "Z"), c.writable ? 1u : 0u);
    EXPECT_EQ(fclose(s), 0);
    std::string expected = !c.writable ? "abc" : !c.keeps_content ? "Z" : c.append ? "abcZ" : "Zbc";
    EXPECT_EQ(host_file("f"), expected);
    EXPECT_EQ(host_writes() - writes_before, c.writable ? 1u : 0u);
  }
}

TEST_F(DvfsStreamTest, EveryModeOnAMissingFile) {
  for (const ModeCase& c : kModes) {
    SCOPED_TRACE(c.mode);
    error_number() = 0;
    Stream* s = fopen("missing", c.mode);
    if (!c.opens_missing) {
      EXPECT_EQ(s, nullptr);
      EXPECT_EQ(error_number(), 2);
      continue;
    }
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->size, 0u);
    EXPECT_EQ(ftell(s), 0);
    EXPECT_EQ(getc(s), -1);
    EXPECT_EQ(fclose(s), 0);
    EXPECT_EQ(host_file("missing"), "<absent>"); // nothing written, nothing created
  }
}

TEST_F(DvfsStreamTest, EmptyHostFileOpensEmpty) {
  dvhost::file_store::put("empty", "");
  Stream* s = fopen("empty", "r");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(getc(s), -1);
  EXPECT_EQ(feof(s), 1);
  EXPECT_EQ(fclose(s), 0);
}

TEST_F(DvfsStreamTest, ReadOnlyStreamReadsTheHostBytesInPlace) {
  dvhost::file_store::put("f", "hello");
  Stream* s = fopen("f", "r");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(leaked_blocks(), 1); // the record, no buffer
  EXPECT_EQ(s->buffer, nullptr);
  EXPECT_FALSE(dvhost::host_heap::is_live(s->data));
  EXPECT_EQ(read_rest(s), "hello");
  EXPECT_EQ(fclose(s), 0);
}

TEST_F(DvfsStreamTest, WritableStreamWorksOnItsOwnCopy) {
  dvhost::file_store::put("f", "hello");
  Stream* s = fopen("f", "r+");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(leaked_blocks(), 2); // the record and its buffer
  EXPECT_EQ(s->data, s->buffer);
  EXPECT_EQ(dvhost::host_heap::block_size(s->buffer), 256u);
  EXPECT_EQ(write(s, "J"), 1u);
  EXPECT_EQ(host_file("f"), "hello");
  EXPECT_EQ(fflush(s), 0);
  EXPECT_EQ(host_file("f"), "Jello");
  EXPECT_EQ(fclose(s), 0);
}

TEST_F(DvfsStreamTest, BufferGrowsByDoubling) {
  Stream* s = fopen("f", "w");
  ASSERT_NE(s, nullptr);
  std::vector<size_t> capacities;
  for (size_t written : {1u, 256u, 257u, 1000u, 1025u}) {
    std::string text(written - s->size, 'x');
    ASSERT_EQ(write(s, text), text.size());
    capacities.push_back(s->capacity);
    EXPECT_EQ(dvhost::host_heap::block_size(s->buffer), s->capacity);
  }
  EXPECT_EQ(capacities, (std::vector<size_t>{256, 256, 512, 1024, 2048}));
  EXPECT_EQ(fclose(s), 0);
  EXPECT_EQ(host_file("f"), std::string(1025, 'x'));
}

TEST_F(DvfsStreamTest, WriteModeLeavesTheHostAloneUntilADirtyFlush) {
  dvhost::file_store::put("f", "old");
  Stream* s = fopen("f", "w");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(fflush(s), 0);
  EXPECT_EQ(fclose(s), 0);
  EXPECT_EQ(host_file("f"), "old");
  EXPECT_EQ(host_writes(), 0u);

  s = fopen("f", "w");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(write(s, "new"), 3u);
  EXPECT_EQ(host_file("f"), "old");
  EXPECT_EQ(fflush(s), 0);
  EXPECT_EQ(host_file("f"), "new");
  EXPECT_EQ(host_writes(), 1u);
  EXPECT_EQ(fflush(s), 0); // clean again: no second write
  EXPECT_EQ(fclose(s), 0);
  EXPECT_EQ(host_writes(), 1u);
}

TEST_F(DvfsStreamTest, CloseWritesADirtyStreamOnce) {
  Stream* s = fopen("f", "w");
  ASSERT_NE(s, nullptr);
  write(s, "one ");
  write(s, "two");
  EXPECT_EQ(host_writes(), 0u);
  EXPECT_EQ(fclose(s), 0);
  EXPECT_EQ(host_writes(), 1u);
  EXPECT_EQ(host_file("f"), "one two");
}

TEST_F(DvfsStreamTest, SeekRulesAndTheEndOfFileIndicator) {
  dvhost::file_store::put("f", "0123456789");
  Stream* s = fopen("f", "r");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(fseek(s, 10, 0), 0);
  EXPECT_EQ(feof(s), 1); // exactly at the end: set at once
  EXPECT_EQ(fseek(s, -3, 2), 0);
  EXPECT_EQ(feof(s), 0);
  EXPECT_EQ(getc(s), '7');
  EXPECT_EQ(fseek(s, 1, 1), 0);
  EXPECT_EQ(ftell(s), 9);
  EXPECT_EQ(getc(s), '9');
  EXPECT_EQ(getc(s), -1);
  EXPECT_EQ(feof(s), 1);
  EXPECT_EQ(fseek(s, 25, 0), 0); // past the end is allowed
  EXPECT_EQ(ftell(s), 25);
  EXPECT_EQ(getc(s), -1);
  EXPECT_EQ(ferror(s), 0);
  EXPECT_EQ(fclose(s), 0);
}

struct BadSeek {
  int64_t offset;
  int whence;
};

TEST_F(DvfsStreamTest, BadSeeksFailWithInvalidArgument) {
  dvhost::file_store::put("f", "0123456789");
  Stream* s = fopen("f", "r");
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(fseek(s, 4, 0), 0);
  const BadSeek cases[] = {{-1, 0},        {-5, 1},        {-11, 2},       {0, 3},        {0, -1},
                           {INT64_MIN, 0}, {INT64_MIN, 2}, {INT64_MAX, 1}, {INT64_MAX, 2}};
  for (const BadSeek& c : cases) {
    SCOPED_TRACE(testing::Message() << c.offset << " from " << c.whence);
    error_number() = 0;
    EXPECT_EQ(fseek(s, c.offset, c.whence), -1);
    EXPECT_EQ(error_number(), 22);
    EXPECT_EQ(ferror(s), 1);
    EXPECT_EQ(ftell(s), 4); // position unchanged
    clearerr(s);
  }
  EXPECT_EQ(fseek(s, INT64_MAX, 0), 0); // the largest target is fine
  EXPECT_EQ(fclose(s), 0);
}

TEST_F(DvfsStreamTest, WritingPastTheEndFillsTheGapWithZeros) {
  Stream* s = fopen("f", "w");
  ASSERT_NE(s, nullptr);
  write(s, "ab");
  ASSERT_EQ(fseek(s, 5, 0), 0);
  EXPECT_EQ(write(s, "c"), 1u);
  EXPECT_EQ(ftell(s), 6);
  EXPECT_EQ(fclose(s), 0);
  EXPECT_EQ(host_file("f"), std::string("ab\0\0\0c", 6));
}

TEST_F(DvfsStreamTest, OverwriteInsideKeepsTheSize) {
  dvhost::file_store::put("f", "abcdef");
  Stream* s = fopen("f", "r+");
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(fseek(s, 2, 0), 0);
  write(s, "XY");
  EXPECT_EQ(read_rest(s), "ef");
  EXPECT_EQ(fclose(s), 0);
  EXPECT_EQ(host_file("f"), "abXYef");
}

TEST_F(DvfsStreamTest, AppendWritesAtTheEndEvenAfterASeekToZero) {
  dvhost::file_store::put("f", "xyz");
  Stream* s = fopen("f", "a+");
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(fseek(s, 0, 0), 0);
  EXPECT_EQ(getc(s), 'x'); // reading honours the seek
  EXPECT_EQ(write(s, "!"), 1u);
  EXPECT_EQ(ftell(s), 4);
  EXPECT_EQ(fclose(s), 0);
  EXPECT_EQ(host_file("f"), "xyz!");
}

TEST_F(DvfsStreamTest, UngetcPushesBackOneByte) {
  dvhost::file_store::put("f", "ab");
  Stream* s = fopen("f", "r");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(ungetc(-1, s), -1);
  EXPECT_EQ(ungetc(0x141, s), 0x41); // only the low byte
  EXPECT_EQ(ftell(s), 0);
  EXPECT_EQ(getc(s), 0x41);
  EXPECT_EQ(ungetc('1', s), '1');
  EXPECT_EQ(ungetc('2', s), '2'); // one byte: the second replaces the first
  EXPECT_EQ(getc(s), '2');
  EXPECT_EQ(read_rest(s), "ab");
  EXPECT_EQ(feof(s), 1);
  EXPECT_EQ(ungetc('z', s), 'z');
  EXPECT_EQ(feof(s), 0);
  EXPECT_EQ(getc(s), 'z');
  EXPECT_EQ(getc(s), -1);
  ungetc('q', s);
  ASSERT_EQ(fseek(s, 0, 0), 0); // a seek drops the pushback
  EXPECT_EQ(getc(s), 'a');
  ungetc('q', s);
  clearerr(s); // and so does clearerr
  EXPECT_EQ(getc(s), 'b');
  EXPECT_EQ(fclose(s), 0);
}

TEST_F(DvfsStreamTest, FreadCountsCompleteItems) {
  dvhost::file_store::put("f", "0123456789");
  Stream* s = fopen("f", "r");
  ASSERT_NE(s, nullptr);
  char buffer[20];
  std::memset(buffer, '.', sizeof buffer);
  EXPECT_EQ(fread(buffer, 4, 5, s), 2u);
  EXPECT_EQ(std::string(buffer, 11), "0123456789."); // the partial item's bytes stay
  EXPECT_EQ(feof(s), 1);
  EXPECT_EQ(fread(buffer, 4, 5, s), 0u);
  EXPECT_EQ(fclose(s), 0);

  s = fopen("g", "w"); // not readable
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(fread(buffer, 1, 1, s), 0u);
  EXPECT_EQ(fread(buffer, 0, 1, s), 0u);
  EXPECT_EQ(fclose(s), 0);
}

TEST_F(DvfsStreamTest, FwriteReturnsTheItemCount) {
  Stream* s = fopen("f", "w");
  ASSERT_NE(s, nullptr);
  const uint32_t words[3] = {0x64636261, 0x68676665, 0x6c6b6a69};
  EXPECT_EQ(fwrite(words, 4, 3, s), 3u);
  EXPECT_EQ(fwrite(words, 0, 3, s), 0u);
  EXPECT_EQ(fwrite(words, 4, 0, s), 0u);
  EXPECT_EQ(fclose(s), 0);
  EXPECT_EQ(host_file("f"), "abcdefghijkl");
}

TEST_F(DvfsStreamTest, StandardInputReadsConsoleLinesWithTheirNewline) {
  dvhost::console::queue_input("hello");
  dvhost::console::queue_input("");
  dvhost::console::queue_input(std::string(600, 'L')); // the host cuts it to fit
  Stream* s = fopen("__dvfs_stdin", "w");              // the mode is not examined
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->kind, 1u);
  EXPECT_EQ(write(s, "x"), 0u);
  fn<void(const char*, size_t)>("dv_lua_write")("in> ", 4);
  EXPECT_EQ(read_rest(s), "hello\n\n" + std::string(509, 'L') + "\n");
  EXPECT_EQ(feof(s), 1);
  EXPECT_EQ(dvhost::console::lines(), (std::vector<std::string>{"in> "}));
  const auto& reads = dvhost::console::reads();
  ASSERT_EQ(reads.size(), 4u); // three lines and the failed fourth
  for (const auto& call : reads) {
    EXPECT_EQ(call.capacity, 510u);
    EXPECT_EQ(call.prompt, "");
    EXPECT_FALSE(call.prompt_was_null);
    EXPECT_EQ(call.flag, 0);
  }
  EXPECT_EQ(fseek(s, 0, 0), -1);
  EXPECT_EQ(fclose(s), 0);
  EXPECT_EQ(dvhost::file_store::counters().stats, 0u); // the host's files are not asked
}

TEST_F(DvfsStreamTest, StandardOutputAndErrorReachTheConsole) {
  for (const char* name : {"__dvfs_stdout", "__dvfs_stderr"}) {
    SCOPED_TRACE(name);
    dvhost::console::clear_lines();
    Stream* s = fopen(name, "r");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(getc(s), -1);
    EXPECT_EQ(write(s, "hi\nthere"), 8u);
    EXPECT_EQ(ftell(s), 8);
    EXPECT_EQ(dvhost::console::lines(), (std::vector<std::string>{"hi"}));
    error_number() = 0;
    EXPECT_EQ(fseek(s, 0, 0), -1);
    EXPECT_EQ(error_number(), 22);
    EXPECT_EQ(ferror(s), 1);
    EXPECT_EQ(fclose(s), 0);
    fn<void()>("dv_lua_writeline")();
    EXPECT_EQ(dvhost::console::lines(), (std::vector<std::string>{"hi", "there"}));
  }
  EXPECT_EQ(host_writes(), 0u);
}

TEST_F(DvfsStreamTest, PseudoNamesMatchExactly) {
  Stream* s = fopen("__dvfs_stdout2", "w");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->kind, 0u);
  EXPECT_EQ(fclose(s), 0);
}

TEST_F(DvfsStreamTest, LongNamesAreCutTo240Bytes) {
  std::string long_name(300, 'n');
  std::string cut(240, 'n');
  Stream* s = fopen(long_name.c_str(), "w");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(std::string(s->name), cut);
  write(s, "x");
  EXPECT_EQ(fclose(s), 0);
  EXPECT_EQ(host_file(cut), "x");
  EXPECT_EQ(host_file(long_name), "<absent>");

  // Reading uses the same stored name, so a stream never reads one file and saves another.
  s = fopen(long_name.c_str(), "r");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(read_rest(s), "x");
  EXPECT_EQ(fclose(s), 0);
}

TEST_F(DvfsStreamTest, FreopenClosesTheOldStream) {
  Stream* s = fopen("f", "w");
  ASSERT_NE(s, nullptr);
  write(s, "first");
  s = freopen("f", "r", s);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(read_rest(s), "first");
  EXPECT_EQ(fclose(s), 0);
  s = freopen("f", "r", nullptr);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(fclose(s), 0);
}

TEST_F(DvfsStreamTest, ImageEntryPointsDoNoWork) {
  char image[16] = {};
  EXPECT_EQ(fn<int(const void*, size_t)>("dvfs_mount_image")(image, sizeof image), 0);
  EXPECT_TRUE(fn<bool()>("dvfs_is_mounted")());
  EXPECT_EQ(fn<int(const char*, const void*, size_t)>("dvfs_register_virtual_file")("v", image, 1),
            0);
  EXPECT_EQ(fn<const void*()>("dvfs_image_data")(), nullptr);
  EXPECT_EQ(fn<size_t()>("dvfs_image_size")(), 0u);
  EXPECT_EQ(fn<int(const char*)>("dvfs_export_image")("out.img"), 0);
  fn<void()>("dvfs_clear_virtual_files")();
  fn<void()>("dvfs_unmount")();
  EXPECT_EQ(host_file("v"), "<absent>");
  EXPECT_EQ(host_file("out.img"), "<absent>");
  EXPECT_EQ(host_writes(), 0u);
}

} // namespace
