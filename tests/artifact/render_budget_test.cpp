// One render's host memory under a 64 MiB host heap: texts from 1 KiB to 64 MiB of
// several kinds each give an image or null, never a halt, and the most memory the render
// held at once stays within the budget docs/limits.md states.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "artifact/artifact_fixture.h"
#include "support/utf8_encode.h"

namespace {

constexpr const char* kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// The documented limits.
constexpr size_t kTextLimit = size_t{1} << 19;
constexpr size_t kImageLimit = size_t{1} << 24;
constexpr size_t kNewGlyphLimit = size_t{1} << 14;
constexpr size_t kNewGlyphPixelLimit = size_t{1} << 24;

// What a render of `bytes` bytes in `lines` lines may hold at once (docs/limits.md): the
// code-point set, 96 bytes of cache per new code point, 16 per byte of placements, 32 per
// line, the new bitmaps, the canvas and its RGBA, and one glyph being rasterized (small at
// the sizes used here).
size_t render_budget(size_t bytes, size_t lines) {
  const size_t new_glyphs = std::min(bytes, kNewGlyphLimit);
  constexpr size_t kOneGlyph = size_t{1} << 20;
  return (size_t{1} << 18) + 96 * new_glyphs + 16 * bytes + 32 * lines + kNewGlyphPixelLimit +
         5 * kImageLimit + kOneGlyph + 4096;
}

struct TextKind {
  const char* name;
  std::string (*make)(size_t bytes);
};

std::string repeated(const std::string& unit, size_t bytes) {
  std::string text;
  text.reserve(bytes + unit.size());
  while (text.size() < bytes) {
    text += unit;
  }
  text.resize(bytes);
  return text;
}

std::string ascii_line(size_t bytes) {
  return repeated("The quick brown fox jumps over the lazy dog. ", bytes);
}
std::string ascii_columns(size_t bytes) {
  return repeated(std::string(79, 'e') + "\n", bytes);
}
std::string one_codepoint(size_t bytes) {
  return repeated("\xE2\x96\x88", bytes - bytes % 3); // U+2588, full block
}
std::string distinct_codepoints(size_t bytes) {
  std::string unit;
  for (char32_t cp = 0x4E00; cp < 0x4E00 + kNewGlyphLimit; ++cp) {
    textref::append_utf8(unit, cp);
  }
  return repeated(unit, bytes - bytes % 3);
}
std::string invalid_utf8(size_t bytes) {
  std::string unit;
  for (int i = 0; i < 251; ++i) {
    unit += static_cast<char>(0x80 + (i * 37) % 128); // continuation and high lead bytes
    unit += i % 5 == 0 ? "\n" : "";
  }
  return repeated(unit, bytes);
}

const TextKind kKinds[] = {{"ascii_line", ascii_line},
                           {"ascii_80_columns", ascii_columns},
                           {"one_codepoint", one_codepoint},
                           {"distinct_codepoints", distinct_codepoints},
                           {"invalid_utf8", invalid_utf8}};

class RenderBudget : public dvtest::ArtifactTest {
protected:
  void* load(float pixel_size) {
    std::ifstream in(kDejaVuSans, std::ios::binary);
    const std::vector<char> bytes(std::istreambuf_iterator<char>(in), {});
    if (bytes.empty()) {
      return nullptr;
    }
    return fn<void*(const void*, unsigned long, float)>("_Z23dv_ttf_font_load_memoryPKvmf")(
        bytes.data(), bytes.size(), pixel_size);
  }

  // Renders `text` with a fresh handle; false when the render halted. `drawn` tells
  // whether an image came back, `peak` the most host memory the render held.
  bool render_within_heap(float pixel_size, const std::string& text, bool& drawn, size_t& peak) {
    void* font = load(pixel_size);
    EXPECT_NE(font, nullptr);
    if (font == nullptr) {
      return false;
    }
    struct Image {
      int32_t width, height;
      void* pixels;
    };
    Image* image = nullptr;
    const bool halted = halts([&] {
      peak = peak_host_bytes([&] {
        image = fn<Image*(void*, const char*, int, int, int, double)>(
            "_Z18dv_ttf_font_renderPvPKciiid")(font, text.c_str(), 0, 0, 0, 255.0);
      });
    });
    if (halted) {
      return false;
    }
    drawn = image != nullptr;
    if (drawn) {
      EXPECT_LE(size_t(image->width) * size_t(image->height), kImageLimit);
      fn<void(void*)>("_ZdaPv")(image->pixels);
      fn<void(void*)>("_ZdlPv")(image);
    }
    fn<void(void*)>("_Z16dv_ttf_font_freePv")(font);
    return true;
  }
};

} // namespace

TEST_F(RenderBudget, TextsOfEveryKindAndSizeStayWithinTheBudget) {
  set_host_heap_mb(64);
  const size_t sizes[] = {1 << 10, kTextLimit, 1 << 20, 16 << 20, 64 << 20};
  for (const TextKind& kind : kKinds) {
    for (size_t bytes : sizes) {
      const std::string text = kind.make(bytes);
      const size_t lines = 1 + std::count(text.begin(), text.end(), '\n');
      for (float pixel_size : {12.0f, 1.0f}) {
        bool drawn = false;
        size_t peak = 0;
        ASSERT_TRUE(render_within_heap(pixel_size, text, drawn, peak))
            << kind.name << " " << bytes << " bytes at " << pixel_size << " px halted";
        EXPECT_LE(peak, render_budget(text.size(), lines))
            << kind.name << " " << bytes << " bytes at " << pixel_size << " px";
        if (text.size() > kTextLimit) {
          EXPECT_FALSE(drawn) << kind.name << " " << bytes;
          EXPECT_EQ(peak, 0u) << "a refused text costs nothing";
        }
        std::printf("[ budget   ] %-20s %9zu bytes %4.0f px: %-5s peak %6.2f MiB of %6.2f MiB\n",
                    kind.name, text.size(), pixel_size, drawn ? "image" : "null", peak / 1048576.0,
                    render_budget(text.size(), lines) / 1048576.0);
      }
    }
  }
}
