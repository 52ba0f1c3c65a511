// dv_ttf_font_render of the real artifact, with real fonts, checked against an image
// composed independently from the glyph bitmaps the handle cached.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "artifact/artifact_fixture.h"
#include "artifact/font_handle_view.h"
#include "support/text_image_reference.h"
#include "support/utf8_encode.h"

namespace {

constexpr const char* kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// The renderer's documented limits: the longest text in bytes and the largest image in
// pixels.
constexpr size_t kTextLimit = size_t{1} << 19;
constexpr int64_t kImageLimit = int64_t{1} << 24;

using LoadMemory = void*(const void*, unsigned long, float);
using LoadMemoryEx = void*(const void*, unsigned long, float, unsigned int);
constexpr unsigned int kKerningOption = 8;
using Free = void(void*);
using Release = void(void*);

// The records the library hands out and keeps, field by field.
struct ImageRecord {
  int32_t width;
  int32_t height;
  uint8_t* pixels;
  uint64_t reserved[2];
};
struct VectorRecord {
  void* data;
  size_t size;
  size_t capacity;
};
struct GlyphRecord {
  int32_t left, top, width, height;
  double advance;
  VectorRecord pixels;
};
struct CacheEntryRecord {
  uint32_t codepoint;
  GlyphRecord glyph;
};
struct HandleRecord {
  void* backend;
  float pixel_size;
  VectorRecord entries;
  VectorRecord buckets;
  VectorRecord next;
};

// A rendered image copied out of the library's allocations.
struct Rendered {
  bool null = true;
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;
  uint64_t reserved[2] = {1, 1};
  int baseline = -1; // what dv_ttf_font_measure gave
};

std::vector<uint8_t> file_bytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class TextRenderArtifact : public dvtest::ArtifactTest {
protected:
  void* load_dejavu(float pixel_size) {
    const std::vector<uint8_t> bytes = file_bytes(kDejaVuSans);
    if (bytes.empty()) {
      return nullptr;
    }
    return fn<LoadMemory>("_Z23dv_ttf_font_load_memoryPKvmf")(bytes.data(), bytes.size(),
                                                              pixel_size);
  }
  void free_font(void* handle) { fn<Free>("_Z16dv_ttf_font_freePv")(handle); }

  // Renders and releases the image with the library's own delete operators.
  Rendered render(void* handle, const std::string& text, int red = 0, int green = 0, int blue = 0,
                  double opacity = 255.0) {
    return render_raw(handle, text.c_str(), red, green, blue, opacity);
  }
  // Every render is checked against dv_ttf_font_measure made just before it on the same
  // handle: the image's size, or a refusal with the outputs untouched exactly where the
  // render gives null. The same check runs on a DejaVu Sans handle of the same size
  // loaded with kerning.
  Rendered render_raw(void* handle, const char* text, int red, int green, int blue,
                      double opacity) {
    if (handle != nullptr) {
      const std::vector<uint8_t> bytes = file_bytes(kDejaVuSans);
      void* kerned = fn<LoadMemoryEx>("_Z26dv_ttf_font_load_memory_exPKvmfj")(
          bytes.data(), bytes.size(), record(handle).pixel_size, kKerningOption);
      EXPECT_NE(kerned, nullptr);
      measured_render(kerned, text, red, green, blue, opacity);
      free_font(kerned);
    }
    return measured_render(handle, text, red, green, blue, opacity);
  }
  Rendered measured_render(void* handle, const char* text, int red, int green, int blue,
                           double opacity) {
    int size[3] = {-7, -7, -7};
    const int measured = fn<int(void*, const char*, int*, int*, int*)>(
        "_Z19dv_ttf_font_measurePvPKcPiS2_S2_")(handle, text, &size[0], &size[1], &size[2]);
    auto* image = fn<ImageRecord*(void*, const char*, int, int, int, double)>(
        "_Z18dv_ttf_font_renderPvPKciiid")(handle, text, red, green, blue, opacity);
    Rendered result;
    EXPECT_EQ(measured == 1, image != nullptr);
    if (image == nullptr) {
      EXPECT_EQ(std::vector<int>(size, size + 3), (std::vector<int>{-7, -7, -7}));
      return result;
    }
    EXPECT_EQ(size[0], image->width);
    EXPECT_EQ(size[1], image->height);
    result.baseline = size[2];
    result.null = false;
    result.width = image->width;
    result.height = image->height;
    const size_t bytes = std::max<size_t>(4, size_t(image->width) * image->height * 4);
    result.rgba.assign(image->pixels, image->pixels + bytes);
    result.reserved[0] = image->reserved[0];
    result.reserved[1] = image->reserved[1];
    fn<Release>("_ZdaPv")(image->pixels);
    fn<Release>("_ZdlPv")(image);
    return result;
  }

  static const HandleRecord& record(void* handle) {
    return *static_cast<const HandleRecord*>(handle);
  }
  static const dvtest::BackendView& backend(void* handle) {
    return *static_cast<const dvtest::BackendView*>(record(handle).backend);
  }
  static textref::LineMetrics metrics(void* handle) {
    const dvtest::BackendView& font = backend(handle);
    const double scale = double(record(handle).pixel_size) / font.units_per_em();
    return textref::line_metrics(scale, font.ascent(), font.descent(), font.line_gap(),
                                 font.metric_rounding());
  }
  // Every bitmap in the handle's cache, by code point.
  static std::map<unsigned int, textref::Glyph> cached_glyphs(void* handle) {
    std::map<unsigned int, textref::Glyph> glyphs;
    const auto* entries = static_cast<const CacheEntryRecord*>(record(handle).entries.data);
    for (size_t i = 0; i < record(handle).entries.size; ++i) {
      const GlyphRecord& bitmap = entries[i].glyph;
      textref::Glyph& glyph = glyphs[entries[i].codepoint];
      glyph.left = bitmap.left;
      glyph.top = bitmap.top;
      glyph.width = bitmap.width;
      glyph.height = bitmap.height;
      glyph.advance = bitmap.advance;
      const auto* pixels = static_cast<const uint8_t*>(bitmap.pixels.data);
      glyph.coverage.assign(pixels, pixels + bitmap.pixels.size);
    }
    return glyphs;
  }
};

} // namespace

