// Fuzzes laid-out text: a chain of fonts (a main font and up to three fallbacks, each its
// own font file), a layout record with any width, alignment, line gap and flags (unknown
// values included), and a draw onto a small surface at any position, on the fuzzers'
// small heap (fuzz/support/fuzz_heap.h).
// Input: byte 0 the pixel size (high bit: kerning), byte 1 the number of fallbacks (low
// two bits), the surface format (next two bits; 0 is no format), the order the handles
// are freed (bit 4) and light hinting (bit 5); bytes 2-3 the width (signed), byte 4 the alignment,
// byte 5 the line gap (signed), byte 6 the flags, bytes 7-10 the draw position (two signed 16-bit
// values), bytes 11-12 the surface's width and height, bytes 13-14 the text's length, then the
// text, then each font but the last as a 3-byte length and its bytes, then the last font.
// All little-endian. Checks: measure gives render's size, the caret positions are in
// order and inside the image, and the draw leaves the surface exactly as blending render's
// image onto it would (never a byte outside the surface rows or the image's place).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "font/entry_points.h"
#include "font/load_options.h"
#include "font/render_limits.h"
#include "font/text/fallback_list.h"
#include "font/text/image.h"
#include "font/text/laid_out_text.h"
#include "fuzz/support/fuzz_heap.h"
#include "support/surface_oracle.h"

namespace {

constexpr float kPixelSizes[] = {1.0f, 7.0f, 12.0f, 16.0f, 33.0f, 72.0f};
constexpr int kMaxFonts = 4;
// Bytes after each surface row and after the surface, which a draw must never write.
constexpr int kRowPadding = 12;
constexpr int kTail = 64;
constexpr int kRed = 10;
constexpr int kGreen = 200;
constexpr int kBlue = 77;
constexpr double kOpacity = 180.0;

struct Input {
  const uint8_t* data;
  size_t size;
  size_t at = 0;

