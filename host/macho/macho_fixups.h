// Interpreters for the rebase and bind opcode streams of a Mach-O image's dyld
// information. They only decode: each fixup location is checked to lie, with its whole
// pointer, inside the segment it names, and handed to a callback that applies it.
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

namespace dvhost::macho {

// Where a fixup writes: a byte offset into one of the image's segments.
struct FixupLocation {
  unsigned segment;
  uint64_t offset;
};

// The image's segment sizes (in load-command order) and how many fixups it can hold at
// most (one per pointer-sized slot; more means the stream repeats itself).
struct FixupLimits {
  std::span<const uint64_t> segment_sizes;
  uint64_t max_fixups;
};

void for_each_rebase(std::span<const uint8_t> opcodes, const FixupLimits& limits,
                     const std::function<void(FixupLocation)>& apply);

struct BindRecord {
  FixupLocation location;
  int64_t dylib_ordinal;
  std::string_view symbol;
  int64_t addend;
};

enum class BindTable { regular, lazy, weak };

// Binds of the lazy table are separated by done opcodes; the other tables end at the
// first one.
void for_each_bind(std::span<const uint8_t> opcodes, BindTable table, const FixupLimits& limits,
                   const std::function<void(const BindRecord&)>& apply);

} // namespace dvhost::macho
