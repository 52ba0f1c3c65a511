// The Lua console's output line buffer and line input.
//
// Output is collected into one line buffer and handed to the host's write-console-line
// slot a whole line at a time; input lines come from the host's read-console-line slot.
#pragma once
#include <stddef.h>
#include <stdint.h>

namespace dv {

inline constexpr size_t kConsoleLineCapacity = 512;
// The longest line the buffer holds before it is sent on its own.
inline constexpr size_t kConsoleLineMaxLength = kConsoleLineCapacity - 1;
inline constexpr size_t kConsoleErrorCapacity = 320;

extern char gLuaOutputLine[kConsoleLineCapacity];
extern uint64_t gLuaOutputLineLength;

void dv_lua_write(const char* text, size_t length);
void dv_lua_write_cstr(const char* text);
void dv_lua_writeline();
void dv_lua_flush_output();
void dv_lua_write_errorf(const char* format, const char* text);
void dv_lua_show_banner();
void dv_lua_show_help();
bool dv_lua_readline(char* buffer, size_t capacity, const char* prompt, int flag);

} // namespace dv