TEST_F(TextRenderArtifact, SentenceMatchesIndependentComposition) {
  void* font = load_dejavu(24.0f);
  ASSERT_NE(font, nullptr) << kDejaVuSans;
  const std::u32string sentence = U"The quick brown fox jumps over the lazy dog.\r\n"
                                  U"Ætt fjörð — «Ωμέγα» 0123 {[(fi)]} j,g;y\n"
                                  U"\n"
                                  U"\x4E2D\x1F600 tail";
  const Rendered image = render(font, textref::utf8(sentence), 30, 60, 200, 200.0);
  ASSERT_FALSE(image.null);

  const std::map<unsigned int, textref::Glyph> glyphs = cached_glyphs(font);
  std::vector<unsigned int> codepoints(sentence.begin(), sentence.end());
  for (unsigned int codepoint : codepoints) {
    if (codepoint != '\n' && codepoint != '\r') {
      ASSERT_EQ(glyphs.count(codepoint), 1u) << std::hex << codepoint;
    }
  }
  const textref::Image expected = textref::render(
      codepoints, metrics(font),
      [&](unsigned int cp) -> const textref::Glyph& { return glyphs.at(cp); }, 30, 60, 200, 200);
  EXPECT_EQ(image.width, expected.width);
  EXPECT_EQ(image.height, expected.height);
  EXPECT_TRUE(image.rgba == expected.rgba);
  size_t inked = 0;
  for (size_t i = 3; i < image.rgba.size(); i += 4) {
    inked += image.rgba[i] != 0;
  }
  EXPECT_GT(inked, image.rgba.size() / 4 / 20); // real glyphs were drawn
  EXPECT_EQ(image.reserved[0], 0u);
  EXPECT_EQ(image.reserved[1], 0u);

  // The same text again finds every glyph in the cache.
  const size_t count = record(font).entries.size;
  const Rendered again = render(font, textref::utf8(sentence), 30, 60, 200, 200.0);
  EXPECT_TRUE(again.rgba == image.rgba);
  EXPECT_EQ(record(font).entries.size, count);
  free_font(font);
}

