// Fuzzes TrueType loading through the font API and the character map of whatever loads, on
// the fuzzers' small heap (fuzz/support/fuzz_heap.h). Every read must stay inside the font
// data; the sanitizers check it.
#include <cstddef>
#include <cstdint>

#include "abi/allocation_scope.h"
#include "font/entry_points.h"
#include "font/sfnt/cmap.h"
#include "font/truetype/font.h"
#include "fuzz/support/fuzz_heap.h"

namespace {

void map_code_points(const uint8_t* data, size_t size) {
  TrueTypeFont font;
  if (!load_truetype_font(font, dv::vector<unsigned char>(data, data + size)))
    return;
  for (uint32_t cp = 0; cp < 0x400; ++cp)
    (void)map_code_point(font.data, font.cmap4, font.cmap12_groups, cp);
  for (uint32_t cp = 0xFFF0; cp <= 0x10FFFF; cp += 0x1001)
    (void)map_code_point(font.data, font.cmap4, font.cmap12_groups, cp);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzzheap::InputHeap heap(data, size);
  if (void* handle = dv::dv_ttf_font_load_memory(data, size, 16.0f))
    dv::dv_ttf_font_free(handle);
  dv::null_on_allocation_failure([&] { map_code_points(data, size); });
  return 0;
}
