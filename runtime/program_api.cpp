#include "runtime/program_api.h"

#include "runtime/export.h"

namespace dv {
namespace {

// The table lives at a fixed physical address and may be rewritten by the host between
// calls, so every read goes through a volatile pointer.
uint32_t read_table_word(uint32_t offset) {
  return *reinterpret_cast<const volatile uint32_t*>(kProgramApiAddress + offset);
}

constexpr uint32_t kMagic = 'D' | ('V' << 8) | ('A' << 16) | (uint32_t('P') << 24);

} // namespace

DV_FUNCTION(bool, dv_program_api_field_ready, (uint32_t offset)) {
  if (read_table_word(0) != kMagic || read_table_word(4) == 0)
    return false;
  uint32_t size = read_table_word(8);
  return size >= 12 && uint64_t(size) >= uint64_t(offset) + 4;
}

uintptr_t program_api_slot(uint32_t offset) {
  if (!dv_program_api_field_ready(offset))
    return 0;
  return read_table_word(offset);
}

DV_FUNCTION(int, dv_lua_app_stat_file, (const char* path, FileInfo* info)) {
  auto* stat = program_api_function<int(const char*, FileInfo*)>(kSlotStatFile);
  return stat ? stat(path, info) : 0;
}

DV_FUNCTION(int, dv_lua_app_write_file, (const char* path, const void* data, uint32_t size)) {
  auto* write = program_api_function<int(const char*, const void*, uint32_t)>(kSlotWriteFile);
  return write ? write(path, data, size) : 0;
}

DV_FUNCTION(int, dv_lua_app_delete_file, (const char* path)) {
  auto* remove = program_api_function<int(const char*)>(kSlotDeleteFile);
  return remove ? remove(path) : 0;
}

} // namespace dv
