// Drawing onto a surface: byte for byte the render's image blended by the documented
// formula, at every kind of clipping, in each format, and nothing written anywhere else.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "font/entry_points.h"
#include "font/text/image.h"
#include "font/text/laid_out_text.h"
#include "font/text/surface_blend.h"
#include "support/surface_oracle.h"
#include "unit/font/fake_font_backend.h"

using testfont::FakeBackend;
using testfont::FakeGlyph;

namespace {

constexpr int32_t kSurfaceWidth = 37;
constexpr int32_t kSurfaceHeight = 29;
constexpr int32_t kPitch = kSurfaceWidth * 4 + 12; // bytes past each row must stay as they are

// Glyphs of uneven coverage that overlap their neighbours, so that the composition of
// overlapping coverage and every alpha value are exercised.
FakeBackend* make_backend() {
  auto* backend = new FakeBackend;
  for (unsigned int letter = 'a'; letter <= 'z'; ++letter)
    backend->glyphs[letter] =
        FakeGlyph{-1, 7, 7, 9, 5.5, static_cast<unsigned char>(40 + 8 * (letter - 'a'))};
  backend->glyphs[' '] = FakeGlyph{0, 0, 0, 0, 3.0, 0};
  backend->glyphs[0x4E16] = FakeGlyph{0, 9, 10, 11, 10.0, 255};
  return backend;
}

std::vector<uint8_t> noise(size_t bytes, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> out(bytes);
  for (uint8_t& byte : out)
    byte = static_cast<uint8_t>(random());
  return out;
}

class SurfaceDraw : public testing::Test {
protected:
  void SetUp() override { handle_ = testfont::make_fake_handle(make_backend(), 10.0f); }
  void TearDown() override { dv::dv_ttf_font_free(handle_); }

