#include "unit/font/fake_font_backend.h"

namespace testfont {

GlyphBitmap FakeBackend::rasterize(unsigned int codepoint, double scale, GlyphBudget& budget) {
  rasterized.push_back(codepoint);
  scales.push_back(scale);
  GlyphBitmap bitmap = box(codepoint, budget);
  if (bitmap.width > 0 && bitmap.height > 0) {
    bitmap.pixels.resize(static_cast<size_t>(bitmap.width) * bitmap.height,
                         glyphs.at(codepoint).coverage);
  }
  return bitmap;
}

GlyphBitmap FakeBackend::measure(unsigned int codepoint, double, GlyphBudget& budget) {
  measured.push_back(codepoint);
  return box(codepoint, budget);
}

GlyphBitmap FakeBackend::box(unsigned int codepoint, GlyphBudget& budget) {
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
  return bitmap;
}

FontHandle* make_fake_handle(FakeBackend* backend, float pixel_size) {
  auto* handle = new FontHandle;
  handle->backend = backend;
  handle->pixel_size = pixel_size;
  return handle;
}

FontHandle* copy_fake_handle(const FontHandle& handle, bool kerning) {
  auto* backend = new FakeBackend(*static_cast<const FakeBackend*>(handle.backend));
  backend->kerning_on = kerning;
  FontHandle* copy = make_fake_handle(backend, handle.pixel_size);
  for (const auto& entry : handle.bitmap_cache.entries) {
    const GlyphBitmap& cached = entry.second;
    GlyphBitmap bitmap;
    bitmap.left = cached.left;
    bitmap.top = cached.top;
    bitmap.width = cached.width;
    bitmap.height = cached.height;
    bitmap.advance = cached.advance;
    bitmap.pixels = cached.pixels;
    copy->bitmap_cache.emplace(entry.first, static_cast<GlyphBitmap&&>(bitmap));
  }
  return copy;
}

} // namespace testfont
