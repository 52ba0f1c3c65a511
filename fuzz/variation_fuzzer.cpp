// Fuzzes variable fonts, TrueType and CFF2, and the character maps of the extended loaders:
// the input is eight bytes of instance (four axis values as fractions of their ranges, each
// two bytes) and then a font. Whatever loads is read with formats 0, 13 and 14 too, a few
// code points and variation sequences are mapped, and every glyph up to a count is drawn at
// the default instance and at the input's, within a glyph budget. Reads must stay inside
// the font data, the delta limit must keep each glyph fast, and a refused allocation must
// unwind without a leak; the sanitizers check the rest.
#include <cstddef>
#include <cstdint>

#include "abi/allocation_scope.h"
#include "font/cff/font.h"
#include "font/cff/glyph_bitmap.h"
#include "font/sfnt/extended_cmap.h"
#include "font/sfnt/font_variations.h"
#include "font/truetype/font.h"
#include "font/truetype/glyph_bitmap.h"
#include "font/variation_settings.h"
#include "fuzz/support/fuzz_heap.h"

namespace {

constexpr uint16_t kGlyphsPerInput = 32;
constexpr size_t kInstanceBytes = 8;
// Work one input may spend on its glyphs: many glyphs at their limits still run in well
// under a second.
constexpr uint64_t kWorkPerInput = uint64_t{1} << 27;

void map_characters(const SfntFont& font) {
  static const uint32_t kCodePoints[] = {0x41, 0xC4, 0x20AC, 0x4E00, 0x1F600};
  for (const uint32_t codepoint : kCodePoints) {
    (void)map_extended(font.data, font.extended_cmaps, codepoint);
    uint16_t glyph = 0;
    (void)map_variation_sequence(font.data, font.extended_cmaps, codepoint, 0xFE00, glyph);
    (void)map_variation_sequence(font.data, font.extended_cmaps, codepoint, 0xE01EF, glyph);
  }
}

// Every glyph up to a count (and one past the last), drawn by `rasterize`.
template <typename Rasterize> void draw_glyphs(const SfntFont& font, Rasterize rasterize) {
  GlyphBudget budget{int64_t{1} << 22, kWorkPerInput};
  const double scale = 16.0 / font.units_per_em;
  const uint16_t count = font.num_glyphs < kGlyphsPerInput ? font.num_glyphs : kGlyphsPerInput;
  for (uint16_t glyph = 0; glyph <= count && !budget.exhausted; ++glyph)
    (void)rasterize(glyph, scale, budget);
}

// The instance the input's first bytes give; false for a font without variations.
bool select_input_instance(const uint8_t* data, SfntFont& font) {
  FontVariations& variations = font.variations;
  if (variations.axes.size == 0)
    return false;
  dv::vector<double> values;
  (void)parse_variation_settings("wght=700, wdth=75", variations, values);
  for (uint64_t axis = 0; axis < variations.axes.size; ++axis) {
    const VariationAxis& a = variations.axes.data[axis];
    const uint32_t raw = axis < 4 ? uint32_t(data[2 * axis] << 8 | data[2 * axis + 1]) : 0x8000;
    // -0.25 to 1.25 of the range: values beyond it are clamped.
    values.data[axis] = a.minimum + (a.maximum - a.minimum) * (raw / 43690.0 - 0.25);
  }
  select_instance(font.data, variations, values.data);
  return true;
}

// The font's glyphs at the default instance, then at the input's.
template <typename Rasterize>
void exercise_font(const uint8_t* data, SfntFont& font, Rasterize rasterize) {
  map_characters(font);
  draw_glyphs(font, rasterize);
  if (select_input_instance(data, font))
    draw_glyphs(font, rasterize);
}

void exercise(const uint8_t* data, size_t size) {
  const dv::vector<unsigned char> bytes(data + kInstanceBytes, data + size);
  TrueTypeFont truetype;
  truetype.reads_extended_cmaps = true;
  if (load_truetype_font(truetype, bytes)) {
    TrueTypeGlyphScratch scratch;
    exercise_font(data, truetype, [&](uint16_t glyph, double scale, GlyphBudget& budget) {
      return rasterize_truetype_glyph(truetype, glyph, scale, scratch, budget);
    });
    return;
  }
  CffFont cff;
  cff.reads_extended_cmaps = true;
  if (load_cff_font(cff, bytes, 0)) {
    CffGlyphScratch scratch;
    exercise_font(data, cff, [&](uint16_t glyph, double scale, GlyphBudget& budget) {
      return rasterize_cff_glyph(cff, glyph, scale, scratch, budget);
    });
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kInstanceBytes)
    return 0;
  const fuzzheap::InputHeap heap(data, size);
  dv::null_on_allocation_failure([&] { exercise(data, size); });
  return 0;
}
