#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "font/entry_points.h"
#include "font/font_handle.h"
#include "font/render_limits.h"
#include "font/text/image.h"
#include "support/utf8_encode.h"
#include "unit/font/fake_font_backend.h"

using testfont::FakeBackend;
using testfont::FakeGlyph;

namespace {

// Pixel size 10 at 1000 units per em: baseline 8, line height 10.
constexpr float kPixelSize = 10.0f;
constexpr int kLineHeight = 10;

class TextRender : public testing::Test {
protected:
  void SetUp() override {
    backend_ = new FakeBackend;
    backend_->glyphs['A'] = FakeGlyph{0, 8, 6, 8, 7.0, 255};
    backend_->glyphs['B'] = FakeGlyph{1, 8, 4, 8, 6.0, 255};
    handle_ = testfont::make_fake_handle(backend_, kPixelSize);
  }
  void TearDown() override {
    for (TextImage* image : images_) {
      delete[] image->pixels;
      delete image;
    }
    dv::dv_ttf_font_free(handle_);
  }

  // Renders on the test's handle. Every render is checked against dv_ttf_font_measure
  // made just before it on the same handle, and again on a copy of the handle whose
  // backend kerns every pair: the measure gives the image's size, or refuses with its
  // outputs untouched exactly where the render gives null.
  TextImage* render(const char* text, int red = 10, int green = 20, int blue = 30,
                    double opacity = 255.0) {
    FontHandle* kerned = testfont::copy_fake_handle(*handle_, true);
    delete[] measured_render(kerned, text, red, green, blue, opacity).pixels;
    dv::dv_ttf_font_free(kerned);
    TextImage* image = new TextImage(measured_render(handle_, text, red, green, blue, opacity));
    if (image->pixels == nullptr) {
      delete image;
      return nullptr;
    }
    images_.push_back(image);
    return image;
  }

  // The image (pixels null for none), after checking the measure made before it.
  TextImage measured_render(FontHandle* handle, const char* text, int red, int green, int blue,
                            double opacity) {
    int size[3] = {-7, -7, -7};
    const int measured = dv::dv_ttf_font_measure(handle, text, &size[0], &size[1], &size[2]);
    TextImage* image = dv::dv_ttf_font_render(handle, text, red, green, blue, opacity);
    EXPECT_EQ(measured == 1, image != nullptr) << (text == nullptr ? "(null)" : text);
    if (image == nullptr) {
      EXPECT_EQ(std::vector<int>(size, size + 3), (std::vector<int>{-7, -7, -7}));
      return TextImage{};
    }
    EXPECT_EQ(size[0], image->width);
    EXPECT_EQ(size[1], image->height);
    baseline_ = size[2];
    TextImage copy = *image;
    delete image;
    return copy;
  }

  static int alpha(const TextImage* image, int x, int y) {
    return image->pixels[(static_cast<size_t>(y) * image->width + x) * 4 + 3];
  }

  FakeBackend* backend_ = nullptr;
  FontHandle* handle_ = nullptr;
  std::vector<TextImage*> images_;
  int baseline_ = -1; // what the last measure on the test's handle gave
};

} // namespace

TEST_F(TextRender, NullArgumentsGiveNull) {
  EXPECT_EQ(dv::dv_ttf_font_render(nullptr, "A", 0, 0, 0, 255), nullptr);
  EXPECT_EQ(render(nullptr), nullptr);
  FontHandle without_backend;
  EXPECT_EQ(dv::dv_ttf_font_render(&without_backend, "A", 0, 0, 0, 255), nullptr);
  EXPECT_TRUE(backend_->rasterized.empty());
  int width = -7;
  EXPECT_EQ(dv::dv_ttf_font_measure(nullptr, "A", &width, &width, &width), 0);
  EXPECT_EQ(dv::dv_ttf_font_measure(handle_, nullptr, &width, &width, &width), 0);
  EXPECT_EQ(dv::dv_ttf_font_measure(&without_backend, "A", &width, &width, &width), 0);
  EXPECT_EQ(width, -7);
}

