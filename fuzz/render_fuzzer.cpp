// Fuzzes the whole render path: font bytes, a text and a pixel size through
// dv_ttf_font_load_memory_ex, dv_ttf_font_render, a resize and a second render, each
// render preceded by a dv_ttf_font_measure that must give its size or refuse with it.
// Input: byte 0 picks the first pixel size (its high bit loads with kerning) and byte 1
// the second (its high bit loads with light hinting), bytes 2-3 give the text's length
// (little-endian, cut to what is there), then the text, then the font file. The render's own limits
// must keep every input fast and every image within the image limit. The library runs on the
// fuzzers' small heap (fuzz/support/fuzz_heap.h): a refused allocation gives null, and the next
// call works.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "font/entry_points.h"
#include "font/load_options.h"
#include "font/render_limits.h"
#include "font/text/image.h"
#include "fuzz/support/fuzz_heap.h"

namespace {

// Ordinary sizes, the smallest, and sizes where lines and glyphs outgrow the limits.
// Sizes of a few thousand pixels, where single glyphs of a million pixels are drawn, are
// left to the hostile campaign: under the sanitizers one such glyph takes seconds.
constexpr float kPixelSizes[] = {1.0f,  7.0f,   12.0f,  16.0f, 33.0f,
                                 72.0f, 150.0f, 400.0f, 1e6f,  1e30f};

float pixel_size(uint8_t selector) {
  return kPixelSizes[selector % (sizeof kPixelSizes / sizeof kPixelSizes[0])];
}

void render_and_release(void* font, const char* text) {
  int width = -1;
  int height = -1;
  int baseline = -1;
  const uint64_t refused = fuzzheap::counts().refused_requests;
  const int measured = dv::dv_ttf_font_measure(font, text, &width, &height, &baseline);
  TextImage* image = dv::dv_ttf_font_render(font, text, 10, 20, 30, 200.0);
  // A measure and a render agree unless the heap refused one of them a request.
  const bool heap_refused = fuzzheap::counts().refused_requests != refused;
  if (!heap_refused && (measured == 1) != (image != nullptr))
    std::abort();
  if (image == nullptr)
    return;
  if (measured == 1 && (width != image->width || height != image->height || baseline < 0))
    std::abort();
  const int64_t pixels = int64_t{image->width} * image->height;
  if (image->width < 0 || image->height < 0 || pixels > render_limits::kMaxImagePixels)
    std::abort();
  delete[] image->pixels;
  delete image;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4)
    return 0;
  const fuzzheap::InputHeap heap(data, size);
  size_t text_length = data[2] | size_t{data[3]} << 8;
  text_length = text_length < size - 4 ? text_length : size - 4;
  const std::vector<char> text = [&] {
    std::vector<char> bytes(data + 4, data + 4 + text_length);
    bytes.push_back(0);
    return bytes;
  }();
  const uint8_t* font_bytes = data + 4 + text_length;
  const size_t font_size = size - 4 - text_length;
  const unsigned int options = ((data[0] & 0x80) != 0 ? load_option::kKerning : 0) |
                               ((data[1] & 0x80) != 0 ? load_option::kHinting : 0);
  void* font =
      dv::dv_ttf_font_load_memory_ex(font_bytes, font_size, pixel_size(data[0] & 0x7F), options);
  if (font == nullptr)
    return 0;
  render_and_release(font, text.data());
  dv::dv_ttf_font_resize(font, pixel_size(data[1]));
  render_and_release(font, text.data());
  render_and_release(font, text.data()); // from the cache
  dv::dv_ttf_font_free(font);
  return 0;
}
