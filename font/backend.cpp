#include "font/backend.h"

FontBackend::~FontBackend() = default;

GlyphBitmap FontBackend::measure(unsigned int codepoint, double scale, GlyphBudget& budget) {
  GlyphBitmap bitmap = rasterize(codepoint, scale, budget);
  bitmap.pixels = dv::vector<unsigned char>();
  return bitmap;
}

double FontBackend::kerning(unsigned int, unsigned int, GlyphBudget&) {
  return 0.0;
}

bool FontBackend::has_glyph(unsigned int) {
  return true;
}