  FontHandle* handle_ = nullptr;
};

TEST(SurfaceBlend, RoundedDivisionIsExactOverItsRange) {
  for (uint32_t x = 0; x <= 255 * 255; ++x)
    ASSERT_EQ(surface_blend::divide_by_255_rounded(x), (2 * x + 255) / 510) << x;
}

TEST(SurfaceBlend, StraightAlphaOntoAnOpaquePixelIsTheOpaqueBlend) {
  for (uint32_t alpha = 1; alpha <= 255; alpha += 2) {
    for (uint32_t below = 0; below <= 255; below += 3) {
      const uint8_t colour[3] = {static_cast<uint8_t>(255 - below), 17, 200};
      uint8_t pixel[4] = {static_cast<uint8_t>(below), 0, 255, 255};
      surface_blend::straight_pixel(colour, alpha, pixel);
      EXPECT_EQ(pixel[0], surface_blend::opaque_channel(colour[0], below, alpha));
      EXPECT_EQ(pixel[3], 255);
    }
  }
}

// Positions that clip each edge and corner, that lie inside, and that lie outside.
TEST_F(SurfaceDraw, EqualsTheRenderedImageBlendedByTheFormulaWhereverItIsClipped) {
  const std::string text = "abc xyz\n\xE4\xB8\x96 mq";
  for (const DvTtfLayout layout : {DvTtfLayout{0, 0, 0, 0}, DvTtfLayout{30, 1, 2, 0},
                                   DvTtfLayout{30, 2, 0, text_layout::kEllipsis}}) {
    TextImage* image =
        dv::dv_ttf_font_render_layout(handle_, text.c_str(), &layout, 250, 40, 7, 180);
    ASSERT_NE(image, nullptr);
    const int32_t w = image->width;
    const int32_t h = image->height;
    const std::vector<int64_t> xs = {
        -w - 4,    -w + 3,   -2, 0, 5, kSurfaceWidth - w, kSurfaceWidth - 4, kSurfaceWidth + 1,
        INT32_MIN, INT32_MAX};
    const std::vector<int64_t> ys = {-h - 1,         -h + 2,    -3,       0, 4, kSurfaceHeight - 3,
                                     kSurfaceHeight, INT32_MIN, INT32_MAX};
    for (const uint32_t format : {1u, 2u, 3u}) {
      for (const int64_t x : xs) {
        for (const int64_t y : ys) {
          SCOPED_TRACE("format " + std::to_string(format) + " at " + std::to_string(x) + "," +
                       std::to_string(y));
          std::vector<uint8_t> drawn = noise(static_cast<size_t>(kPitch) * kSurfaceHeight,
                                             static_cast<unsigned>(x * 31 + y));
          std::vector<uint8_t> expected = drawn;
          surface_oracle::blit(image->pixels, w, h, expected.data(), kSurfaceWidth, kSurfaceHeight,
                               kPitch, format, x, y);
          const DvTtfSurface surface{drawn.data(), kSurfaceWidth, kSurfaceHeight, kPitch, format};
          ASSERT_EQ(dv::dv_ttf_font_draw(handle_, text.c_str(), &layout, &surface,
                                         static_cast<int>(x), static_cast<int>(y), 250, 40, 7, 180),
                    1);
          ASSERT_EQ(drawn, expected);
        }
      }
    }
    delete[] image->pixels;
    delete image;
  }
}

TEST_F(SurfaceDraw, RefusesWithoutTouchingTheSurfaceWhereRenderGivesNull) {
  std::vector<uint8_t> pixels = noise(static_cast<size_t>(kPitch) * kSurfaceHeight, 5);
  const std::vector<uint8_t> before = pixels;
  const DvTtfSurface good{pixels.data(), kSurfaceWidth, kSurfaceHeight, kPitch, 1};
  const DvTtfSurface bad[] = {
      {nullptr, kSurfaceWidth, kSurfaceHeight, kPitch, 1},
      {pixels.data(), 0, kSurfaceHeight, kPitch, 1},
      {pixels.data(), kSurfaceWidth, -1, kPitch, 1},
      {pixels.data(), kSurfaceWidth, kSurfaceHeight, kSurfaceWidth * 4 - 1, 1},
      {pixels.data(), kSurfaceWidth, kSurfaceHeight, -kPitch, 1},
      {pixels.data(), kSurfaceWidth, kSurfaceHeight, kPitch, 0},
      {pixels.data(), kSurfaceWidth, kSurfaceHeight, kPitch, 4},
  };
  for (const DvTtfSurface& surface : bad)
    EXPECT_EQ(dv::dv_ttf_font_draw(handle_, "ab", nullptr, &surface, 0, 0, 1, 2, 3, 255), 0);
  EXPECT_EQ(dv::dv_ttf_font_draw(handle_, "ab", nullptr, nullptr, 0, 0, 1, 2, 3, 255), 0);
  EXPECT_EQ(dv::dv_ttf_font_draw(nullptr, "ab", nullptr, &good, 0, 0, 1, 2, 3, 255), 0);
  EXPECT_EQ(dv::dv_ttf_font_draw(handle_, nullptr, nullptr, &good, 0, 0, 1, 2, 3, 255), 0);
  const DvTtfLayout unknown{0, 9, 0, 0};
  EXPECT_EQ(dv::dv_ttf_font_draw(handle_, "ab", &unknown, &good, 0, 0, 1, 2, 3, 255), 0);
  // Wider than the render's image limit.
  const DvTtfLayout huge{1 << 30, 0, 0, 0};
  EXPECT_EQ(dv::dv_ttf_font_draw(handle_, "ab", &huge, &good, 0, 0, 1, 2, 3, 255), 0);
  EXPECT_EQ(pixels, before);
  // The empty text draws nothing and succeeds.
  EXPECT_EQ(dv::dv_ttf_font_draw(handle_, "", nullptr, &good, 0, 0, 1, 2, 3, 255), 1);
  EXPECT_EQ(pixels, before);
}

} // namespace
