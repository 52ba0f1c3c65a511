// Fuzzes TrueType loading through the font API and the character map of whatever loads.
// Every read must stay inside the font data; the sanitizers check it.
#include <cstddef>
#include <cstdint>

#include "font/entry_points.h"
#include "font/sfnt/cmap.h"
#include "font/truetype/font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (void* handle = dv::dv_ttf_font_load_memory(data, size, 16.0f))
    dv::dv_ttf_font_free(handle);
  TrueTypeFont font;
  if (!load_truetype_font(font, dv::vector<unsigned char>(data, data + size)))
    return 0;
  for (uint32_t cp = 0; cp < 0x400; ++cp)
    (void)map_code_point(font.data_, font.cmap4_, font.cmap12_groups_, cp);
  for (uint32_t cp = 0xFFF0; cp <= 0x10FFFF; cp += 0x1001)
    (void)map_code_point(font.data_, font.cmap4_, font.cmap12_groups_, cp);
  return 0;
}
