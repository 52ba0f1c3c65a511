// Fuzzes Type 1 loading (PFB and PFA) and the glyphs of whatever loads: every code of the
// font's encoding is interpreted and rasterized at a small size. Reads must stay inside
// the font data and the charstring interpreter's limits must keep every input fast.
#include <cstddef>
#include <cstdint>

#include "font/type1/font.h"
#include "font/type1/glyph.h"

namespace {

constexpr double kPixelSize = 12.0;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Type1Font font;
  if (!load_type1_font(font, ByteVector(data, data + size)))
    return 0;
  const double scale = kPixelSize / font.units_per_em;
  for (unsigned int code = 0; code < 256; ++code)
    if (font.encoding[code].size != 0)
      (void)rasterize_type1_glyph(font, code, scale);
  (void)rasterize_type1_glyph(font, 0x1F600, scale); // beyond the encoding: .notdef
  return 0;
}