  size_t take(size_t count) {
    const size_t start = at;
    at += count < size - at ? count : size - at;
    return start;
  }
  uint32_t byte(size_t offset) const { return data[offset]; }
  int32_t int16(size_t offset) const {
    return static_cast<int16_t>(static_cast<uint16_t>(data[offset] | data[offset + 1] << 8));
  }
};

// The surface as a draw of `image` at (x, y) must leave it.
std::vector<uint8_t> expected_surface(std::vector<uint8_t> pixels, const DvTtfSurface& surface,
                                      const TextImage& image, int x, int y) {
  surface_oracle::blit(image.pixels, image.width, image.height, pixels.data(), surface.width,
                       surface.height, surface.pitch, surface.format, x, y);
  return pixels;
}

void check_carets(void* font, const char* text, const DvTtfLayout& layout, const TextImage& image) {
  const long count = dv::dv_ttf_font_caret_positions(font, text, &layout, nullptr, 0);
  if (count <= 0)
    return; // the heap refused a request
  std::vector<DvTtfCaret> carets(static_cast<size_t>(count));
  if (dv::dv_ttf_font_caret_positions(font, text, &layout, carets.data(), carets.size()) != count)
    return;
  const size_t length = std::strlen(text);
  // A text that draws no line (empty) still gives its one caret a line box, for a caret in
  // an empty field; the image is then 0 x 0.
  const int64_t image_height = image.height > 0 ? image.height : INT64_MAX;
  for (long i = 0; i < count; ++i) {
    const DvTtfCaret& caret = carets[i];
    const bool ordered = i == 0 || (caret.byte_offset > carets[i - 1].byte_offset &&
                                    caret.line >= carets[i - 1].line);
    if (!ordered || caret.byte_offset > length || caret.line < 0 || caret.x < 0 || caret.top < 0 ||
        caret.height < 0 || int64_t{caret.top} + caret.height > image_height)
      std::abort();
  }
  if (carets[count - 1].byte_offset != length)
    std::abort();
}

void render_measure_draw(void* font, const char* text, const DvTtfLayout& layout,
                         DvTtfSurface surface, int x, int y) {
  int width = -1;
  int height = -1;
  int baseline = -1;
  const uint64_t refused = fuzzheap::counts().refused_requests;
  const int measured =
      dv::dv_ttf_font_measure_layout(font, text, &layout, &width, &height, &baseline);
  TextImage* image =
      dv::dv_ttf_font_render_layout(font, text, &layout, kRed, kGreen, kBlue, kOpacity);
  const bool heap_refused = fuzzheap::counts().refused_requests != refused;
  if (!heap_refused && (measured == 1) != (image != nullptr))
    std::abort();
  if (image == nullptr)
    return;
  if (measured == 1 && (width != image->width || height != image->height || baseline < 0))
    std::abort();
  if (int64_t{image->width} * image->height > render_limits::kMaxImagePixels)
    std::abort();
  check_carets(font, text, layout, *image);

  // The surface with padding after each row and a tail after the last, all patterned.
  std::vector<uint8_t> pixels(size_t(surface.pitch) * surface.height + kTail);
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = static_cast<uint8_t>(i * 37 + 11);
  const std::vector<uint8_t> before = pixels;
  surface.pixels = pixels.data();
  const uint64_t refused_before_draw = fuzzheap::counts().refused_requests;
  const int drawn =
      dv::dv_ttf_font_draw(font, text, &layout, &surface, x, y, kRed, kGreen, kBlue, kOpacity);
  const bool valid_format = surface.format >= text_layout::kFormatBgrx8888 &&
                            surface.format <= text_layout::kFormatRgba8888;
  if (drawn == 1 && !valid_format)
    std::abort();
  if (drawn == 0) {
    if (valid_format && fuzzheap::counts().refused_requests == refused_before_draw)
      std::abort();
    if (pixels != before)
      std::abort();
  } else if (pixels != expected_surface(before, surface, *image, x, y)) {
    std::abort();
  }
  delete[] image->pixels;
  delete image;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kHeader = 15;
  if (size < kHeader)
    return 0;
  const fuzzheap::InputHeap heap(data, size);
  Input input{data, size, kHeader};
  const float pixel_size = kPixelSizes[(data[0] & 0x7F) % (sizeof kPixelSizes / sizeof(float))];
  const unsigned int options = ((data[0] & 0x80) != 0 ? load_option::kKerning : 0) |
                               ((data[1] & 0x20) != 0 ? load_option::kHinting : 0);
  const int fonts = 1 + (data[1] & 3);
  const DvTtfLayout layout{input.int16(2), static_cast<int32_t>(data[4] % 5) - 1,
                           static_cast<int8_t>(data[5]), data[6] % 4u};
  DvTtfSurface surface{nullptr, 1 + data[11] % 48, 1 + data[12] % 48, 0, (data[1] >> 2) & 3u};
  surface.pitch = surface.width * 4 + kRowPadding;

  const size_t text_length = input.byte(13) | input.byte(14) << 8;
  const size_t text_start = input.take(text_length);
  std::vector<char> text(data + text_start, data + input.at);
  text.push_back(0);

  void* handles[kMaxFonts] = {};
  for (int i = 0; i < fonts; ++i) {
    size_t length = size - input.at;
    if (i + 1 < fonts && size - input.at >= 3) {
      const size_t prefix = input.take(3);
      length = data[prefix] | size_t{data[prefix + 1]} << 8 | size_t{data[prefix + 2]} << 16;
    }
    const size_t start = input.take(length);
    handles[i] =
        dv::dv_ttf_font_load_memory_ex(data + start, input.at - start, pixel_size, options);
  }
  if (handles[0] != nullptr) {
    // Null entries are refused; the handle itself and repeats are left out of the list.
    void* list[kMaxFonts + 1] = {};
    unsigned long count = 0;
    for (int i = 1; i < fonts; ++i)
      if (handles[i] != nullptr)
        list[count++] = handles[i];
    list[count++] = handles[data[6] >> 6 & 1 ? 0 : fonts - 1];
    dv::dv_ttf_font_set_fallbacks(handles[0], list, count);
    render_measure_draw(handles[0], text.data(), layout, surface, input.int16(7), input.int16(9));
  }
  // Either order: a fallback still in a list stays alive until the list lets it go.
  for (int i = 0; i < fonts; ++i) {
    const int which = (data[1] & 0x10) != 0 ? fonts - 1 - i : i;
    if (handles[which] != nullptr)
      dv::dv_ttf_font_free(handles[which]);
  }
  return 0;
}
