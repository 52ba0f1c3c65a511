// Fuzzes Type 1 loading (PFB, PFA, and in the complete mode clear text with binary eexec
// data) and the glyphs of whatever loads, in both modes: every code of the font's encoding
// is interpreted and rasterized at a small size, and in the complete mode also the first
// code points its glyph names map, on the fuzzers' small heap (fuzz/support/fuzz_heap.h).
// Reads must stay inside the font data, the charstring interpreter's limits must keep every
// input fast, and a refused allocation must unwind without a leak.
#include <cstddef>
#include <cstdint>

#include "abi/allocation_scope.h"
#include "font/type1/font.h"
#include "font/type1/glyph.h"
#include "fuzz/support/fuzz_heap.h"

namespace {

constexpr double kPixelSize = 12.0;
// Named code points drawn per input, beyond the 256 codes of the encoding.
constexpr unsigned long kNamedCodepoints = 64;

void draw_glyphs(const ByteVector& bytes, Type1Mode mode) {
  Type1Font font;
  if (!load_type1_font(font, bytes, mode))
    return;
  const double scale = kPixelSize / font.units_per_em;
  for (unsigned int code = 0; code < 256; ++code)
    if (font.encoding[code].size != 0)
      (void)rasterize_type1_glyph(font, code, scale);
  const dv::vector<uint64_t>& named = font.unicode.glyphs;
  for (unsigned long i = 0; i < named.size && i < kNamedCodepoints; ++i)
    (void)rasterize_type1_glyph(font, static_cast<unsigned int>(named.data[i] >> 32), scale);
  (void)rasterize_type1_glyph(font, 0x1F600, scale); // beyond the encoding: .notdef
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzzheap::InputHeap heap(data, size);
  dv::null_on_allocation_failure([&] {
    const ByteVector bytes(data, data + size);
    draw_glyphs(bytes, Type1Mode::kStraightLines);
    draw_glyphs(bytes, Type1Mode::kComplete);
  });
  return 0;
}
