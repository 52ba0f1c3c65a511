#include "font/cff/glyph_bitmap.h"

#include "font/cff/charstring.h"
#include "font/hinting/light_hinting.h"

namespace {

template <typename T> size_t held_bytes(const dv::vector<T>& v) {
  return v.capacity * sizeof(T);
}

// Gives back large scratch storage after a glyph, also when its rasterization failed to
// allocate and unwinds.
struct ScratchTrimmer {
  CffGlyphScratch& scratch;
  ~ScratchTrimmer() {
    if (held_bytes(scratch.outline.segments) + held_bytes(scratch.raster) > kMaxKeptScratchBytes)
      scratch = CffGlyphScratch();
  }
};

// A fresh builder that keeps the storage of `builder`'s edges.
void restart_outline(OutlineBuilder& builder) {
  dv::vector<LineSegment> segments = static_cast<dv::vector<LineSegment>&&>(builder.segments);
  segments.clear();
  builder = OutlineBuilder();
  builder.segments = static_cast<dv::vector<LineSegment>&&>(segments);
}

GlyphBitmap empty_bitmap(double advance) {
  GlyphBitmap bitmap;
  bitmap.advance = advance;
  return bitmap;
}

// The glyph's bitmap with its outline built in `scratch` and paid from `budget`; `finish`
// turns the outline into the bitmap, rasterized or only measured, paying for that too.
template <typename Finish>
GlyphBitmap glyph_with_scratch(const CffFont& font, uint32_t glyph, double scale,
                               CffGlyphScratch& scratch, GlyphBudget& budget, LightHinting* hinting,
                               Finish finish) {
  const ScratchTrimmer trimmer{scratch};
  const uint16_t metrics_glyph = glyph < font.num_glyphs ? static_cast<uint16_t>(glyph) : 0;
  uint16_t width = 0;
  if (!advance_width(font, metrics_glyph, width))
    return empty_bitmap(font.units_per_em * scale);
  const double advance = width * scale;
  restart_outline(scratch.outline);
  CharstringWork work;
  const bool drawn = draw_cff_glyph(font, glyph, scale, scratch.outline, work);
  if (!budget.spend(kWorkPerInterpreterStep * work.steps))
    return empty_bitmap(advance);
  // A glyph past its limits is refused; a malformed one is blank.
  if (work.past_limits() || scratch.outline.overflowed) {
    budget.refuse();
    return empty_bitmap(advance);
  }
  if (!drawn)
    return empty_bitmap(advance);
  if (hinting != nullptr && !hint_outline(scratch.outline, scale, *hinting, budget))
    return empty_bitmap(advance);
  GlyphBitmap bitmap = finish(scratch.outline, advance);
  bitmap.advance = advance;
  return bitmap;
}

} // namespace

GlyphBitmap rasterize_cff_glyph(const CffFont& font, uint32_t glyph, double scale,
                                CffGlyphScratch& scratch, GlyphBudget& budget,
                                LightHinting* hinting) {
  return glyph_with_scratch(font, glyph, scale, scratch, budget, hinting,
                            [&](const OutlineBuilder& outline, double advance) {
                              return rasterize_outline(outline, advance, scratch.raster, budget);
                            });
}

GlyphBitmap measure_cff_glyph(const CffFont& font, uint32_t glyph, double scale,
                              CffGlyphScratch& scratch, GlyphBudget& budget,
                              LightHinting* hinting) {
  return glyph_with_scratch(font, glyph, scale, scratch, budget, hinting,
                            [&](const OutlineBuilder& outline, double advance) {
                              return measure_outline(outline, advance, budget);
                            });
}
