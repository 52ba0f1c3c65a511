// The RGBA expansion gives every pixel the colour and alpha (coverage * A) / 255, however
// it groups the pixels; a text of one glyph skips the coverage canvas, and its RGBA must be
// the bytes the canvas path gives, wherever the glyph lands (inside, clipped on any side,
// or off the image).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "font/text/canvas.h"

namespace {

struct Placement {
  const char* name;
  int32_t x, y; // the glyph's top-left pixel in the line box
  int32_t glyph_width, glyph_height;
  int32_t width, height; // the image
  int red, green, blue;
  double opacity;
};

const Placement kPlacements[] = {
    {"inside", 2, 1, 5, 4, 9, 7, 10, 20, 30, 255.0},
    {"filling the image", 0, 0, 6, 5, 6, 5, 0, 0, 0, 255.0},
    {"clipped right and below", 4, 3, 5, 4, 6, 5, 255, 0, 128, 127.5},
    {"clipped left and above", -2, -1, 5, 4, 6, 5, 1, 2, 3, 200.0},
    {"wider than the image", -1, 1, 9, 2, 6, 5, 300, -5, 7, 255.0},
    {"right of the image", 7, 0, 3, 3, 6, 5, 4, 5, 6, 255.0},
    {"below the image", 0, 6, 3, 3, 6, 5, 4, 5, 6, 255.0},
    {"no ink", 1, 1, 0, 0, 4, 3, 4, 5, 6, 255.0},
    {"transparent", 1, 1, 3, 3, 5, 5, 4, 5, 6, 0.0},
    {"rows of 16 and more", 3, 2, 37, 6, 45, 9, 9, 8, 7, 180.0},
    {"wide, clipped on both sides", -5, -2, 40, 7, 31, 4, 9, 8, 7, 255.0},
    {"opaque rows of fifteen", 0, 0, 15, 3, 15, 3, 70, 80, 90, 255.0},
    {"opaque rows of seven", 1, 0, 7, 4, 9, 4, 70, 80, 90, 255.0},
};

TEST(GlyphToRgba, GivesTheBytesOfTheCanvasPath) {
  for (const Placement& p : kPlacements) {
    GlyphBitmap bitmap;
    bitmap.width = p.glyph_width;
    bitmap.height = p.glyph_height;
    bitmap.pixels.resize(static_cast<size_t>(p.glyph_width) * p.glyph_height);
    for (size_t i = 0; i < bitmap.pixels.size; ++i)
      bitmap.pixels.data[i] = static_cast<unsigned char>(i * 37 % 256); // 0 and 255 included
    dv::vector<LineLayout> lines;
    LineLayout& line = lines.emplace_back();
    line.width = p.width;
    line.height = p.height;
    line.glyphs.push_back(PlacedGlyph{&bitmap, p.x, p.y});

    const dv::vector<unsigned char> canvas = compose_lines(lines, p.width, p.height);
    uint8_t* expected = expand_to_rgba(canvas, p.red, p.green, p.blue, p.opacity);
    uint8_t* direct =
        glyph_to_rgba(line.glyphs.data[0], p.width, p.height, p.red, p.green, p.blue, p.opacity);
    const size_t bytes = static_cast<size_t>(p.width) * p.height * 4;
    EXPECT_EQ(std::vector<uint8_t>(direct, direct + bytes),
              std::vector<uint8_t>(expected, expected + bytes))
        << p.name;
    delete[] expected;
    delete[] direct;
  }
}

TEST(ExpandToRgba, EveryCoverageAtEveryOpacity) {
  dv::vector<unsigned char> canvas;
  for (int i = 0; i < 256 + 256 + 7; ++i) // every value at two alignments, and a tail
    canvas.push_back(static_cast<unsigned char>(i * (i < 256 ? 1 : 3)));
  for (const double opacity : {0.0, 1.0, 127.5, 200.0, 254.0, 255.0}) {
    uint8_t* pixels = expand_to_rgba(canvas, 12, 300, -4, opacity);
    const unsigned a = static_cast<unsigned>(std::lround(opacity));
    for (size_t i = 0; i < canvas.size; ++i) {
      const uint8_t expected[4] = {12, 255, 0, static_cast<uint8_t>(canvas.data[i] * a / 255)};
      ASSERT_EQ(std::memcmp(pixels + 4 * i, expected, 4), 0) << opacity << " at " << i;
    }
    delete[] pixels;
  }
}

} // namespace
