#include "host/stand_in.h"

#include "host/boot_page.h"
#include "host/console.h"
#include "host/file_store.h"
#include "host/halt.h"
#include "host/host_heap.h"
#include "host/memory_map.h"
#include "host/probe_memory.h"
#include "host/program_api_table.h"

namespace dvhost {

void install_stand_in() {
  map_boot_page();
  install_halt_handler();
  reset_stand_in();
}

void reset_stand_in() {
  map_boot_page();
  install_program_api_table();
  clear_memory_map();
  unmap_probe_memory();
  file_store::use_memory();
  console::reset();
  host_heap::clear_fault_injection();
  host_heap::set_heap_size(host_heap::default_heap_size());
  host_heap::clear_errors();
}

} // namespace dvhost