TEST_F(TextRenderArtifact, EdgeTexts) {
  void* font = load_dejavu(16.0f);
  ASSERT_NE(font, nullptr);
  const int line_height = metrics(font).line_height;

  const Rendered empty = render(font, "");
  ASSERT_FALSE(empty.null);
  EXPECT_EQ(empty.width, 0);
  EXPECT_EQ(empty.height, 0);
  EXPECT_EQ(empty.rgba, std::vector<uint8_t>(4, 0));

  EXPECT_TRUE(render_raw(font, nullptr, 0, 0, 0, 255).null);
  EXPECT_TRUE(render_raw(nullptr, "A", 0, 0, 0, 255).null);

  const Rendered carriage_return = render(font, "\r", 7, 8, 9);
  ASSERT_FALSE(carriage_return.null);
  EXPECT_EQ(carriage_return.width, 1);
  EXPECT_EQ(carriage_return.height, line_height);
  for (size_t i = 0; i < carriage_return.rgba.size(); i += 4) {
    EXPECT_EQ(carriage_return.rgba[i + 3], 0);
    EXPECT_EQ(carriage_return.rgba[i], 7);
  }

  const Rendered one_line = render(font, "A");
  const Rendered two_lines = render(font, "A\n");
  EXPECT_EQ(one_line.baseline, metrics(font).baseline); // A stays below the ascent
  EXPECT_EQ(two_lines.baseline, one_line.baseline);
  EXPECT_EQ(two_lines.width, one_line.width);
  EXPECT_EQ(two_lines.height, one_line.height + line_height);

  // Invalid sequences render exactly like U+FFFD.
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(render(font, "\x80").rgba, render(font, replacement).rgba);
  EXPECT_EQ(render(font, "\xF8").rgba, render(font, replacement).rgba);
  EXPECT_EQ(render(font, "\xC3"
                         "A")
                .rgba,
            render(font, replacement + "A").rgba);
  free_font(font);
}

TEST_F(TextRenderArtifact, ColourAndOpacityAreClamped) {
  void* font = load_dejavu(16.0f);
  ASSERT_NE(font, nullptr);
  const Rendered full = render(font, "W", 0, 0, 0, 255.0);
  const Rendered clamped = render(font, "W", -5, 300, 77, 127.5);
  const Rendered clear = render(font, "W", 1, 2, 3, -1.0);
  const Rendered over = render(font, "W", 1, 2, 3, 1000.0);
  ASSERT_EQ(full.rgba.size(), clamped.rgba.size());
  for (size_t i = 0; i < full.rgba.size(); i += 4) {
    EXPECT_EQ(clamped.rgba[i], 0);
    EXPECT_EQ(clamped.rgba[i + 1], 255);
    EXPECT_EQ(clamped.rgba[i + 2], 77);
    EXPECT_EQ(clamped.rgba[i + 3], full.rgba[i + 3] * 128 / 255);
    EXPECT_EQ(clear.rgba[i + 3], 0);
    EXPECT_EQ(over.rgba[i + 3], full.rgba[i + 3]);
  }
  free_font(font);
}

TEST_F(TextRenderArtifact, ReleasingEverythingLeavesNoHostBlocks) {
  void* font = load_dejavu(32.0f);
  ASSERT_NE(font, nullptr);
  for (const char* text : {"Hello, world", "two\nlines", "\xE2\x82\xAC\xF0\x9F\x98\x80"}) {
    EXPECT_FALSE(render(font, text).null);
  }
  free_font(font);
  EXPECT_EQ(leaked_blocks(), 0);
}

