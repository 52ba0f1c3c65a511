#include "font/text/canvas.h"

#include "font/text/pixel_rounding.h"

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

namespace {

// Sixteen bytes, eight 16-bit or four 32-bit lanes: SSE2 registers, without a header.
using Bytes16 = uint8_t __attribute__((vector_size(16)));
using Words8 = uint16_t __attribute__((vector_size(16)));
using Words4 = uint32_t __attribute__((vector_size(16)));

// Pixels as 32-bit words, R G B A in memory order: the colour, clamped to 0-255, and
// alpha (coverage * A) / 255 with A = lround(opacity) clamped to 0-255.
struct RgbaWords {
  uint32_t colour;
  uint32_t alpha_scale;

  RgbaWords(int red, int green, int blue, double opacity)
      : colour(static_cast<uint32_t>(clamp64(red, 0, 255)) |
               static_cast<uint32_t>(clamp64(green, 0, 255)) << 8 |
               static_cast<uint32_t>(clamp64(blue, 0, 255)) << 16),
        alpha_scale(
            static_cast<uint32_t>(clamp64(pixel_rounding::nearest_to_int64(opacity), 0, 255))) {}

  uint32_t word(unsigned int coverage) const {
    return colour | ((coverage * alpha_scale) / 255) << 24;
  }

  // Eight coverage values at once. x = coverage * A is at most 255 * 255 = 65025, so it
  // fits 16 bits, and for every x from 0 to 65025 floor(x / 255) equals
  // (x + 1 + (x >> 8)) >> 8 (checked over the whole range), whose sum stays below 65281.
  Words8 alphas(Words8 coverage) const {
    const Words8 x = coverage * static_cast<uint16_t>(alpha_scale);
    return (x + 1 + (x >> 8)) >> 8;
  }

  // Writes the pixels of eight alpha values at `out`.
  void store(Words8 alpha, uint8_t* out) const {
    const Words8 zero = {};
    const Words4 low =
        reinterpret_cast<Words4>(__builtin_shufflevector(alpha, zero, 0, 8, 1, 9, 2, 10, 3, 11));
    const Words4 high =
        reinterpret_cast<Words4>(__builtin_shufflevector(alpha, zero, 4, 12, 5, 13, 6, 14, 7, 15));
    const Words4 first = low << 24 | colour;
    const Words4 second = high << 24 | colour;
    __builtin_memcpy(out, &first, 16);
    __builtin_memcpy(out + 16, &second, 16);
  }

  // Writes the pixels of coverage[0..16) at `out`.
  void expand16(const unsigned char* coverage, uint8_t* out) const {
    const Bytes16 zero = {};
    Bytes16 bytes;
    __builtin_memcpy(&bytes, coverage, 16);
    const auto low = reinterpret_cast<Words8>(__builtin_shufflevector(
        bytes, zero, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23));
    const auto high = reinterpret_cast<Words8>(__builtin_shufflevector(
        bytes, zero, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31));
    store(alphas(low), out);
    store(alphas(high), out + 32);
  }

  // Writes the pixels for coverage[0..count) at `out`, sixteen at a time.
  // From 16 values on, a last partial group is done as the 16 values ending at `count`,
  // rewriting some pixels with the same words.
  void expand(const unsigned char* coverage, size_t count, uint8_t* out) const {
    if (count < 16) {
      expand_few(coverage, count, out);
      return;
    }
    size_t i = 0;
    for (; i + 16 <= count; i += 16)
      expand16(coverage + i, out + 4 * i);
    if (i < count)
      expand16(coverage + count - 16, out + 4 * (count - 16));
  }

  // Fewer than 16 pixels: without the 16-wide set-up.
  void expand_few(const unsigned char* coverage, size_t count, uint8_t* out) const {
    if (alpha_scale == 255) {
      // Opaque: (coverage * 255) / 255 is the coverage itself, so each word is the colour
      // with the coverage as alpha, what `word` gives. Four at a time, each coverage byte
      // moved to the top byte of its word (the words are little-endian: byte 3 of word k is
      // coverage[k] << 24), the rest one at a time.
      const Words4 colours = {colour, colour, colour, colour};
      const Bytes16 zero = {};
      size_t i = 0;
      for (; i + 4 <= count; i += 4) {
        uint32_t four;
        __builtin_memcpy(&four, coverage + i, 4);
        const Words4 held = {four, 0, 0, 0};
        const Bytes16 bytes = reinterpret_cast<Bytes16>(held);
        const auto alphas = reinterpret_cast<Words4>(__builtin_shufflevector(
            bytes, zero, 16, 16, 16, 0, 16, 16, 16, 1, 16, 16, 16, 2, 16, 16, 16, 3));
        const Words4 pixels = alphas | colours;
        __builtin_memcpy(out + 4 * i, &pixels, 16);
      }
#pragma clang loop vectorize(disable) interleave(disable)
      for (; i < count; ++i) {
        const uint32_t pixel = colour | static_cast<uint32_t>(coverage[i]) << 24;
        __builtin_memcpy(out + 4 * i, &pixel, 4);
      }
      return;
    }
#pragma clang loop vectorize(disable) interleave(disable)
    for (size_t i = 0; i < count; ++i) {
      const uint32_t pixel = word(coverage[i]);
      __builtin_memcpy(out + 4 * i, &pixel, 4);
    }
  }

  // Writes `count` pixels without coverage at `out`.
  void clear(size_t count, uint8_t* out) const {
    const Words4 pixels = {colour, colour, colour, colour};
    size_t i = 0;
    for (; i + 4 <= count; i += 4)
      __builtin_memcpy(out + 4 * i, &pixels, 16);
    for (; i < count; ++i)
      __builtin_memcpy(out + 4 * i, &colour, 4);
  }
};

} // namespace

// Each pixel is one 32-bit word, written once.
uint8_t* expand_to_rgba(const dv::vector<unsigned char>& canvas, int red, int green, int blue,
                        double opacity) {
  auto* pixels = new uint8_t[canvas.size * 4];
  RgbaWords(red, green, blue, opacity).expand(canvas.data, canvas.size, pixels);
  return pixels;
}

// The canvas would hold the glyph's coverage where it lands (blending over 0 gives the
// coverage itself) and 0 elsewhere, so each canvas row's pixels are written straight from
// the glyph row: 0 left of the glyph, its coverage, 0 right of it.
uint8_t* glyph_to_rgba(const PlacedGlyph& glyph, int32_t width, int32_t height, int red, int green,
                       int blue, double opacity) {
  const RgbaWords words(red, green, blue, opacity);
  const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height);
  auto* pixels = new uint8_t[size * 4];
  // The glyph covers the same columns on every row it reaches: found once, on its first row.
  RowSpan span;
  const int64_t first = clamp64(glyph.y, 0, height);
  const int64_t end = clamp64(static_cast<int64_t>(glyph.y) + glyph.bitmap->height, 0, height);
  const bool inked = first < end && span_on_row(glyph, 0, first, width, span);
  for (int64_t y = 0; y < height; ++y) {
    uint8_t* row = pixels + static_cast<size_t>(y) * width * 4;
    if (!inked || y < first || y >= end) {
      words.clear(static_cast<size_t>(width), row);
      continue;
    }
    const unsigned char* coverage =
        glyph.bitmap->pixels.data + (y - glyph.y) * glyph.bitmap->width + (span.from - span.left);
    words.clear(static_cast<size_t>(span.from), row);
    words.expand(coverage, static_cast<size_t>(span.to - span.from), row + 4 * span.from);
    words.clear(static_cast<size_t>(width - span.to), row + 4 * span.to);
  }
  return pixels;
}
