#include "host/file_store.h"

#include "host/low_arena.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

namespace dvhost {
namespace {

constexpr size_t kByteArenaCapacity = size_t(256) << 20;

struct StoreState {
  std::map<std::string, std::vector<uint8_t>> files;
  std::optional<std::filesystem::path> root;
  LowArena bytes{kByteArenaCapacity};
  std::vector<std::pair<void*, size_t>> handed_out;
  file_store::Counters counters;
  std::vector<std::string> missing;
  bool write_fails = false;
  bool delete_fails = false;
};

StoreState& state() {
  static StoreState* store = new StoreState; // never destroyed: the artifact may outlive statics
  return *store;
}

void release_handed_out() {
  for (auto& [block, size] : state().handed_out)
    state().bytes.release(block, size);
  state().handed_out.clear();
}

std::optional<std::filesystem::path> real_path(const std::string& path) {
  std::filesystem::path relative = std::filesystem::path(path).relative_path();
  for (const auto& part : relative) {
    if (part == "..")
      return std::nullopt;
  }
  return *state().root / relative;
}

std::optional<std::vector<uint8_t>> read_real(const std::string& path) {
  auto file = real_path(path);
  if (!file || !std::filesystem::is_regular_file(*file))
    return std::nullopt;
  // One read of the whole file: served fonts run to tens of megabytes.
  std::ifstream in(*file, std::ios::binary | std::ios::ate);
  const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
  if (size < 0)
    return std::nullopt;
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size))
    return std::nullopt;
  return bytes;
}

bool write_real(const std::string& path, const uint8_t* data, size_t size) {
  auto file = real_path(path);
  if (!file)
    return false;
  std::ofstream out(*file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return static_cast<bool>(out);
}

bool remove_real(const std::string& path) {
  auto file = real_path(path);
  std::error_code error;
  return file && std::filesystem::remove(*file, error);
}

// Copies a file's bytes below 4 GiB, where a 32-bit address can name them.
uint32_t hand_out(const std::vector<uint8_t>& bytes) {
  size_t size = bytes.empty() ? 1 : bytes.size();
  void* block = state().bytes.allocate(size);
  if (!block)
    return 0;
  if (!bytes.empty())
    std::memcpy(block, bytes.data(), bytes.size());
  state().handed_out.emplace_back(block, size);
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(block));
}

void note_missing(const std::string& path) {
  auto& missing = state().missing;
  for (const std::string& known : missing) {
    if (known == path)
      return;
  }
  missing.push_back(path);
}

// A served file read straight into the block handed out, without a copy in between (fonts
// run to tens of megabytes); 0 when it is missing, unreadable or does not fit.
uint32_t hand_out_real(const std::string& path, uint32_t* size) {
  auto file = real_path(path);
  if (!file || !std::filesystem::is_regular_file(*file))
    return 0;
  std::ifstream in(*file, std::ios::binary | std::ios::ate);
  const std::streamoff length = in ? static_cast<std::streamoff>(in.tellg()) : -1;
  if (length < 0 || length > std::streamoff{UINT32_MAX})
    return 0;
  const size_t block_size = length == 0 ? 1 : static_cast<size_t>(length);
  void* block = state().bytes.allocate(block_size);
  if (!block)
    return 0;
  in.seekg(0);
  if (!in.read(static_cast<char*>(block), length)) {
    state().bytes.release(block, block_size);
    return 0;
  }
  state().handed_out.emplace_back(block, block_size);
  *size = static_cast<uint32_t>(length);
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(block));
}

} // namespace

int file_store_stat_slot(const char* path, HostFileInfo* info) {
  ++state().counters.stats;
  if (!path || !info)
    return 0;
  if (state().root) {
    uint32_t size = 0;
    const uint32_t address = hand_out_real(path, &size);
    if (address == 0) {
      note_missing(path);
      return 0;
    }
    info->address = address;
    info->size = size;
    return 1;
  }
  auto bytes = file_store::get(path);
  if (!bytes || bytes->size() > UINT32_MAX)
    return 0;
  uint32_t address = hand_out(*bytes);
  if (address == 0)
    return 0;
  info->address = address;
  info->size = static_cast<uint32_t>(bytes->size());
  return 1;
}

int file_store_write_slot(const char* path, const void* data, uint32_t size) {
  ++state().counters.writes;
  if (!path || (!data && size != 0) || state().write_fails)
    return 0;
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (state().root)
    return write_real(path, bytes, size) ? 1 : 0;
  state().files[path] = std::vector<uint8_t>(bytes, bytes + size);
  return 1;
}

int file_store_delete_slot(const char* path) {
  ++state().counters.deletes;
  if (!path || state().delete_fails)
    return 0;
  if (state().root)
    return remove_real(path) ? 1 : 0;
  return state().files.erase(path) ? 1 : 0;
}

namespace file_store {

void use_memory() {
  state().root.reset();
  clear();
}

void use_directory(const std::string& root) {
  clear();
  state().root = std::filesystem::path(root);
}

void clear() {
  state().files.clear();
  release_handed_out();
  state().counters = {};
  state().missing.clear();
  state().write_fails = false;
  state().delete_fails = false;
}

void put(const std::string& path, const std::vector<uint8_t>& bytes) {
  if (state().root)
    write_real(path, bytes.data(), bytes.size());
  else
    state().files[path] = bytes;
}

void put(const std::string& path, const std::string& bytes) {
  put(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

std::optional<std::vector<uint8_t>> get(const std::string& path) {
  if (state().root)
    return read_real(path);
  auto found = state().files.find(path);
  if (found == state().files.end())
    return std::nullopt;
  return found->second;
}

bool exists(const std::string& path) {
  return get(path).has_value();
}

std::vector<std::string> missing_paths() {
  return state().missing;
}

Counters counters() {
  return state().counters;
}
void set_write_fails(bool fails) {
  state().write_fails = fails;
}
void set_delete_fails(bool fails) {
  state().delete_fails = fails;
}

} // namespace file_store
} // namespace dvhost
