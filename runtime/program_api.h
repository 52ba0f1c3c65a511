// The host's program API table: a block of 32-bit function addresses at 0x6800.
#pragma once
#include <stddef.h>
#include <stdint.h>

namespace dv {

inline constexpr uintptr_t kProgramApiAddress = 0x6800;

// Byte offsets of the slots this library calls.
enum ProgramApiSlot : uint32_t {
  kSlotStatFile = 0x34,
  kSlotWriteFile = 0x38,
  kSlotDeleteFile = 0x3C,
  kSlotWriteConsoleLine = 0x40,
  kSlotReadConsoleLine = 0x44,
  kSlotAllocate = 0x4C,
  kSlotRelease = 0x50,
  kSlotReallocate = 0x54,
};

// Filled by the host's stat-file slot.
struct FileInfo {
  uint32_t address;
  uint32_t size;
  uint32_t reserved;
};

// True when the table is present (magic "DVAP", non-zero version, size >= 12) and
// large enough to hold the 32-bit slot at `offset`. Re-checked on every call.
bool dv_program_api_field_ready(uint32_t offset);

// The code address stored in a slot, or 0 when the table or slot is absent.
uintptr_t program_api_slot(uint32_t offset);

template <typename Function> Function* program_api_function(uint32_t offset) {
  return reinterpret_cast<Function*>(program_api_slot(offset));
}

int dv_lua_app_stat_file(const char* path, FileInfo* info);
int dv_lua_app_write_file(const char* path, const void* data, uint32_t size);
int dv_lua_app_delete_file(const char* path);

} // namespace dv
