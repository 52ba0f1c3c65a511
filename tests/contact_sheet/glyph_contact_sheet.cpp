// Writes a PNG contact sheet of a font's glyphs as the library rasterizes them, so a person
// can look at the shapes: one cell per code point, the baseline in blue and the pen advance
// in red. The font is loaded by the extended loader with every format and feature on
// (TrueType, OpenType CFF, a collection's first face, Type 1 in full).
//
//   glyph_contact_sheet FONT OUT.png [PIXEL_SIZE [FIRST LAST]]
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "font/backend.h"
#include "font/entry_points.h"
#include "font/font_handle.h"
#include "font/load_options.h"

namespace {

constexpr int kMaxColumns = 32;
constexpr int kSheetWidth = 1600; // pixels the columns aim to fill

struct Rgb {
  unsigned char r, g, b;
};

class Canvas {
public:
  Canvas(int width, int height)
      : width_(width), height_(height),
        pixels_(static_cast<size_t>(width) * height, {255, 255, 255}) {}

  void put(int x, int y, Rgb colour) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_)
      pixels_[static_cast<size_t>(y) * width_ + x] = colour;
  }

  // Darkens a pixel by `coverage` (0-255) towards black.
  void ink(int x, int y, int coverage) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
      return;
    Rgb& p = pixels_[static_cast<size_t>(y) * width_ + x];
    auto blend = [coverage](unsigned char c) {
      return static_cast<unsigned char>(c * (255 - coverage) / 255);
    };
    p = {blend(p.r), blend(p.g), blend(p.b)};
  }

  bool write_png(const char* path) const {
    FILE* file = std::fopen(path, "wb");
    if (!file)
      return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
      png_destroy_write_struct(&png, &info);
      std::fclose(file);
      return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width_), static_cast<png_uint_32>(height_), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height_; ++y) {
      auto* row = const_cast<Rgb*>(&pixels_[static_cast<size_t>(y) * width_]);
      png_write_row(png, reinterpret_cast<png_bytep>(row));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
  }

private:
  int width_;
  int height_;
  std::vector<Rgb> pixels_;
};

// Draws one glyph with its pen at (pen_x, baseline) in canvas pixels (y down).
void draw_glyph(Canvas& canvas, const GlyphBitmap& glyph, int pen_x, int baseline) {
  for (int row = 0; row < glyph.height; ++row)
    for (int column = 0; column < glyph.width; ++column)
      canvas.ink(pen_x + glyph.left + column, baseline - glyph.top + row,
                 glyph.pixels.data[static_cast<size_t>(row) * glyph.width + column]);
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s FONT OUT.png [PIXEL_SIZE [FIRST LAST]]\n", argv[0]);
    return 2;
  }
  const double pixel_size = argc > 3 ? std::atof(argv[3]) : 32.0;
  const unsigned first = argc > 5 ? std::strtoul(argv[4], nullptr, 0) : 0x20;
  const unsigned last = argc > 5 ? std::strtoul(argv[5], nullptr, 0) : 0x24F;
  std::ifstream in(argv[1], std::ios::binary);
  const std::vector<unsigned char> bytes(std::istreambuf_iterator<char>(in), {});
  constexpr unsigned int kEveryFormat =
      load_option::kOpenTypeCff | load_option::kCollections | load_option::kCompleteType1;
  const std::unique_ptr<FontHandle, void (*)(void*)> font(
      static_cast<FontHandle*>(dv::dv_ttf_font_load_memory_ex(
          bytes.data(), bytes.size(), static_cast<float>(pixel_size), kEveryFormat)),
      dv::dv_ttf_font_free);
  if (font == nullptr) {
    std::fprintf(stderr, "%s: not a font the library reads\n", argv[1]);
    return 1;
  }
  FontBackend* backend = font->backend;
  const double scale = pixel_size / backend->units_per_em();
  const int ascent = static_cast<int>(std::ceil(backend->ascent() * scale));
  const int descent = static_cast<int>(std::ceil(backend->descent() * scale));
  const int cell_width = static_cast<int>(std::ceil(pixel_size * 1.4)) + 4;
  const int cell_height = ascent + descent + 6;
  const int count = static_cast<int>(last >= first ? last - first + 1 : 0);
  const int columns = std::clamp(kSheetWidth / cell_width, 1, kMaxColumns);
  const int rows = (count + columns - 1) / columns;
  Canvas canvas(columns * cell_width, std::max(rows, 1) * cell_height);
  for (int k = 0; k < count; ++k) {
    const int cell_x = (k % columns) * cell_width;
    const int cell_y = (k / columns) * cell_height;
    const int pen_x = cell_x + cell_width / 5;
    const int baseline = cell_y + 3 + ascent;
    for (int x = cell_x; x < cell_x + cell_width; ++x)
      canvas.put(x, baseline, {200, 215, 255});
    for (int y = cell_y; y < cell_y + cell_height; ++y)
      canvas.put(cell_x, y, {230, 230, 230});
    const GlyphBitmap glyph = backend->rasterize(first + static_cast<unsigned>(k), scale);
    const int advance_x = pen_x + static_cast<int>(std::lround(glyph.advance));
    for (int y = baseline - ascent; y <= baseline + descent; ++y)
      canvas.put(advance_x, y, {255, 190, 190});
    draw_glyph(canvas, glyph, pen_x, baseline);
  }
  if (!canvas.write_png(argv[2])) {
    std::fprintf(stderr, "%s: cannot write\n", argv[2]);
    return 1;
  }
  return 0;
}
