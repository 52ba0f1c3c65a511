#include "unit/font/fake_font_backend.h"

namespace testfont {

GlyphBitmap FakeBackend::rasterize(unsigned int codepoint, double scale) {
  rasterized.push_back(codepoint);
  scales.push_back(scale);
  GlyphBitmap bitmap;
  last_work = 0;
  auto found = glyphs.find(codepoint);
  if (found == glyphs.end()) {
    return bitmap;
  }
  const FakeGlyph& glyph = found->second;
  last_work = glyph.raster_work;
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
