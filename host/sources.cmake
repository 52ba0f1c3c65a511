# The boot-environment stand-in (dvhost) and, apart, its Mach-O loader, which the loader's
# fuzzer also compiles into itself.
dv_sources(DV_HOST_SOURCES host
  artifact.cpp
  boot_page.cpp
  console.cpp
  elf_image.cpp
  file_store.cpp
  halt.cpp
  host_heap.cpp
  loaded_image.cpp
  low_arena.cpp
  memory_map.cpp
  probe_memory.cpp
  program_api_table.cpp
  stand_in.cpp
  trampoline.cpp
)
dv_sources(DV_MACHO_LOADER_SOURCES host/macho
  macho_fixups.cpp
  macho_image.cpp
  macho_trie.cpp
)
