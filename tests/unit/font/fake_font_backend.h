// A FontBackend whose glyphs and metrics a test describes, counting rasterize calls.
#pragma once
#include <cstdint>
#include <map>
#include <vector>

#include "font/backend.h"
#include "font/entry_points.h"
#include "font/font_handle.h"

namespace testfont {

struct FakeGlyph {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  double advance = 0.0;
  unsigned char coverage = 255; // every pixel of the bitmap
  uint64_t raster_work = 0;     // work it costs the render's budget
};

class FakeBackend final : public FontBackend {
public:
  // Metrics in font units; 1000 units per em.
  double em = 1000.0;
  double ascender = 800.0;
  double descender = 200.0;
  double gap = 0.0;
  int rounding = 0;
  std::map<unsigned int, FakeGlyph> glyphs; // missing code points: no ink, advance 0
  std::vector<unsigned int> rasterized;     // every rasterize call, in order
  std::vector<double> scales;
  std::vector<unsigned int> measured; // every measure call, in order
  // Kerning in font units for every pair when set: (left * 7 + right) % 300 units closer,
  // each pair costing kerning_work.
  bool kerning_on = false;
  uint64_t kerning_work = 0;

  bool load(FontBytes) override { return true; }
  using FontBackend::rasterize;
  // Pays the glyph's raster_work and its pixels from `budget` before building it.
  GlyphBitmap rasterize(unsigned int codepoint, double scale, GlyphBudget& budget) override;
  // The same box and payment, without pixels.
  GlyphBitmap measure(unsigned int codepoint, double scale, GlyphBudget& budget) override;
  // Only the described code points have glyphs of their own.
  bool has_glyph(unsigned int codepoint) override { return glyphs.count(codepoint) != 0; }
  bool kerns() const override { return kerning_on; }
  double kerning(unsigned int left, unsigned int right, GlyphBudget& budget) override {
    budget.spend(kerning_work);
    return -static_cast<double>((left * 7 + right) % 300);
  }
  double units_per_em() const override { return em; }
  double ascent() const override { return ascender; }
  double descent() const override { return descender; }
  double line_gap() const override { return gap; }
  int metric_rounding() const override { return rounding; }

private:
  GlyphBitmap box(unsigned int codepoint, GlyphBudget& budget);
};

// A handle owning `backend` (freed with dv::dv_ttf_font_free).
FontHandle* make_fake_handle(FakeBackend* backend, float pixel_size);

// A handle with a copy of `handle`'s fake backend (kerning as given) and of its cache.
FontHandle* copy_fake_handle(const FontHandle& handle, bool kerning);

} // namespace testfont
