#include "font/text/canvas.h"

#include "font/raster/pixel_rounding.h"

namespace {

int64_t clamp64(int64_t value, int64_t low, int64_t high) {
  return value < low ? low : (value > high ? high : value);
}

bool draws(const GlyphBitmap& bitmap) {
  // A bitmap whose pixel vector is shorter than its size claims is left out rather than
  // read past its end.
  return bitmap.width > 0 && bitmap.height > 0 &&
         bitmap.pixels.size >= static_cast<uint64_t>(bitmap.width) * bitmap.height;
}

unsigned char blend(unsigned int coverage, unsigned int below) {
  return static_cast<unsigned char>(coverage + ((255 - coverage) * below) / 255);
}

// The part of one glyph row that lands on a canvas row: canvas columns from..to-1, whose
// coverage is at(x).
struct RowSpan {
  int64_t from;
  int64_t to;
  const unsigned char* row; // the glyph row, starting at canvas column `left`
  int64_t left;
  unsigned int at(int64_t x) const { return row[x - left]; }
};

// The span of `glyph` on canvas row `y`, or false when it has none there.
bool span_on_row(const PlacedGlyph& glyph, int64_t line_top, int64_t y, int64_t width,
                 RowSpan& span) {
  const GlyphBitmap& bitmap = *glyph.bitmap;
  const int64_t row = y - (line_top + glyph.y);
  if (row < 0 || row >= bitmap.height || !draws(bitmap))
    return false;
  span.from = clamp64(glyph.x, 0, width);
  span.to = clamp64(static_cast<int64_t>(glyph.x) + bitmap.width, 0, width);
  span.row = bitmap.pixels.data + row * bitmap.width;
  span.left = glyph.x;
  return span.from < span.to;
}

void blend_span(const RowSpan& span, int64_t from, int64_t to, unsigned char* target) {
  for (int64_t x = from; x < to; ++x) {
    const unsigned int coverage = span.at(x);
    if (coverage != 0)
      target[x] = blend(coverage, target[x]);
  }
}

void zero(unsigned char* target, int64_t from, int64_t to) {
  for (int64_t x = from; x < to; ++x)
    target[x] = 0;
}

// Writes canvas row `y` for the first time from the line's glyphs, in their order: bytes
// left of `written` already hold ink and are blended, the others are written once
// (coverage over an empty canvas is the coverage itself), gaps and the rest with 0.
void write_fresh_row(const LineLayout& line, int64_t line_top, int64_t y, int64_t width,
                     unsigned char* target) {
  int64_t written = 0;
  RowSpan span;
  for (const PlacedGlyph& glyph : line.glyphs) {
    if (!span_on_row(glyph, line_top, y, width, span))
      continue;
    if (span.from > written) {
      zero(target, written, span.from);
      written = span.from;
    }
    const int64_t blended_end = span.to < written ? span.to : written;
    blend_span(span, span.from, blended_end, target);
    for (int64_t x = blended_end; x < span.to; ++x)
      target[x] = static_cast<unsigned char>(span.at(x));
    written = span.to > written ? span.to : written;
  }
  zero(target, written, width);
}

// Composes the line's glyphs onto canvas row `y`, which holds earlier lines' ink.
void blend_row(const LineLayout& line, int64_t line_top, int64_t y, int64_t width,
               unsigned char* target) {
  RowSpan span;
  for (const PlacedGlyph& glyph : line.glyphs)
    if (span_on_row(glyph, line_top, y, width, span))
      blend_span(span, span.from, span.to, target);
}

// The canvas rows the line's glyphs touch, clipped to the canvas, and the glyph pixels on
// them; false when none.
bool line_rows(const LineLayout& line, int64_t line_top, int64_t height, int64_t& first,
               int64_t& end, uint64_t& pixels) {
  first = height;
  end = 0;
  pixels = 0;
  for (const PlacedGlyph& glyph : line.glyphs) {
    if (!draws(*glyph.bitmap))
      continue;
    const int64_t top = clamp64(line_top + glyph.y, 0, height);
    const int64_t bottom = clamp64(line_top + glyph.y + glyph.bitmap->height, 0, height);
    first = top < first ? top : first;
    end = bottom > end ? bottom : end;
    pixels += glyph.bitmap->pixels.size;
  }
  return first < end;
}

} // namespace

// Every canvas row is written once by the first line that reaches it (ink where glyphs
// are, 0 elsewhere) and only blended by later lines; rows no line reaches are zeroed at
// the end. A row is built by walking the line's glyphs across it, which costs glyphs x
// rows; a line where that would far exceed its pixels (thousands of glyphs beside one
// very tall one) is composed glyph by glyph onto zeroed rows instead.
dv::vector<unsigned char> compose_lines(const dv::vector<LineLayout>& lines, int32_t width,
                                        int32_t height) {
  const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height);
  dv::vector<unsigned char> canvas;
  canvas.reserve(size);
  canvas.size = size; // bytes need no construction; every one is written below
  dv::vector<bool> row_written(static_cast<size_t>(height), false);
  int64_t line_top = 0;
  for (const LineLayout& line : lines) {
    int64_t first = 0;
    int64_t end = 0;
    uint64_t pixels = 0;
    if (line_rows(line, line_top, height, first, end, pixels)) {
      const bool by_rows = static_cast<uint64_t>(end - first) * line.glyphs.size <=
                           4 * (pixels + static_cast<uint64_t>(end - first) * width);
      for (int64_t y = first; y < end; ++y) {
        unsigned char* row = canvas.data + y * width;
        if (!row_written.data[y] && by_rows) {
          write_fresh_row(line, line_top, y, width, row);
        } else {
          if (!row_written.data[y])
            zero(row, 0, width);
          blend_row(line, line_top, y, width, row);
        }
        row_written.data[y] = true;
      }
    }
    line_top += line.height;
  }
  for (int64_t y = 0; y < height; ++y)
    if (!row_written.data[y])
      zero(canvas.data + y * width, 0, width);
  return canvas;
}

// Each pixel is one 32-bit word, R G B A in memory order, written once.
uint8_t* expand_to_rgba(const dv::vector<unsigned char>& canvas, int red, int green, int blue,
                        double opacity) {
  const uint32_t colour = static_cast<uint32_t>(clamp64(red, 0, 255)) |
                          static_cast<uint32_t>(clamp64(green, 0, 255)) << 8 |
                          static_cast<uint32_t>(clamp64(blue, 0, 255)) << 16;
  const auto alpha_scale =
      static_cast<uint32_t>(clamp64(pixel_rounding::nearest_to_int64(opacity), 0, 255));
  auto* pixels = new uint8_t[canvas.size * 4];
  const unsigned char* coverage = canvas.data;
  for (size_t i = 0; i < canvas.size; ++i) {
    const uint32_t word = colour | ((coverage[i] * alpha_scale) / 255) << 24;
    __builtin_memcpy(pixels + 4 * i, &word, 4);
  }
  return pixels;
}
