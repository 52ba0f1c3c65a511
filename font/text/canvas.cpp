#include "font/text/canvas.h"

#include "font/raster/pixel_rounding.h"

namespace {

int64_t clamp64(int64_t value, int64_t low, int64_t high) {
  return value < low ? low : (value > high ? high : value);
}

void compose_glyph(const PlacedGlyph& glyph, int64_t line_top, unsigned char* canvas, int64_t width,
                   int64_t height) {
  const GlyphBitmap& bitmap = *glyph.bitmap;
  const int64_t top = line_top + glyph.y;
  const int64_t left = glyph.x;
  // Bitmap rows and columns that land on the canvas.
  const int64_t first_row = clamp64(-top, 0, bitmap.height);
  const int64_t last_row = clamp64(height - top, 0, bitmap.height);
  const int64_t first_column = clamp64(-left, 0, bitmap.width);
  const int64_t last_column = clamp64(width - left, 0, bitmap.width);
  for (int64_t row = first_row; row < last_row; ++row) {
    const unsigned char* source = bitmap.pixels.data + row * bitmap.width;
    unsigned char* target = canvas + (top + row) * width + left;
    for (int64_t column = first_column; column < last_column; ++column) {
      const unsigned int coverage = source[column];
      if (coverage == 0) {
        continue;
      }
      const unsigned int below = target[column];
      target[column] = static_cast<unsigned char>(coverage + ((255 - coverage) * below) / 255);
    }
  }
}

bool draws(const GlyphBitmap& bitmap) {
  // A bitmap whose pixel vector is shorter than its size claims is left out rather than
  // read past its end.
  return bitmap.width > 0 && bitmap.height > 0 &&
         bitmap.pixels.size >= static_cast<uint64_t>(bitmap.width) * bitmap.height;
}

unsigned char clamp_component(int value) {
  return static_cast<unsigned char>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

} // namespace

dv::vector<unsigned char> compose_lines(const dv::vector<LineLayout>& lines, int32_t width,
                                        int32_t height) {
  dv::vector<unsigned char> canvas(static_cast<size_t>(width) * static_cast<size_t>(height));
  int64_t line_top = 0;
  for (const LineLayout& line : lines) {
    for (const PlacedGlyph& glyph : line.glyphs) {
      if (draws(*glyph.bitmap)) {
        compose_glyph(glyph, line_top, canvas.data, width, height);
      }
    }
    line_top += line.height;
  }
  return canvas;
}

uint8_t* expand_to_rgba(const dv::vector<unsigned char>& canvas, int red, int green, int blue,
                        double opacity) {
  const unsigned char r = clamp_component(red);
  const unsigned char g = clamp_component(green);
  const unsigned char b = clamp_component(blue);
  const unsigned int alpha_scale =
      static_cast<unsigned int>(clamp64(pixel_rounding::nearest_to_int64(opacity), 0, 255));
  auto* pixels = new uint8_t[canvas.size * 4];
  for (size_t i = 0; i < canvas.size; ++i) {
    pixels[4 * i] = r;
    pixels[4 * i + 1] = g;
    pixels[4 * i + 2] = b;
    pixels[4 * i + 3] = static_cast<uint8_t>((canvas.data[i] * alpha_scale) / 255);
  }
  return pixels;
}
