// Fuzzes TrueType glyph outlines and bitmaps: every glyph description of whatever loads is
// decoded, flattened and rasterized up to a work budget per input no lower than the
// library's per-glyph limit, on the fuzzers' small heap (fuzz/support/fuzz_heap.h). Reads
// must stay inside the font data, the per-glyph work limits must keep every input fast, and a
// refused allocation must unwind without a leak; the sanitizers check the rest.
#include <cstddef>
#include <cstdint>

#include "abi/allocation_scope.h"
#include "font/raster/rasterizer.h"
#include "font/truetype/font.h"
#include "font/truetype/glyph_bitmap.h"
#include "font/truetype/outline.h"
#include "fuzz/support/fuzz_heap.h"

namespace {

constexpr uint16_t kGlyphsPerInput = 64;
// Raster work (pixels x edges) one input may spend: the most the library lets one glyph
// cost, so every glyph the library would rasterize can be fuzzed, the expensive ones
// included, while an input of many such glyphs stays within the fuzzer's timeout.
constexpr double kRasterWorkPerInput = static_cast<double>(1ULL << 27);

void exercise_glyph(const TrueTypeFont& font, uint16_t glyph, double scale, double& work_left) {
  // At scale 0 every point collapses onto the origin: metrics and decoding without raster work.
  (void)rasterize_truetype_glyph(font, glyph, 0.0);
  OutlineBuilder builder;
  if (!append_glyph_outline(font, glyph, {scale, 0, 0, scale, 0, 0}, builder, 0))
    return;
  const double area = (builder.max_x - builder.min_x + 2) * (builder.max_y - builder.min_y + 2);
  const double work = area * static_cast<double>(builder.segments.size);
  if (work <= work_left) {
    work_left -= work;
    (void)rasterize_outline(builder, 0.0);
  }
}

void exercise_font(const uint8_t* data, size_t size) {
  TrueTypeFont font;
  if (!load_truetype_font(font, dv::vector<unsigned char>(data, data + size)))
    return;
  const double scale = 12.0 / font.units_per_em;
  const uint16_t count = font.num_glyphs < kGlyphsPerInput ? font.num_glyphs : kGlyphsPerInput;
  double work_left = kRasterWorkPerInput;
  for (uint16_t glyph = 0; glyph < count; ++glyph)
    exercise_glyph(font, glyph, scale, work_left);
  exercise_glyph(font, font.num_glyphs, scale, work_left); // one past the last glyph
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzzheap::InputHeap heap(data, size);
  dv::null_on_allocation_failure([&] { exercise_font(data, size); });
  return 0;
}