TEST_F(TextRender, MeasureMakesNoBitmapAndCachesNothing) {
  int width = 0;
  int height = 0;
  int baseline = 0;
  ASSERT_EQ(dv::dv_ttf_font_measure(handle_, "ABBA\nBA", &width, &height, &baseline), 1);
  EXPECT_EQ(width, 26);
  EXPECT_EQ(height, 2 * kLineHeight);
  EXPECT_EQ(baseline, 8);
  EXPECT_TRUE(backend_->rasterized.empty());
  EXPECT_EQ(backend_->measured, (std::vector<unsigned int>{'A', 'B'})); // each new one once
  EXPECT_EQ(handle_->bitmap_cache.count(), 0u);
  // Cached glyphs are not measured again; null outputs are skipped.
  render("A");
  backend_->measured.clear();
  EXPECT_EQ(dv::dv_ttf_font_measure(handle_, "AAB", nullptr, &height, nullptr), 1);
  EXPECT_EQ(backend_->measured, (std::vector<unsigned int>{'B'}));
}

// With kerning, the pen moves by each pair's scaled kerning before the pair's second glyph
// is placed; the first glyph of each line has none. The fake kerns (7 left + right) % 300
// units closer: A B by 221 units, 2.21 pixels at pixel size 10.
TEST_F(TextRender, KerningMovesThePenBeforeTheSecondGlyph) {
  backend_->kerning_on = true;
  TextImage* image = render("AB\nB");
  ASSERT_NE(image, nullptr);
  // B's four columns from floor(7 - 2.21) + 1 = 5 (unkerned: from 8); the pen ends at
  // 7 - 2.21 + 6 = 10.79.
  EXPECT_EQ(alpha(image, 8, 0), 255);
  EXPECT_EQ(alpha(image, 9, 0), 0);
  EXPECT_EQ(image->width, 11);
  EXPECT_EQ(alpha(image, 1, kLineHeight), 255); // B starts the next line unkerned
  // A carriage return between the two does not separate the pair.
  TextImage* through_return = render("A\rB");
  ASSERT_NE(through_return, nullptr);
  EXPECT_EQ(alpha(through_return, 9, 0), 0);
}

// Kerning is paid from the render's work budget, for every pair, cached glyphs included:
// three pairs that each cost a little over a third of it are refused.
TEST_F(TextRender, KerningIsPaidFromTheWorkBudget) {
  backend_->kerning_on = true;
  backend_->kerning_work = render_limits::kMaxRasterWork / 3 + 1;
  EXPECT_NE(render("AB\nBA"), nullptr);
  EXPECT_EQ(render("ABAB"), nullptr);
  backend_->kerning_on = false;
  EXPECT_NE(render("ABAB"), nullptr);
}

TEST_F(TextRender, EmptyStringIsZeroByZeroWithFourZeroBytes) {
  TextImage* image = render("");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->width, 0);
  EXPECT_EQ(image->height, 0);
  ASSERT_NE(image->pixels, nullptr);
  EXPECT_EQ(std::vector<uint8_t>(image->pixels, image->pixels + 4), std::vector<uint8_t>(4, 0));
  EXPECT_EQ(image->reserved[0], 0u);
  EXPECT_EQ(image->reserved[1], 0u);
  EXPECT_EQ(baseline_, 0);
}

TEST_F(TextRender, CarriageReturnOnlyIsOneTransparentColumn) {
  TextImage* image = render("\r", 1, 2, 3);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->width, 1);
  EXPECT_EQ(image->height, kLineHeight);
  for (int y = 0; y < kLineHeight; ++y) {
    const uint8_t* pixel = image->pixels + 4 * y;
    EXPECT_EQ(std::vector<uint8_t>(pixel, pixel + 4), (std::vector<uint8_t>{1, 2, 3, 0}));
  }
  EXPECT_TRUE(backend_->rasterized.empty());
}

