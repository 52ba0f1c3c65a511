// The console line buffer's own state, which the host does not see: what stays buffered
// after each kind of byte.
#include <gtest/gtest.h>

#include <string>

#include "host/console.h"
#include "host/stand_in.h"
#include "runtime/console.h"

namespace {

class ConsoleLineTest : public ::testing::Test {
protected:
  void SetUp() override {
    dvhost::install_stand_in();
    dv::dv_lua_flush_output();
    dvhost::console::clear_lines();
  }
  void TearDown() override {
    dv::dv_lua_flush_output();
    dvhost::reset_stand_in();
  }

  static std::string buffered() {
    return std::string(dv::gLuaOutputLine, dv::gLuaOutputLineLength);
  }
};

TEST_F(ConsoleLineTest, BufferHoldsTheUnsentPart) {
  dv::dv_lua_write_cstr("ab\rc");
  EXPECT_EQ(buffered(), "abc");
  dv::dv_lua_write_cstr("\b\b\b\b");
  EXPECT_EQ(buffered(), "");
  dv::dv_lua_write_cstr(std::string(600, 'z').c_str());
  EXPECT_EQ(buffered(), std::string(89, 'z'));
  dv::dv_lua_write_cstr(nullptr);
  dv::dv_lua_flush_output();
  EXPECT_EQ(dv::gLuaOutputLineLength, 0u);
  EXPECT_EQ(dvhost::console::lines().size(), 2u);
}

} // namespace
