// The Lua console's line buffer, banner, help, error hook and line input, observed at
// the stand-in's console.
#include "artifact/artifact_fixture.h"

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

class LuaConsoleTest : public dvtest::ArtifactTest {
protected:
  void SetUp() override {
    ArtifactTest::SetUp();
    write_ = fn<void(const char*, size_t)>("dv_lua_write");
    writeline_ = fn<void()>("dv_lua_writeline");
    flush_ = fn<void()>("dv_lua_flush_output");
    errorf_ = fn<void(const char*, const char*)>("dv_lua_write_errorf");
    readline_ = fn<bool(char*, size_t, const char*, int)>("dv_lua_readline");
    // The line buffer is a library global: start every test with it empty.
    flush_();
    dvhost::console::clear_lines();
  }

  void write(const std::string& text) { write_(text.data(), text.size()); }
  const Lines& lines() { return dvhost::console::lines(); }

  void (*write_)(const char*, size_t) = nullptr;
  void (*writeline_)() = nullptr;
  void (*flush_)() = nullptr;
  void (*errorf_)(const char*, const char*) = nullptr;
  bool (*readline_)(char*, size_t, const char*, int) = nullptr;
};

TEST_F(LuaConsoleTest, BackspaceRemovesAndCarriageReturnIsDropped) {
  write("abc\bd\r\n");
  write("\b\bx\n"); // backspace on an empty line does nothing
  write("\r\r\n");
  EXPECT_EQ(lines(), (Lines{"abd", "x", ""}));
}

TEST_F(LuaConsoleTest, NullTextWritesNothing) {
  write_(nullptr, 5);
  writeline_();
  EXPECT_EQ(lines(), (Lines{""}));
}

TEST_F(LuaConsoleTest, LongLinesAreSentIn511ByteParts) {
  write(std::string(600, 'a'));
  EXPECT_EQ(lines(), (Lines{std::string(511, 'a')}));
  write("\n");
  EXPECT_EQ(lines(), (Lines{std::string(511, 'a'), std::string(89, 'a')}));

  dvhost::console::clear_lines();
  write(std::string(511, 'b') + "\n"); // exactly full: one line, no empty extra
  write(std::string(1022, 'c') + "\n");
  EXPECT_EQ(lines(), (Lines{std::string(511, 'b'), std::string(511, 'c'), std::string(511, 'c')}));
}

TEST_F(LuaConsoleTest, BackspaceAfterFullLineEditsTheNewLine) {
  write(std::string(511, 'a') + "xy\b\n");
  EXPECT_EQ(lines(), (Lines{std::string(511, 'a'), "x"}));
}

TEST_F(LuaConsoleTest, WritelineIsForcedAndFlushIsNot) {
  flush_();
  EXPECT_EQ(lines(), Lines{});
  writeline_();
  EXPECT_EQ(lines(), (Lines{""}));
  write("prompt> ");
  flush_();
  EXPECT_EQ(lines(), (Lines{"", "prompt> "}));
  writeline_(); // the flushed text does not come back
  EXPECT_EQ(lines(), (Lines{"", "prompt> ", ""}));
}

TEST_F(LuaConsoleTest, OutputWithoutConsoleSlotIsDropped) {
  dvhost::set_table_field(dvhost::kSlotWriteConsoleLine, 0);
  write("lost\n");
  write("lost too");
  writeline_();
  dvhost::install_program_api_table();
  write("kept\n");
  EXPECT_EQ(lines(), (Lines{"kept"}));
}

TEST_F(LuaConsoleTest, BannerArrivesAsFiveLinesAndAnEmptyOne) {
  fn<void()>("dv_lua_show_banner")();
  EXPECT_EQ(lines(), (Lines{
                         "DovrelLua Desktop For DovrelBoot",
                         "type Lua code at the DovrelBoot prompt and press Enter",
                         "type exit or press Esc on an empty prompt to leave",
                         "autoruns index.lua if it is present",
                         "use dofile(\"name.lua\") to run files from disk",
                         "",
                     }));
}

TEST_F(LuaConsoleTest, HelpShowsTheVersion) {
  fn<void()>("dv_lua_show_help")();
  EXPECT_EQ(lines(), (Lines{"Embedded Version:: DovrelLua 0.2", ""}));
}

struct ErrorCase {
  const char* format;
  const char* text;
  const char* line;
};

TEST_F(LuaConsoleTest, ErrorHookFormatsOneString) {
  const ErrorCase cases[] = {
      {"lua: %s", "boom", "lua: boom"},
      {nullptr, "plain", "plain"},
      {"[%s]", nullptr, "[]"},
      {"100%% %s", "sure", "100% sure"},
      {"%s and %s", "only one", "only one"}, // would read an argument never passed
      {"%d", "digits", "digits"},
  };
  for (const ErrorCase& c : cases) {
    dvhost::console::clear_lines();
    errorf_(c.format, c.text);
    writeline_();
    EXPECT_EQ(lines(), (Lines{c.line})) << (c.format ? c.format : "(null)");
  }
}

TEST_F(LuaConsoleTest, ErrorHookWritesNothingForEmptyResult) {
  errorf_("", "ignored");
  errorf_(nullptr, nullptr);
  flush_();
  EXPECT_EQ(lines(), Lines{});
}

TEST_F(LuaConsoleTest, ErrorHookKeepsAtMost319Bytes) {
  std::string text(400, 'e');
  errorf_("%s", text.c_str());
  writeline_();
  EXPECT_EQ(lines(), (Lines{std::string(319, 'e')}));
}

TEST_F(LuaConsoleTest, ReadlineSendsThePendingPromptFirst) {
  dvhost::console::queue_input("print(1)");
  write("> ");
  char buffer[64] = {};
  EXPECT_TRUE(readline_(buffer, sizeof buffer, "lua", 7));
  EXPECT_STREQ(buffer, "print(1)");
  EXPECT_EQ(lines(), (Lines{"> "}));
  ASSERT_EQ(dvhost::console::reads().size(), 1u);
  const auto& call = dvhost::console::reads()[0];
  EXPECT_EQ(call.prompt, "lua");
  EXPECT_EQ(call.capacity, sizeof buffer);
  EXPECT_EQ(call.flag, 7);
}

TEST_F(LuaConsoleTest, ReadlineFailsWithoutInputBufferOrSlot) {
  char buffer[16] = {};
  EXPECT_FALSE(readline_(buffer, sizeof buffer, "", 0)); // nothing queued
  dvhost::console::queue_input("x");
  EXPECT_FALSE(readline_(nullptr, 16, "", 0));
  EXPECT_FALSE(readline_(buffer, 0, "", 0));
  EXPECT_EQ(dvhost::console::reads().size(), 1u); // only the first call reached the host
  dvhost::set_table_field(dvhost::kSlotReadConsoleLine, 0);
  EXPECT_FALSE(readline_(buffer, sizeof buffer, "", 0));
}

TEST_F(LuaConsoleTest, ReadlineOffersAtMost32BitsOfCapacity) {
  dvhost::console::queue_input("ok");
  char buffer[16] = {};
  // The host is told the buffer is huge; it writes only the short line.
  EXPECT_TRUE(readline_(buffer, (size_t(1) << 32) + 16, "", 0));
  ASSERT_EQ(dvhost::console::reads().size(), 1u);
  EXPECT_EQ(dvhost::console::reads()[0].capacity, UINT32_MAX);
  EXPECT_STREQ(buffer, "ok");
}

} // namespace
