// The host's persistent files behind the stat/write/delete slots: kept in memory, or
// backed by a real directory (for the command-line tool). Bytes handed out by stat stay
// valid (below 2 GiB, never moved) until clear() or the next use_memory/use_directory.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dvhost {

// Layout the library passes to the stat slot.
struct HostFileInfo {
  uint32_t address;
  uint32_t size;
  uint32_t reserved;
};

int file_store_stat_slot(const char* path, HostFileInfo* info);
int file_store_write_slot(const char* path, const void* data, uint32_t size);
int file_store_delete_slot(const char* path);

namespace file_store {

// In-memory store (the default); empties it.
void use_memory();
// Files are read from / written to / deleted in `root` (paths are taken relative to it;
// paths with a ".." component are refused).
void use_directory(const std::string& root);

// Forgets every file of the in-memory store and every byte block handed out by stat.
void clear();

void put(const std::string& path, const std::vector<uint8_t>& bytes);
void put(const std::string& path, const std::string& bytes);
std::optional<std::vector<uint8_t>> get(const std::string& path);
bool exists(const std::string& path);

// The paths the stat slot was asked for and did not find, in order, each once (cleared by
// clear() and use_directory()), so a runner can say why a file was missing.
std::vector<std::string> missing_paths();

// Slot traffic, for tests.
struct Counters {
  uint64_t stats = 0;
  uint64_t writes = 0;
  uint64_t deletes = 0;
};
Counters counters();

// Makes the write or delete slot answer 0 (failure) without touching the store.
void set_write_fails(bool fails);
void set_delete_fails(bool fails);

} // namespace file_store
} // namespace dvhost
