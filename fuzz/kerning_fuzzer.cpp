// Fuzzes the pair kerning reader: the input is a GPOS table and a kern table (the first
// two bytes give the GPOS table's length), read as a font's tables and asked for the
// kerning of many glyph pairs, on the fuzzers' small heap (fuzz/support/fuzz_heap.h). Every
// read must stay inside the tables; the sanitizers check it.
#include <cstddef>
#include <cstdint>

#include "abi/allocation_scope.h"
#include "font/sfnt/kerning.h"
#include "fuzz/support/fuzz_heap.h"

namespace {

void kern_pairs(const uint8_t* data, size_t size) {
  const dv::vector<unsigned char> tables(data + 2, data + size);
  const uint32_t gpos_length = uint32_t(data[0] << 8 | data[1]);
  const uint32_t length = uint32_t(tables.size);
  const TableRecord gpos{0, gpos_length < length ? gpos_length : length};
  const TableRecord kern{gpos.length, length - gpos.length};
  const PairKerning kerning = read_pair_kerning(tables, gpos, kern);
  // A pair reads at most a few thousand fields however hostile the tables.
  const auto work_of = [&](uint16_t left, uint16_t right) {
    GlyphBudget budget = GlyphBudget::unlimited();
    pair_kerning(tables, kerning, left, right, budget);
    return GlyphBudget::unlimited().work - budget.work;
  };
  uint64_t most_work = 0;
  for (uint32_t left = 0; left < 24; ++left) {
    for (uint32_t right = 0; right < 24; ++right) {
      const uint64_t work = work_of(uint16_t(left), uint16_t(right));
      most_work = work > most_work ? work : most_work;
    }
  }
  const uint64_t work = work_of(0xFFFF, 0xFFFF);
  if (most_work > 8192 || work > 8192)
    __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2)
    return 0;
  const fuzzheap::InputHeap heap(data, size);
  dv::null_on_allocation_failure([&] { kern_pairs(data, size); });
  return 0;
}
