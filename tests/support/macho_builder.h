// Builds a small x86-64 Mach-O dylib for the loader's tests and seeds: every fixup kind
// the loader handles, each once, at known places.
//
//   __TEXT   vmaddr 0x0000  header, load commands; code at 0x800: _answer (returns 42),
//                           at 0x810 an initializer that increments _counter
//   __DATA   vmaddr 0x1000  +0x00 _table: pointer to _answer (rebase)
//                           +0x08 bound to _malloc of /lib/DovrelTTF.dylib (bind)
//                           +0x10 bound to _answer (weak bind to its own export)
//                           +0x18 bound to _free of /lib/DovrelTTF.dylib (lazy bind)
//                           +0x20 __mod_init_func: pointer to the initializer (rebase)
//                           +0x28 _counter (4 bytes)
//   __LINKEDIT vmaddr 0x2000 the opcode streams and the export trie
//
// Tests damage it through Parts (the streams) or by patching the built bytes at the
// offsets Built records.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace machotest {

using Bytes = std::vector<uint8_t>;

constexpr const char* kLibraryInstallName = "/lib/DovrelTTF.dylib";
constexpr uint64_t kAnswerOffset = 0x800;
constexpr uint64_t kDataVmaddr = 0x1000;

struct Parts {
  Bytes rebase;
  Bytes bind;
  Bytes weak_bind;
  Bytes lazy_bind;
  Bytes trie;
  Bytes extra_command; // appended after the other load commands, if any
};

Parts default_parts();

// A bind stream with one pointer bind: `symbol`, from the dylib `ordinal_opcode` sets
// (a set-dylib-ordinal or set-dylib-special opcode with its immediate), at __DATA +
// `data_offset`.
Bytes bind_stream(uint8_t ordinal_opcode, const std::string& symbol, uint64_t data_offset);

// An export trie with one edge from the root per name (names must not be prefixes of
// each other).
Bytes flat_trie(const std::vector<std::pair<std::string, uint64_t>>& exports);

struct Built {
  Bytes bytes;
  // File offsets of the load commands and of the initializer section record.
  size_t text_segment = 0;
  size_t data_segment = 0;
  size_t init_section = 0;
  size_t linkedit_segment = 0;
  size_t dyld_info = 0;
  size_t first_dylib = 0;
};

Built build(const Parts& parts = default_parts());

// Copies a T out of `bytes` at `offset`, lets `change` edit it and writes it back.
template <typename T, typename Change> void patch(Bytes& bytes, size_t offset, Change change) {
  T value;
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  change(value);
  std::memcpy(bytes.data() + offset, &value, sizeof value);
}

} // namespace machotest