TEST_F(TextRenderArtifact, HostileTextsAndSizesGiveDefinedResults) {
  void* unit = load_dejavu(1.0f);
  ASSERT_NE(unit, nullptr);
  const Rendered at_one_pixel = render(unit, "Ag");
  ASSERT_FALSE(at_one_pixel.null);
  free_font(unit);
  // Sizes below 1 become 1; at 10^8 pixels one line is taller than the image limit.
  for (float size : {0.0f, -3.0f, std::nanf(""), 1e8f}) {
    void* font = load_dejavu(size);
    ASSERT_NE(font, nullptr) << size;
    const Rendered image = render(font, "Ag");
    if (size == 1e8f) {
      EXPECT_TRUE(image.null);
      EXPECT_EQ(record(font).entries.size, 0u) << "nothing is rasterized for a null image";
    } else {
      EXPECT_EQ(image.rgba, at_one_pixel.rgba) << size;
    }
    free_font(font);
  }

  void* font = load_dejavu(12.0f);
  ASSERT_NE(font, nullptr);
  const Rendered lines = render(font, std::string(10000, '\n'));
  ASSERT_FALSE(lines.null);
  EXPECT_EQ(lines.height, 10001 * metrics(font).line_height);
  // The longest text allowed, on one line, is drawn only when it fits the image limit.
  const Rendered wide = render(font, std::string(kTextLimit, 'x'));
  const double width = std::ceil(cached_glyphs(font).at('x').advance * kTextLimit);
  EXPECT_GT(width * metrics(font).line_height, kImageLimit);
  EXPECT_TRUE(wide.null);
  free_font(font);

  void* tiny = load_dejavu(1.0f);
  ASSERT_NE(tiny, nullptr);
  const Rendered fits = render(tiny, std::string(kTextLimit, 'x'), 1, 2, 3);
  ASSERT_FALSE(fits.null);
  const std::map<unsigned int, textref::Glyph> glyphs = cached_glyphs(tiny);
  const textref::Image expected = textref::render(
      std::vector<unsigned int>(kTextLimit, 'x'), metrics(tiny),
      [&](unsigned int cp) -> const textref::Glyph& { return glyphs.at(cp); }, 1, 2, 3, 255);
  EXPECT_EQ(fits.width, expected.width);
  EXPECT_EQ(fits.height, expected.height);
  EXPECT_TRUE(fits.rgba == expected.rgba);
  // One byte more is refused before anything is rasterized.
  EXPECT_TRUE(render(tiny, std::string(kTextLimit, 'x') + "y").null);
  EXPECT_EQ(cached_glyphs(tiny).count('y'), 0u);
  free_font(tiny);
}

// All of Unicode is more text than one render takes; in pieces within the limits, every
// code point ends up cached once and every piece gives a real image.
TEST_F(TextRenderArtifact, EveryCodePointInPieces) {
  void* font = load_dejavu(1.0f);
  ASSERT_NE(font, nullptr);
  std::string everything;
  for (char32_t cp = 1; cp <= 0x10FFFF; ++cp) {
    textref::append_utf8(everything, cp);
  }
  EXPECT_TRUE(render(font, everything).null);
  EXPECT_EQ(record(font).entries.size, 0u);

  constexpr char32_t kPiece = 16384; // the most new glyphs one render rasterizes
  for (char32_t first = 1; first <= 0x10FFFF; first += kPiece) {
    std::string piece;
    for (char32_t cp = first; cp < first + kPiece && cp <= 0x10FFFF; ++cp) {
      textref::append_utf8(piece, cp);
    }
    const Rendered image = render(font, piece);
    ASSERT_FALSE(image.null) << std::hex << uint32_t(first);
    EXPECT_LE(int64_t(image.width) * image.height, kImageLimit);
  }
  EXPECT_EQ(record(font).entries.size, 0x10FFFFu - 2); // all but line feed and return
  free_font(font);
}

// Block elements at 3000 pixels: each glyph alone is larger than the image limit. The
// first one shows it; nothing is cached and no other glyph is rasterized.
TEST_F(TextRenderArtifact, OversizedGlyphsAreNotRasterizedInBulk) {
  set_host_heap_mb(64);
  // At 4500 px the first block glyph takes most of a render's 2^24 new bitmap pixels.
  void* font = load_dejavu(4500.0f);
  ASSERT_NE(font, nullptr);
  std::u32string blocks;
  for (char32_t cp = 0x2580; cp <= 0x259F; ++cp) {
    blocks += cp;
  }
  Rendered image;
  size_t peak = 0;
  EXPECT_FALSE(
      halts([&] { peak = peak_host_bytes([&] { image = render(font, textref::utf8(blocks)); }); }));
  EXPECT_TRUE(image.null);
  EXPECT_LE(record(font).entries.size, 1u);
  EXPECT_LT(peak, size_t(32) << 20);
  free_font(font);
}
