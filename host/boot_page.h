// The boot page at 0x6000: the boot memory map (0x6088-0x6640) and the program API
// table (0x6800) live here. The page is mapped once per process and stays mapped.
#pragma once
#include <cstddef>
#include <cstdint>

namespace dvhost {

inline constexpr uintptr_t kBootPageAddress = 0x6000;
inline constexpr uintptr_t kBootPageSize = 0x1000;

// Maps the page at 0x6000 (zero-filled) unless it already is. Throws std::runtime_error
// naming vm.mmap_min_addr when the kernel refuses the address.
void map_boot_page();

// Reads and writes little-endian words inside the boot page; `address` is the absolute
// address (0x6000..0x6FFF). Maps the page first when needed.
uint32_t read_boot_u32(uintptr_t address);
uint64_t read_boot_u64(uintptr_t address);
void write_boot_u32(uintptr_t address, uint32_t value);
void write_boot_u64(uintptr_t address, uint64_t value);
void write_boot_bytes(uintptr_t address, const void* bytes, size_t length);

// Zeroes the byte range [begin, end) of the boot page.
void clear_boot_range(uintptr_t begin, uintptr_t end);

} // namespace dvhost
