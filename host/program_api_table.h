// The program API table at 0x6800 as the host writes it. Tests may damage any field to
// check how the library reacts (missing magic, version 0, short table, empty slot).
#pragma once
#include <cstddef>
#include <cstdint>

namespace dvhost {

inline constexpr uintptr_t kTableAddress = 0x6800;
inline constexpr uint32_t kTableMagic = 0x50415644; // "DVAP" in memory order

// Field and slot offsets.
inline constexpr uint32_t kFieldMagic = 0x00;
inline constexpr uint32_t kFieldVersion = 0x04;
inline constexpr uint32_t kFieldSize = 0x08;
inline constexpr uint32_t kSlotStatFile = 0x34;
inline constexpr uint32_t kSlotWriteFile = 0x38;
inline constexpr uint32_t kSlotDeleteFile = 0x3C;
inline constexpr uint32_t kSlotWriteConsoleLine = 0x40;
inline constexpr uint32_t kSlotReadConsoleLine = 0x44;
inline constexpr uint32_t kSlotAllocate = 0x4C;
inline constexpr uint32_t kSlotRelease = 0x50;
inline constexpr uint32_t kSlotReallocate = 0x54;

// Size of the full table: every slot the library calls fits.
inline constexpr uint32_t kTableSize = 0x58;

// Writes a complete table: magic, version 1, kTableSize, every slot served by the
// stand-in (heap, file store, console). Maps the boot page first.
void install_program_api_table();

// Zeroes the whole table area (no table present).
void clear_program_api_table();

// Raw access to one 32-bit field at `offset` from 0x6800.
uint32_t table_field(uint32_t offset);
void set_table_field(uint32_t offset, uint32_t value);

// Points a slot at any host function (through a 32-bit trampoline).
void set_table_slot(uint32_t offset, const void* function);

} // namespace dvhost