TEST_F(TextRender, TrailingLineFeedAddsAnEmptyLine) {
  TextImage* image = render("A\n");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->width, 7);
  EXPECT_EQ(image->height, 2 * kLineHeight);
  EXPECT_EQ(alpha(image, 0, 0), 255);
  for (int y = kLineHeight; y < 2 * kLineHeight; ++y) {
    for (int x = 0; x < image->width; ++x) {
      EXPECT_EQ(alpha(image, x, y), 0);
    }
  }
}

TEST_F(TextRender, WidestLineAndSumOfHeights) {
  // Line widths: "AB" 13, "A" 7, "" 1, "ABBA" 26.
  TextImage* image = render("AB\r\nA\n\nABBA");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->width, 26);
  EXPECT_EQ(image->height, 4 * kLineHeight);
  // The second A of "ABBA" starts at floor(19) + 0 on the fourth line.
  EXPECT_EQ(alpha(image, 19, 3 * kLineHeight), 255);
  EXPECT_EQ(alpha(image, 18, 3 * kLineHeight), 0);
}

TEST_F(TextRender, NegativeLeftShiftsTheWholeLine) {
  backend_->glyphs['j'] = FakeGlyph{-3, 8, 5, 8, 4.0, 255};
  TextImage* image = render("jA");
  ASSERT_NE(image, nullptr);
  // Ink spans x = -3 .. 10 before the shift; advance width 11; shift 3.
  EXPECT_EQ(image->width, 14);
  EXPECT_EQ(alpha(image, 0, 0), 255); // j's first column
  EXPECT_EQ(alpha(image, 7, 0), 255); // A at floor(4) + 0 + 3
  EXPECT_EQ(alpha(image, 13, 0), 0);
}

TEST_F(TextRender, InkAboveTheLineShiftsItDown) {
  backend_->glyphs['^'] = FakeGlyph{0, 12, 2, 2, 2.0, 255}; // 4 rows above the line top
  TextImage* image = render("^");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->height, kLineHeight + 4);
  EXPECT_EQ(baseline_, 8 + 4);
  EXPECT_EQ(alpha(image, 0, 0), 255);
  EXPECT_EQ(alpha(image, 0, 2), 0);
}

TEST_F(TextRender, InkBelowTheLineGrowsIt) {
  backend_->glyphs['g'] = FakeGlyph{0, 2, 2, 12, 3.0, 255}; // rows 6 .. 17
  TextImage* image = render("g\nA");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->height, 18 + kLineHeight);
  EXPECT_EQ(alpha(image, 0, 17), 255);
  EXPECT_EQ(alpha(image, 0, 18), 255); // A's top row on the second line
}

TEST_F(TextRender, FractionalAdvancesAccumulateUnrounded) {
  backend_->glyphs['.'] = FakeGlyph{0, 1, 1, 1, 2.6, 255};
  TextImage* image = render("...");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->width, 8); // ceil(7.8)
  for (int x : {0, 2, 5}) {
    EXPECT_EQ(alpha(image, x, 7), 255) << x;
  }
  for (int x : {1, 3, 4, 6, 7}) {
    EXPECT_EQ(alpha(image, x, 7), 0) << x;
  }
}

TEST_F(TextRender, OverlappingCoverageComposes) {
  backend_->glyphs['h'] = FakeGlyph{0, 8, 2, 2, 0.0, 128};
  TextImage* image = render("hh");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(alpha(image, 0, 0), 191); // 128 + (127 * 128) / 255
  TextImage* triple = render("hhh");
  EXPECT_EQ(alpha(triple, 0, 0), 223); // 128 + (127 * 191) / 255
}

struct ColourCase {
  int red, green, blue;
  double opacity;
  uint8_t expected[4];
};

