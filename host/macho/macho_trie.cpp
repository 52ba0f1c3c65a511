#include "host/macho/macho_trie.h"

#include <unordered_set>
#include <vector>

#include "host/macho/macho_format.h"
#include "host/macho/macho_reader.h"

namespace dvhost::macho {
namespace {

// Reads a node's terminal information (if any) and leaves the reader at its child count.
std::optional<ExportEntry> read_terminal(ByteReader& reader) {
  uint64_t terminal_size = reader.uleb();
  if (terminal_size == 0)
    return std::nullopt;
  size_t children_at = reader.position() + terminal_size;
  ExportEntry entry{reader.uleb(), 0};
  if (entry.flags & kExportReexport)
    reader.fail("re-exported symbols are not supported");
  if (entry.flags & kExportStubAndResolver)
    reader.fail("symbols with resolver functions are not supported");
  uint64_t kind = entry.flags & kExportKindMask;
  if (kind != kExportKindRegular && kind != kExportKindAbsolute)
    reader.fail("thread-local exports are not supported");
  entry.offset = reader.uleb();
  if (reader.position() > children_at)
    reader.fail("terminal information longer than its size");
  reader.seek(children_at);
  return entry;
}

} // namespace

ExportTrie::ExportTrie(std::span<const uint8_t> bytes) : bytes_(bytes) {
  if (bytes.empty())
    return;
  ByteReader reader(bytes, "export trie");
  std::unordered_set<uint64_t> seen{0};
  std::vector<uint64_t> pending{0};
  while (!pending.empty()) {
    reader.seek(pending.back());
    pending.pop_back();
    read_terminal(reader);
    uint8_t children = reader.byte();
    for (uint8_t i = 0; i < children; ++i) {
      reader.cstring();
      uint64_t child = reader.uleb();
      if (child >= bytes.size())
        reader.fail("child node out of range");
      if (!seen.insert(child).second)
        reader.fail("node reached twice (cycle)");
      pending.push_back(child);
    }
  }
}

std::optional<ExportEntry> ExportTrie::find(std::string_view name) const {
  if (bytes_.empty())
    return std::nullopt;
  ByteReader reader(bytes_, "export trie");
  for (;;) {
    std::optional<ExportEntry> entry = read_terminal(reader);
    if (name.empty())
      return entry;
    uint8_t children = reader.byte();
    bool descended = false;
    for (uint8_t i = 0; i < children && !descended; ++i) {
      std::string_view edge = reader.cstring();
      uint64_t child = reader.uleb();
      if (!edge.empty() && name.starts_with(edge)) {
        name.remove_prefix(edge.size());
        reader.seek(child);
        descended = true;
      }
    }
    if (!descended)
      return std::nullopt;
  }
}

} // namespace dvhost::macho
