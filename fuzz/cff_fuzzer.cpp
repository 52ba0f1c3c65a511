// Fuzzes OpenType CFF fonts and collections: the table directory of face 0, the CFF (or
// CFF2) table's INDEXes and DICTs, and the charstrings of every glyph of whatever loads
// (subroutines, hint masks, arithmetic, the accent form; CFF2's blends at the default
// instance, the variation fuzzer's at others), each drawn and rasterized within a work budget
// per input, on the fuzzers' small heap (fuzz/support/fuzz_heap.h). Reads must stay inside
// the font data, the charstring limits must keep every input fast, and a refused allocation
// must unwind without a leak; the sanitizers check the rest.
#include <cstddef>
#include <cstdint>

#include "abi/allocation_scope.h"
#include "font/cff/font.h"
#include "font/cff/glyph_bitmap.h"
#include "font/sfnt/collection.h"
#include "fuzz/support/fuzz_heap.h"

namespace {

constexpr uint32_t kGlyphsPerInput = 64;
// The most the library lets one render spend: every glyph it would draw can be fuzzed, and
// an input of many expensive glyphs stays within the fuzzer's timeout.
constexpr uint64_t kWorkPerInput = uint64_t{1} << 27;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzzheap::InputHeap heap(data, size);
  dv::null_on_allocation_failure([&] {
    const dv::vector<unsigned char> bytes(data, data + size);
    uint32_t directory = 0;
    CffFont font;
    if (!sfnt_face_directory(bytes, 0, directory) || !load_cff_font(font, bytes, directory))
      return;
    const double scale = 12.0 / font.units_per_em;
    const uint32_t glyphs = font.charstrings.count;
    const uint32_t count = glyphs < kGlyphsPerInput ? glyphs : kGlyphsPerInput;
    GlyphBudget budget{int64_t{1} << 22, kWorkPerInput};
    CffGlyphScratch scratch;
    for (uint32_t glyph = 0; glyph < count && !budget.exhausted; ++glyph)
      (void)rasterize_cff_glyph(font, glyph, scale, scratch, budget);
    (void)rasterize_cff_glyph(font, glyphs, scale, scratch, budget); // one past the last glyph
  });
  return 0;
}