class TextRenderColour : public TextRender, public testing::WithParamInterface<ColourCase> {};

TEST_P(TextRenderColour, ClampsColourAndOpacity) {
  const ColourCase& c = GetParam();
  TextImage* image = render("A", c.red, c.green, c.blue, c.opacity);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(std::vector<uint8_t>(image->pixels, image->pixels + 4),
            std::vector<uint8_t>(c.expected, c.expected + 4));
  // A pixel without coverage keeps the colour with alpha 0.
  const uint8_t* blank = image->pixels + 4 * 6;
  EXPECT_EQ(std::vector<uint8_t>(blank, blank + 4),
            (std::vector<uint8_t>{c.expected[0], c.expected[1], c.expected[2], 0}));
}

INSTANTIATE_TEST_SUITE_P(
    All, TextRenderColour,
    testing::Values(
        ColourCase{-5, 300, 7, 255.0, {0, 255, 7, 255}}, ColourCase{1, 2, 3, 127.5, {1, 2, 3, 128}},
        ColourCase{1, 2, 3, 127.4, {1, 2, 3, 127}}, ColourCase{1, 2, 3, -1.0, {1, 2, 3, 0}},
        ColourCase{1, 2, 3, 0.0, {1, 2, 3, 0}}, ColourCase{1, 2, 3, 1000.0, {1, 2, 3, 255}},
        ColourCase{1, 2, 3, 1e300, {1, 2, 3, 255}}, ColourCase{1, 2, 3, std::nan(""), {1, 2, 3, 0}},
        ColourCase{INT32_MIN, INT32_MAX, 255, 255.0, {0, 255, 255, 255}}));

TEST_F(TextRender, PartialCoverageScalesWithOpacity) {
  backend_->glyphs['h'] = FakeGlyph{0, 8, 1, 1, 1.0, 200};
  TextImage* image = render("h", 0, 0, 0, 100.0);
  EXPECT_EQ(alpha(image, 0, 0), 200 * 100 / 255);
}

TEST_F(TextRender, InvalidUtf8RendersReplacementGlyphs) {
  backend_->glyphs[0xFFFD] = FakeGlyph{0, 8, 3, 3, 4.0, 255};
  for (const char* text : {"\x80", "\xBF", "\xF8", "\xFF", "\xC3"}) {
    TextImage* image = render(text);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 4) << text;
    EXPECT_EQ(alpha(image, 2, 2), 255) << text;
  }
  EXPECT_EQ(backend_->rasterized, (std::vector<unsigned int>{0xFFFD}));
  // A lead byte cut short by 'A': U+FFFD, then A decoded normally.
  TextImage* image = render("\xE2\x82"
                            "A");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->width, 4 + 7);
  EXPECT_EQ(alpha(image, 4, 0), 255);
}

TEST_F(TextRender, SecondRenderRasterizesNothing) {
  render("ABBA\nBA");
  EXPECT_EQ(backend_->rasterized, (std::vector<unsigned int>{'A', 'B'}));
  EXPECT_EQ(backend_->scales, (std::vector<double>{0.01, 0.01}));
  render("ABBA\nBA");
  render("BAAB");
  EXPECT_EQ(backend_->rasterized.size(), 2u);
  render("AC");
  EXPECT_EQ(backend_->rasterized, (std::vector<unsigned int>{'A', 'B', 'C'}));
}

TEST_F(TextRender, ReservesTheCacheForEachNewCodePoint) {
  // Two distinct code points into an empty cache: room for 2 entries, no buckets until
  // the first insertion, which makes 8.
  render("ABBA");
  EXPECT_EQ(handle_->bitmap_cache.entries.capacity, 2u);
  EXPECT_EQ(handle_->bitmap_cache.next.capacity, 2u);
  EXPECT_EQ(handle_->bitmap_cache.buckets.size, 8u);
  // Repeats and cached code points reserve nothing more: 2 cached + C and D.
  render("CCCCCCCCCCCCCCCCCCCCBA\nDDDD");
  EXPECT_EQ(handle_->bitmap_cache.entries.capacity, 4u);
  EXPECT_EQ(handle_->bitmap_cache.next.capacity, 4u);
  EXPECT_EQ(handle_->bitmap_cache.count(), 4u);
  render("ABCD\nDCBA");
  EXPECT_EQ(handle_->bitmap_cache.entries.capacity, 4u);
}

