#include "host/program_api_table.h"

#include "host/boot_page.h"
#include "host/console.h"
#include "host/file_store.h"
#include "host/host_heap.h"
#include "host/trampoline.h"

namespace dvhost {
namespace {

// The library reads at most this far (the first slot after the table proper is unused).
constexpr uintptr_t kTableAreaEnd = kBootPageAddress + kBootPageSize;

} // namespace

uint32_t table_field(uint32_t offset) {
  return read_boot_u32(kTableAddress + offset);
}

void set_table_field(uint32_t offset, uint32_t value) {
  write_boot_u32(kTableAddress + offset, value);
}

void set_table_slot(uint32_t offset, const void* function) {
  set_table_field(offset, function ? code_address32(function) : 0);
}

void clear_program_api_table() {
  clear_boot_range(kTableAddress, kTableAreaEnd);
}

void install_program_api_table() {
  clear_program_api_table();
  set_table_field(kFieldMagic, kTableMagic);
  set_table_field(kFieldVersion, 1);
  set_table_field(kFieldSize, kTableSize);
  set_table_slot(kSlotStatFile, reinterpret_cast<const void*>(&file_store_stat_slot));
  set_table_slot(kSlotWriteFile, reinterpret_cast<const void*>(&file_store_write_slot));
  set_table_slot(kSlotDeleteFile, reinterpret_cast<const void*>(&file_store_delete_slot));
  set_table_slot(kSlotWriteConsoleLine, reinterpret_cast<const void*>(&console_write_slot));
  set_table_slot(kSlotReadConsoleLine, reinterpret_cast<const void*>(&console_read_slot));
  set_table_slot(kSlotAllocate, reinterpret_cast<const void*>(&host_heap_allocate_slot));
  set_table_slot(kSlotRelease, reinterpret_cast<const void*>(&host_heap_release_slot));
  set_table_slot(kSlotReallocate, reinterpret_cast<const void*>(&host_heap_reallocate_slot));
}

} // namespace dvhost
