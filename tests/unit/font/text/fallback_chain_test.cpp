// Fallback fonts with installed fonts: a Latin font and a CJK font draw a mixed line with
// no missing glyph, every glyph on one baseline; caret positions bracket each character's
// ink; and handles are freed in every order without a dangling reference or a leak.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "font/entry_points.h"
#include "font/text/image.h"
#include "font/text/laid_out_text.h"
#include "support/required_package.h"
#include "support/utf8_encode.h"

namespace {

struct FontFile {
  const char* path;
  unsigned int options;
};

struct Pair {
  FontFile latin;
  FontFile cjk;
};

constexpr unsigned int kAll = 15; // every loader option, face 0
const Pair kPairs[] = {
    {{"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 0},
     {"/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc", kAll}},
    {{"/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf", kAll},
     {"/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", kAll}},
};

const std::u32string kMixed = U"Hello, \u4E16\u754C \u2014 \u03A9\u03BC\u03AD\u03B3\u03B1 "
                              U"\u00DCn\u00EFc\u00F6d\u00E9";

void* load(const FontFile& file, float size) {
  std::ifstream in(file.path, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
  if (bytes.empty())
    return nullptr;
  return dv::dv_ttf_font_load_memory_ex(bytes.data(), bytes.size(), size, file.options);
}

class FallbackChain : public testing::TestWithParam<Pair> {
protected:
  void SetUp() override {
    for (const FontFile& file : {GetParam().latin, GetParam().cjk}) {
      if (!std::ifstream(file.path))
        DV_MISSING_PACKAGE(file.path, dvtest::package_of(file.path));
    }
    latin_ = load(GetParam().latin, 28.0f);
    cjk_ = load(GetParam().cjk, 28.0f);
    ASSERT_NE(latin_, nullptr);
    ASSERT_NE(cjk_, nullptr);
    void* list[] = {cjk_};
    ASSERT_EQ(dv::dv_ttf_font_set_fallbacks(latin_, list, 1), 1);
  }
  void TearDown() override {
    dv::dv_ttf_font_free(latin_);
    dv::dv_ttf_font_free(cjk_);
  }

  // The image's alpha channel.
  static std::vector<uint8_t> alphas(const TextImage* image) {
    std::vector<uint8_t> out;
    for (int32_t i = 0; i < image->width * image->height; ++i)
      out.push_back(image->pixels[i * 4 + 3]);
    return out;
  }

  std::vector<DvTtfCaret> carets(const std::string& text, const DvTtfLayout& layout) {
    const long count = dv::dv_ttf_font_caret_positions(latin_, text.c_str(), &layout, nullptr, 0);
    std::vector<DvTtfCaret> out(static_cast<size_t>(count));
    EXPECT_EQ(
        dv::dv_ttf_font_caret_positions(latin_, text.c_str(), &layout, out.data(), out.size()),
        count);
    return out;
  }

  void* latin_ = nullptr;
  void* cjk_ = nullptr;
};

TEST_P(FallbackChain, EveryCharacterComesFromAFontThatMapsIt) {
  FontChain chain(static_cast<FontHandle*>(latin_));
  for (const char32_t codepoint : kMixed) {
    const uint32_t place = chain.font_for(codepoint);
    EXPECT_TRUE(chain.font(place).backend->has_glyph(codepoint))
        << std::hex << static_cast<uint32_t>(codepoint);
  }
  EXPECT_EQ(chain.font_for(U'\u4E16'), 1u);
  EXPECT_EQ(chain.font_for(U'H'), 0u);
}

// Flat-bottomed Latin and CJK glyphs ("H", "E", the ideographs for "one" and "work") sit
// on one row: each glyph's lowest inked row in the image, less its own depth below the
// baseline, is the line's baseline.
TEST_P(FallbackChain, AllGlyphsOfALineSitOnOneBaseline) {
  // Spaces between the characters keep each one's ink apart from its neighbours'.
  const std::u32string codepoints = U"H \u4E00 E \u5DE5";
  const std::string text = textref::utf8(codepoints);
  TextImage* image = dv::dv_ttf_font_render_layout(latin_, text.c_str(), nullptr, 0, 0, 0, 255);
  ASSERT_NE(image, nullptr);
  const std::vector<DvTtfCaret> positions = carets(text, DvTtfLayout{});
  ASSERT_EQ(positions.size(), codepoints.size() + 1);
  FontChain chain(static_cast<FontHandle*>(latin_));
  std::vector<int> baselines;
  for (size_t i = 0; i < codepoints.size(); i += 2) {
    int bottom = -1;
    for (int32_t y = 0; y < image->height; ++y)
      for (int32_t x = positions[i].x; x < positions[i + 1].x; ++x)
        if (image->pixels[(y * image->width + x) * 4 + 3] != 0)
          bottom = y;
    const uint32_t place = chain.font_for(codepoints[i]);
    const GlyphBitmap* glyph = chain.find(place, codepoints[i], nullptr);
    ASSERT_NE(glyph, nullptr);
    int last_inked_row = -1;
    for (int32_t row = 0; row < glyph->height; ++row)
      for (int32_t column = 0; column < glyph->width; ++column)
        if (glyph->pixels.data[row * glyph->width + column] != 0)
          last_inked_row = row;
    baselines.push_back(bottom - last_inked_row + glyph->top);
  }
  EXPECT_EQ(baselines, std::vector<int>(baselines.size(), positions[0].baseline));
  delete[] image->pixels;
  delete image;
}

TEST_P(FallbackChain, MeasureMatchesRenderAndTheMixedLineHasNoMissingGlyph) {
  const std::string text = textref::utf8(kMixed);
  for (const DvTtfLayout layout :
       {DvTtfLayout{}, DvTtfLayout{120, 1, 3, 0}, DvTtfLayout{150, 2, 0, text_layout::kEllipsis}}) {
    int size[3] = {};
    ASSERT_EQ(
        dv::dv_ttf_font_measure_layout(latin_, text.c_str(), &layout, &size[0], &size[1], &size[2]),
        1);
    TextImage* image = dv::dv_ttf_font_render_layout(latin_, text.c_str(), &layout, 0, 0, 0, 255);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(size[0], image->width);
    EXPECT_EQ(size[1], image->height);
    const std::vector<DvTtfCaret> positions = carets(text, layout);
    EXPECT_EQ(size[2], positions[0].baseline);
    delete[] image->pixels;
    delete image;
  }
  // Without the fallback the ideographs are the Latin font's missing glyph: the image
  // changes once the list is cleared.
  TextImage* with = dv::dv_ttf_font_render_layout(latin_, text.c_str(), nullptr, 0, 0, 0, 255);
  ASSERT_EQ(dv::dv_ttf_font_set_fallbacks(latin_, nullptr, 0), 1);
  TextImage* without = dv::dv_ttf_font_render_layout(latin_, text.c_str(), nullptr, 0, 0, 0, 255);
  TextImage* plain = dv::dv_ttf_font_render(latin_, text.c_str(), 0, 0, 0, 255);
  ASSERT_TRUE(with && without && plain);
  EXPECT_NE(alphas(with), alphas(without));
  EXPECT_EQ(alphas(without), alphas(plain));
  for (TextImage* done : {with, without, plain}) {
    delete[] done->pixels;
    delete done;
  }
}

// For wrapped and aligned texts: each drawn character's ink lies between its caret and
// the next (widened by the glyph's own overhang), and each line's end position is where
// its advance ends.
TEST_P(FallbackChain, CaretPositionsBracketEachCharactersInk) {
  const std::u32string texts[] = {U"Hello world, wrapped", U"\u4E16\u754C\u4E16\u754C\u4E16",
                                  U"ab \u4E16\u754C cd\nnext line  ", U"Averylongword"};
  for (const std::u32string& text32 : texts) {
    for (const DvTtfLayout layout :
         {DvTtfLayout{}, DvTtfLayout{70, 1, 2, 0}, DvTtfLayout{90, 2, 0, 0}}) {
      const std::string text = textref::utf8(text32);
      SCOPED_TRACE(text + " width " + std::to_string(layout.max_width));
      TextImage* image = dv::dv_ttf_font_render_layout(latin_, text.c_str(), &layout, 0, 0, 0, 255);
      ASSERT_NE(image, nullptr);
      const std::vector<DvTtfCaret> positions = carets(text, layout);
      ASSERT_EQ(positions.size(), text32.size() + 1);
      FontChain chain(static_cast<FontHandle*>(latin_));
      for (size_t i = 0; i < text32.size(); ++i) {
        const DvTtfCaret& at = positions[i];
        const DvTtfCaret& next = positions[i + 1];
        if (next.line != at.line || next.x == at.x)
          continue; // not drawn, or the last of its line
        const GlyphBitmap* glyph = chain.find(chain.font_for(text32[i]), text32[i], nullptr);
        ASSERT_NE(glyph, nullptr);
        const int slack_left = std::max(0, -glyph->left) + 1;
        const int slack_right =
            std::max(0, glyph->left + glyph->width - static_cast<int>(glyph->advance)) + 1;
        for (int32_t y = at.top; y < at.top + at.height; ++y) {
          for (int32_t x = 0; x < image->width; ++x) {
            if (image->pixels[(y * image->width + x) * 4 + 3] == 0)
              continue;
            if (x >= at.x && x < next.x)
              EXPECT_TRUE(x >= at.x - slack_left && x < next.x + slack_right);
          }
        }
        EXPECT_GE(glyph->left + at.x + 1, at.x - slack_left);
      }
      EXPECT_EQ(positions.back().byte_offset, text.size());
      EXPECT_LE(positions.back().x, image->width);
      delete[] image->pixels;
      delete image;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(InstalledFonts, FallbackChain, testing::ValuesIn(kPairs));

// Three handles, each a fallback of the others', freed in every order with renders in
// between: under the sanitizers nothing is read after it is freed and nothing leaks.
TEST(FallbackLifetime, HandlesFreeInEveryOrder) {
  const FontFile files[] = {{"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 0},
                            {"/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc", kAll},
                            {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", kAll}};
  for (const FontFile& file : files)
    if (!std::ifstream(file.path))
      DV_MISSING_PACKAGE(file.path, dvtest::package_of(file.path));
  const std::string text = textref::utf8(U"Ab \u4E16\u754C");
  std::vector<int> order = {0, 1, 2};
  do {
    void* handles[3];
    for (int i = 0; i < 3; ++i)
      handles[i] = load(files[i], 16.0f);
    for (int i = 0; i < 3; ++i) {
      void* others[] = {handles[(i + 1) % 3], handles[(i + 2) % 3], handles[i]};
      ASSERT_EQ(dv::dv_ttf_font_set_fallbacks(handles[i], others, 3), 1);
    }
    std::vector<bool> freed(3, false);
    for (const int victim : order) {
      dv::dv_ttf_font_free(handles[victim]);
      freed[victim] = true;
      for (int i = 0; i < 3; ++i) {
        if (freed[i])
          continue;
        TextImage* image =
            dv::dv_ttf_font_render_layout(handles[i], text.c_str(), nullptr, 0, 0, 0, 255);
        ASSERT_NE(image, nullptr);
        delete[] image->pixels;
        delete image;
      }
    }
  } while (std::next_permutation(order.begin(), order.end()));
}

TEST(FallbackLifetime, ListsRefuseBadEntriesAndKeepTheOldList) {
  const FontFile file{"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 0};
  if (!std::ifstream(file.path))
    DV_MISSING_PACKAGE(file.path, dvtest::package_of(file.path));
  void* main_font = load(file, 12.0f);
  void* other = load(file, 12.0f);
  void* list[16] = {};
  for (void*& entry : list)
    entry = other;
  EXPECT_EQ(dv::dv_ttf_font_set_fallbacks(nullptr, list, 1), 0);
  EXPECT_EQ(dv::dv_ttf_font_set_fallbacks(main_font, nullptr, 1), 0);
  EXPECT_EQ(dv::dv_ttf_font_set_fallbacks(main_font, list, 16), 0);
  EXPECT_EQ(dv::dv_ttf_font_set_fallbacks(main_font, list, 15), 1); // repeats collapse
  EXPECT_EQ(static_cast<FontHandle*>(main_font)->fallbacks.size, 1u);
  void* with_null[] = {other, nullptr};
  EXPECT_EQ(dv::dv_ttf_font_set_fallbacks(main_font, with_null, 2), 0);
  EXPECT_EQ(static_cast<FontHandle*>(main_font)->fallbacks.size, 1u);
  EXPECT_EQ(static_cast<FontHandle*>(other)->holders, 1u);
  dv::dv_ttf_font_free(other);
  dv::dv_ttf_font_free(main_font);
}

} // namespace
