// The export trie of a Mach-O image: a prefix tree whose edges spell symbol names and
// whose terminal nodes give each exported symbol's flags and address (an offset from
// the image's base). The whole trie is checked once when it is read: every node and
// edge within the trie's bytes, no node reached twice (so no cycles), entries the
// loader can use. Lookups then walk a checked tree.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace dvhost::macho {

struct ExportEntry {
  uint64_t flags;
  uint64_t offset; // from the image base (or the absolute value for absolute symbols)
};

class ExportTrie {
public:
  // Throws MachOError describing the first problem found.
  explicit ExportTrie(std::span<const uint8_t> bytes);

  std::optional<ExportEntry> find(std::string_view name) const;

private:
  std::span<const uint8_t> bytes_;
};

} // namespace dvhost::macho
