// The costliest glyphs the limits allow (tests/support/hostile_glyphs.h), TrueType and
// Type 1, drawn once and mapped to 1,024 and 16,384 distinct code points, under a 64 MiB
// host heap: every render gives an image or null, never halts, holds no more than the
// budget of docs/limits.md at its peak, and leaves nothing behind. Their CPU is a benchmark
// (bench/hostile_glyph_benchmarks.cpp), not a test.
#include <gtest/gtest.h>

#include <string>

#include "artifact/artifact_fixture.h"
#include "support/hostile_glyphs.h"
#include "support/utf8_encode.h"

namespace {

using testfont::Bytes;
using testfont::HostileShape;

// The budget of one render in docs/limits.md (the limits of font/render_limits.h): the set of
// new code points, 96 bytes of cache per new code point, 16 per byte of placements, 32 per
// line, the new bitmaps, one glyph's working storage, and the canvas with its RGBA.
constexpr size_t kMiB = size_t{1} << 20;
constexpr size_t kNewGlyphPixelLimit = size_t{1} << 24;
constexpr size_t kOneGlyphWorkingStorage = 30 * kMiB;

size_t render_budget(size_t text_bytes, size_t new_glyphs, size_t image_pixels) {
  return 256 * 1024 + 96 * new_glyphs + 16 * text_bytes + 32 + kNewGlyphPixelLimit +
         kOneGlyphWorkingStorage + 5 * image_pixels;
}

// `count` distinct code points none of the hostile fonts maps: TrueType draws glyph 0 for
// them, Type 1 ".notdef" (every code above 255).
std::string unmapped_codepoints(size_t count) {
  std::string text;
  for (char32_t cp = 0x4E00; cp < 0x4E00 + count; ++cp) {
    textref::append_utf8(text, cp);
  }
  return text;
}

struct Image {
  int32_t width;
  int32_t height;
  uint8_t* pixels;
};

class HostileGlyphs : public dvtest::ArtifactTest {};

} // namespace

TEST_F(HostileGlyphs, NoRenderHaltsOrPassesTheBudget) {
  set_host_heap_mb(64);
  auto load = fn<void*(const void*, unsigned long, float)>("_Z23dv_ttf_font_load_memoryPKvmf");
  auto render =
      fn<Image*(void*, const char*, int, int, int, double)>("_Z18dv_ttf_font_renderPvPKciiid");
  // The Type 1 glyph naming keeps its ".notdef" name for the life of the process: one
  // Type 1 render makes it before any case counts its blocks, whichever tests ran before.
  const Bytes first_type1 = testfont::hostile_type1(HostileShape::kNothingDrawn);
  void* first = load(first_type1.data(), first_type1.size(), testfont::kHostilePixelSize);
  ASSERT_NE(first, nullptr);
  Image* first_image = render(first, unmapped_codepoints(1).c_str(), 0, 0, 0, 255.0);
  if (first_image) {
    fn<void(void*)>("_ZdaPv")(first_image->pixels);
    fn<void(void*)>("_ZdlPv")(first_image);
  }
  fn<void(void*)>("_Z16dv_ttf_font_freePv")(first);
  for (bool type1 : {false, true}) {
    for (HostileShape shape : testfont::kHostileShapes) {
      const Bytes font_bytes =
          type1 ? testfont::hostile_type1(shape) : testfont::hostile_truetype(shape);
      for (size_t count : {size_t{1}, size_t{1024}, size_t{16384}}) {
        const std::string name = std::string(type1 ? "Type 1 " : "TrueType ") +
                                 testfont::hostile_shape_name(shape) + " x " +
                                 std::to_string(count);
        const long blocks = leaked_blocks();
        void* font = load(font_bytes.data(), font_bytes.size(), testfont::kHostilePixelSize);
        ASSERT_NE(font, nullptr) << name;
        const std::string text = unmapped_codepoints(count);
        Image* image = nullptr;
        size_t peak = 0;
        ASSERT_FALSE(halts([&] {
          peak = peak_host_bytes([&] { image = render(font, text.c_str(), 0, 0, 0, 255.0); });
        })) << name;
        const size_t pixels = image ? size_t(image->width) * size_t(image->height) : 0;
        EXPECT_LE(peak, render_budget(text.size(), count, pixels)) << name;
        std::printf("[ hostile  ] %-34s %-5s peak %6.2f MiB\n", name.c_str(),
                    image ? "image" : "null", peak / double(kMiB));
        if (image) {
          fn<void(void*)>("_ZdaPv")(image->pixels);
          fn<void(void*)>("_ZdlPv")(image);
        }
        fn<void(void*)>("_Z16dv_ttf_font_freePv")(font);
        EXPECT_EQ(leaked_blocks(), blocks) << name;
      }
    }
  }
}