struct MetricCase {
  int rounding;
  double ascent, descent, gap;
  int baseline_row; // where a glyph with top 0 and one row lands
  int height;       // of the one-line image: the line height, or the glyph's bottom if lower
};

class TextRenderMetrics : public TextRender, public testing::WithParamInterface<MetricCase> {};

TEST_P(TextRenderMetrics, RoundsScaledMetrics) {
  const MetricCase& c = GetParam();
  backend_->em = 10.0; // pixel size 10: scale 1 exactly
  backend_->rounding = c.rounding;
  backend_->ascender = c.ascent;
  backend_->descender = c.descent;
  backend_->gap = c.gap;
  backend_->glyphs['_'] = FakeGlyph{0, 0, 1, 1, 1.0, 255};
  TextImage* image = render("_");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->height, c.height);
  EXPECT_EQ(baseline_, c.baseline_row);
  EXPECT_EQ(alpha(image, 0, c.baseline_row), 255);
}

INSTANTIATE_TEST_SUITE_P(All, TextRenderMetrics,
                         testing::Values(MetricCase{1, 7.5, 2.0, 0.0, 8, 10},
                                         MetricCase{0, 7.5, 2.0, 0.0, 8, 10},
                                         MetricCase{1, 7.4, 1.8, 0.0, 7, 9},
                                         MetricCase{0, 7.4, 1.8, 0.0, 8, 10},
                                         MetricCase{0, 7.0, 2.0, 1.5, 7, 11},
                                         MetricCase{1, 0.2, 0.2, 0.0, 1, 2}, // both raised to 1
                                         MetricCase{0, -5.0, 0.0, 0.0, 1, 2}));

TEST_F(TextRender, TinyMetricsStillGiveOnePixel) {
  backend_->ascender = 0.0;
  backend_->descender = 0.0;
  TextImage* image = render("\r");
  EXPECT_EQ(image->width, 1);
  EXPECT_EQ(image->height, 1);
}

TEST_F(TextRender, AbsurdSizesGiveNoImage) {
  for (float size : {1e8f, 1e30f, std::numeric_limits<float>::infinity()}) {
    handle_->pixel_size = size;
    handle_->bitmap_cache.clear();
    EXPECT_EQ(render("\r"), nullptr) << size;
  }
}

TEST_F(TextRender, AbsurdGlyphsGiveDefinedResults) {
  const double kNaN = std::nan("");
  backend_->glyphs['w'] = FakeGlyph{INT32_MAX, INT32_MIN, 1, 1, 1e300, 255};
  EXPECT_EQ(render("ww"), nullptr);
  backend_->glyphs['n'] = FakeGlyph{INT32_MIN, INT32_MAX, 1, 1, -1e300, 255};
  EXPECT_EQ(render("nA"), nullptr);
  backend_->glyphs['q'] = FakeGlyph{0, 8, 0, 0, kNaN, 255};
  TextImage* image = render("qA");
  ASSERT_NE(image, nullptr);
  // The pen stays NaN: A sits at 0 and the advance width counts as 1.
  EXPECT_EQ(image->width, 6);
}

