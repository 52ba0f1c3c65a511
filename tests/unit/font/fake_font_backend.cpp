#include "unit/font/fake_font_backend.h"

namespace testfont {

GlyphBitmap FakeBackend::rasterize(unsigned int codepoint, double scale, GlyphBudget& budget) {
  rasterized.push_back(codepoint);
  scales.push_back(scale);
  GlyphBitmap bitmap;
  auto found = glyphs.find(codepoint);
  if (found == glyphs.end()) {
    return bitmap;
  }
  const FakeGlyph& glyph = found->second;
  const int64_t pixels =
      glyph.width > 0 && glyph.height > 0 ? int64_t{glyph.width} * glyph.height : 0;
  if (!budget.spend(glyph.raster_work) || !budget.take_pixels(pixels)) {
    return bitmap;
  }
  bitmap.left = glyph.left;
  bitmap.top = glyph.top;
  bitmap.width = glyph.width;
  bitmap.height = glyph.height;
  bitmap.advance = glyph.advance;
  if (glyph.width > 0 && glyph.height > 0) {
    bitmap.pixels.resize(static_cast<size_t>(glyph.width) * glyph.height, glyph.coverage);
  }
  return bitmap;
}

FontHandle* make_fake_handle(FakeBackend* backend, float pixel_size) {
  auto* handle = new FontHandle;
  handle->backend = backend;
  handle->pixel_size = pixel_size;
  return handle;
}

} // namespace testfont
