// The console a module writes to: the library collects text into one line and hands the
// line to the host (the terminal, under dvttf-run) when it ends. C linkage, exported by
// both artifact forms.
#pragma once

#include <stddef.h>

extern "C" {

// Appends `length` bytes of `text` to the current line (a line longer than 511 bytes is
// sent in pieces of 511).
void dv_lua_write(const char* text, size_t length);
// Ends the current line and sends it.
void dv_lua_writeline();
// Sends what the current line holds without ending it.
void dv_lua_flush_output();
// Shows `prompt` and reads one line from the host's console into `buffer` (NUL-terminated,
// at most `capacity` bytes); false when there is no line. Pass 0 as `flag`.
bool dv_lua_readline(char* buffer, size_t capacity, const char* prompt, int flag);
// Writes one error line: `format` with its one %s replaced by `text`.
void dv_lua_write_errorf(const char* format, const char* text);

} // extern "C"

// Writes `text` (NUL-terminated) and ends the line.
inline void dv_console_print_line(const char* text) {
  size_t length = 0;
  while (text[length] != '\0')
    ++length;
  dv_lua_write(text, length);
  dv_lua_writeline();
}