TEST_F(TextRender, ImageCapAllowsTheLargestSize) {
  // 2048 pixels wide and as many whole lines as the image cap allows is drawn.
  const int64_t tallest = render_limits::kMaxImagePixels / 2048;
  backend_->glyphs['W'] = FakeGlyph{0, 8, 1, 1, 2048.0, 255};
  std::string lines = "W";
  for (int64_t i = 1; i < tallest / kLineHeight; ++i) {
    lines += "\nW";
  }
  TextImage* image = render(lines.c_str());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->width, 2048);
  EXPECT_EQ(image->height, tallest / kLineHeight * kLineHeight);
  // One line of one pixel more than the cap allows is refused.
  backend_->glyphs['X'] = FakeGlyph{
      0, 8, 1, 1, static_cast<double>(render_limits::kMaxImagePixels / kLineHeight + 1), 255};
  EXPECT_EQ(render("X"), nullptr);
}

TEST_F(TextRender, HugeTextsGiveDefinedResults) {
  std::string many_lines(10000, '\n');
  TextImage* image = render(many_lines.c_str());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->height, 10001 * kLineHeight);
  EXPECT_EQ(image->width, 1);

  // The longest text allowed, on one line: 3.5 MiB wide, beyond the image cap.
  const std::string longest(render_limits::kMaxTextBytes, 'A');
  EXPECT_EQ(render(longest.c_str()), nullptr);
  EXPECT_EQ(backend_->rasterized.size(), 1u); // 'A' once
  // One byte more is refused before anything is rasterized.
  handle_->bitmap_cache.clear();
  const std::string too_long = longest + 'B';
  EXPECT_EQ(render(too_long.c_str()), nullptr);
  EXPECT_EQ(backend_->rasterized.size(), 1u);
  EXPECT_EQ(handle_->bitmap_cache.count(), 0u);
}

// A glyph that alone makes the image too large is rasterized once and never cached, and
// the line stops there: 32 such code points cost one rasterization, not 32.
TEST_F(TextRender, OversizedGlyphStopsTheRenderBeforeItIsCached) {
  std::string text;
  for (unsigned int cp = 0x2580; cp < 0x25A0; ++cp) {
    // 1000 x 1000 pixels, but hanging 20,000 rows below the baseline.
    backend_->glyphs[cp] = FakeGlyph{0, -20000, 1000, 1000, 2100.0, 255};
    textref::append_utf8(text, cp);
  }
  EXPECT_EQ(render(text.c_str()), nullptr);
  EXPECT_EQ(backend_->rasterized.size(), 1u);
  EXPECT_EQ(handle_->bitmap_cache.count(), 0u);
}

// Layout stops with the first glyph that makes the image too large, before later glyphs
// are rasterized, and that glyph is not cached.
TEST_F(TextRender, LayoutStopsOnceTheImageCannotFit) {
  std::string text;
  for (unsigned int cp = 0x100; cp < 0x120; ++cp) {
    backend_->glyphs[cp] = FakeGlyph{0, 8, 2000, 3000, 2000.0, 255}; // 2000 x 3000 each
    textref::append_utf8(text, cp);
  }
  // Two glyphs make 4000 x 3000 pixels; the third would make 6000 x 3000.
  EXPECT_EQ(render(text.c_str()), nullptr);
  EXPECT_EQ(backend_->rasterized.size(), 3u);
  EXPECT_EQ(handle_->bitmap_cache.count(), 2u);
  // Cached glyphs stop a line as well: 4000 pixels wide, then enough lines below it to
  // pass the image cap.
  const size_t lines_below = (render_limits::kMaxImagePixels / 4000 - 3000) / kLineHeight + 1;
  EXPECT_EQ(render((text.substr(0, 4) + std::string(lines_below, '\n')).c_str()), nullptr);
  EXPECT_EQ(backend_->rasterized.size(), 3u);
}

