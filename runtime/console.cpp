#include "runtime/console.h"

#include "runtime/export.h"
#include "runtime/program_api.h"
#include "runtime/string.h"

namespace dv {

char gLuaOutputLine[kConsoleLineCapacity];
uint64_t gLuaOutputLineLength = 0;

namespace {

constexpr char kBackspace = 8;
constexpr char kCarriageReturn = 13;
constexpr char kNewline = 10;

// Hands the buffered line to the host and empties the buffer. An unforced send of an
// empty buffer does nothing; output is dropped when the host has no console slot.
void send_line(bool forced) {
  if (gLuaOutputLineLength == 0 && !forced)
    return;
  char line[kConsoleLineCapacity];
  uint64_t length = gLuaOutputLineLength;
  for (uint64_t i = 0; i < length; ++i)
    line[i] = gLuaOutputLine[i];
  line[length] = 0;
  gLuaOutputLineLength = 0;
  if (auto* write_line = program_api_function<void(const char*)>(kSlotWriteConsoleLine))
    write_line(line);
}

void write_byte(char byte) {
  switch (byte) {
  case kBackspace:
    if (gLuaOutputLineLength > 0)
      --gLuaOutputLineLength;
    return;
  case kCarriageReturn:
    return;
  case kNewline:
    send_line(true);
    return;
  default:
    if (gLuaOutputLineLength >= kConsoleLineMaxLength)
      send_line(false);
    gLuaOutputLine[gLuaOutputLineLength++] = byte;
  }
}

} // namespace

DV_FUNCTION(void, dv_lua_write, (const char* text, size_t length)) {
  if (text == nullptr)
    return;
  for (size_t i = 0; i < length; ++i)
    write_byte(text[i]);
}

void dv_lua_write_cstr(const char* text) {
  if (text != nullptr)
    dv_lua_write(text, strlen(text));
}

DV_FUNCTION(void, dv_lua_writeline, ()) {
  send_line(true);
}

DV_FUNCTION(void, dv_lua_flush_output, ()) {
  send_line(false);
}

DV_FUNCTION(void, dv_lua_show_banner, ()) {
  dv_lua_write_cstr("DovrelLua Desktop For DovrelBoot\r\n");
  dv_lua_write_cstr("type Lua code at the DovrelBoot prompt and press Enter\r\n");
  dv_lua_write_cstr("type exit or press Esc on an empty prompt to leave\r\n");
  dv_lua_write_cstr("autoruns index.lua if it is present\r\n");
  dv_lua_write_cstr("use dofile(\"name.lua\") to run files from disk\r\n");
  dv_lua_write_cstr("\r\n");
}

DV_FUNCTION(void, dv_lua_show_help, ()) {
  dv_lua_write_cstr("Embedded Version:: DovrelLua 0.2\r\n");
  dv_lua_write_cstr("\r\n");
}

DV_FUNCTION(bool, dv_lua_readline, (char* buffer, size_t capacity, const char* prompt, int flag)) {
  if (buffer == nullptr || capacity == 0)
    return false;
  dv_lua_flush_output();
  using ReadLine = int(char*, uint32_t, const char*, uint8_t);
  auto* read_line = program_api_function<ReadLine>(kSlotReadConsoleLine);
  if (read_line == nullptr)
    return false;
  // The host takes a 32-bit capacity; a larger buffer is offered as its first 4 GiB.
  uint32_t host_capacity = capacity > UINT32_MAX ? UINT32_MAX : uint32_t(capacity);
  return read_line(buffer, host_capacity, prompt, uint8_t(flag)) != 0;
}

} // namespace dv
