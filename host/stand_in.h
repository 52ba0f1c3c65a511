// The whole boot-environment stand-in in one call: the boot page with a complete
// program API table, an empty memory map, the in-memory file store, a capturing
// console and a clean host heap configuration.
#pragma once

namespace dvhost {

// Maps the boot page (throws with a clear message when vm.mmap_min_addr forbids it)
// and installs the defaults below. Safe to call any number of times.
void install_stand_in();

// Defaults: full table, memory map cleared (top 0), probe memory unmapped, file store
// in memory and empty, console captured with no input, no heap fault injection, heap
// error list cleared, heap size back to its default (DV_HOST_HEAP_MB or 512 MiB). Live heap blocks
// are left alone (count them for leak checks).
void reset_stand_in();

} // namespace dvhost