// Lines are at least line_height tall: too many of them are refused before anything is
// rasterized.
TEST_F(TextRender, TooManyLinesAreRefusedUpFront) {
  // Lines 100 pixels tall, so that a text of lines within the text limit passes the cap.
  constexpr int kTallLine = 100;
  dv::dv_ttf_font_resize(handle_, kPixelSize * kTallLine / kLineHeight);
  const int64_t fitting = render_limits::kMaxImagePixels / kTallLine;
  std::string lines(fitting - 1, '\n');
  TextImage* image = render(lines.c_str());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->height, fitting * kTallLine);
  // One line more, ending in a glyph that layout would have to rasterize.
  lines += "\nA";
  EXPECT_EQ(render(lines.c_str()), nullptr);
  EXPECT_TRUE(backend_->rasterized.empty());
}

// The bitmaps one render adds to the cache are bounded even when the glyphs overlap and
// the image would fit: zero-advance glyphs of 6.25 million pixels each, stacked.
TEST_F(TextRender, NewBitmapsPerRenderAreBounded) {
  for (unsigned int cp : {'a', 'b', 'c'}) {
    backend_->glyphs[cp] = FakeGlyph{0, 8, 2500, 2500, 0.0, 255};
  }
  EXPECT_NE(render("ab"), nullptr);
  handle_->bitmap_cache.clear();
  EXPECT_EQ(render("abc"), nullptr);
  EXPECT_EQ(handle_->bitmap_cache.count(), 2u);
  // What is cached costs nothing: the next render adds only c.
  EXPECT_NE(render("c"), nullptr);
  EXPECT_NE(render("abc"), nullptr);
}

// The rasterizer's work on one render's new glyphs is bounded, not only each glyph's: the
// glyph that would exceed it stops the render and is not cached; cached glyphs cost nothing.
TEST_F(TextRender, RasterWorkPerRenderIsBounded) {
  // Each glyph costs a little over a third of what one render may spend.
  const uint64_t third = render_limits::kMaxRasterWork / 3;
  for (unsigned int cp : {'a', 'b', 'c', 'd'}) {
    backend_->glyphs[cp] = FakeGlyph{0, 8, 4, 4, 5.0, 255, third + 1};
  }
  EXPECT_EQ(render("abcd"), nullptr);
  EXPECT_EQ(handle_->bitmap_cache.count(), 2u);
  EXPECT_EQ(handle_->bitmap_cache.find('c'), handle_->bitmap_cache.end());
  // a and b are cached and cost nothing now: c and d fit the next render.
  EXPECT_NE(render("abcd"), nullptr);
  EXPECT_EQ(handle_->bitmap_cache.count(), 4u);
}

// A render rasterizes at most kMaxNewGlyphs code points; a text that needs more is refused
// before any of them is rasterized, and can be drawn in pieces.
TEST_F(TextRender, NewGlyphsPerRenderAreBounded) {
  std::string first;
  std::string second;
  for (unsigned int i = 0; i < render_limits::kMaxNewGlyphs; ++i) {
    textref::append_utf8(first, 0x1000 + i);
  }
  textref::append_utf8(second, 0x1000 + render_limits::kMaxNewGlyphs);
  EXPECT_EQ(render((first + second).c_str()), nullptr);
  EXPECT_TRUE(backend_->rasterized.empty());
  EXPECT_NE(render(first.c_str()), nullptr);
  EXPECT_NE(render((first + second).c_str()), nullptr);
  EXPECT_EQ(backend_->rasterized.size(), render_limits::kMaxNewGlyphs + 1);
}

// Pens saturate near +-2^62: a glyph pushed far left and another far right give a line
// extent plus shift beyond the int64 range, which must come out as too large.
TEST_F(TextRender, OpposedSaturatedPensGiveNoImage) {
  backend_->glyphs['n'] = FakeGlyph{0, 8, 1, 1, -1e300, 255};
  backend_->glyphs['m'] = FakeGlyph{0, 8, 1, 1, 3e300, 255};
  backend_->glyphs['X'] = FakeGlyph{INT32_MAX, 8, 1, 1, 1.0, 255};
  EXPECT_EQ(render("nmX"), nullptr);
  EXPECT_EQ(render("nmXn"), nullptr);
}
