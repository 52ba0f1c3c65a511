// Real fonts through the whole TrueType glyph path, checked against FreeType as an
// independent renderer: exact advances, ink boxes within one pixel of its unhinted
// rendering, and the library's rasterizer against the reference one on real outlines.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "font/backend.h"
#include "font/raster/rasterizer.h"
#include "font/truetype/backend.h"
#include "font/truetype/outline.h"
#include "support/required_package.h"
#include "support/sanitized_build.h"
#include "unit/font/font_bytes.h"
#include "unit/font/freetype_peer.h"
#include "unit/font/raster/reference_rasterizer.h"

namespace {

// Under the sanitizers every code point would take minutes; a spread-out subset keeps the
// same checks meaningful.
constexpr unsigned kCodePointStride = testsupport::kSanitizedBuild ? 7 : 1;

const char* const kFonts[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationMono-Regular.ttf",
};

const int kPixelSizes[] = {12, 32, 96};

std::vector<unsigned char> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

struct Difference {
  double sum = 0;
  long pixels = 0;
};

// Sum of absolute differences over the pixels where either bitmap has ink.
void add_difference(const ftpeer::Coverage& a, const ftpeer::Coverage& b, Difference& d) {
  const int x0 = std::min(a.left, b.left), x1 = std::max(a.left + a.width, b.left + b.width);
  const int y0 = std::min(a.top - a.height, b.top - b.height), y1 = std::max(a.top, b.top);
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const int p = a.at(x, y), q = b.at(x, y);
      if (p == 0 && q == 0)
        continue;
      d.sum += std::abs(p - q);
      ++d.pixels;
    }
  }
}

// The advance of `glyph` in font units, or -1 when FreeType cannot load it.
long unscaled_advance(const ftpeer::Face& freetype, FT_UInt glyph) {
  if (FT_Load_Glyph(freetype.face(), glyph, FT_LOAD_NO_SCALE) != 0)
    return -1;
  return freetype.face()->glyph->advance.x;
}

class RealFont : public ::testing::TestWithParam<const char*> {
protected:
  void SetUp() override {
    bytes_ = read_file(GetParam());
    if (bytes_.empty())
      DV_MISSING_PACKAGE(GetParam(), dvtest::package_of(GetParam()));
    backend_.reset(make_truetype_backend());
    ASSERT_TRUE(
        backend_->load(dv::vector<unsigned char>(bytes_.data(), bytes_.data() + bytes_.size())));
    freetype_ = std::make_unique<ftpeer::Face>(bytes_);
    ASSERT_TRUE(freetype_->ok());
  }

  std::vector<unsigned char> bytes_;
  std::unique_ptr<FontBackend> backend_;
  std::unique_ptr<ftpeer::Face> freetype_;
};

TEST_P(RealFont, AdvancesAndInkBoxesMatchFreeType) {
  const double units_per_em = backend_->units_per_em();
  ASSERT_EQ(units_per_em, freetype_->face()->units_per_EM);
  for (const int pixel_size : kPixelSizes) {
    const double scale = pixel_size / units_per_em;
    Difference difference;
    int glyphs = 0;
    int identical_ink_boxes = 0;
    for (unsigned codepoint = 0x20; codepoint <= 0x24F; codepoint += kCodePointStride) {
      const FT_UInt glyph = FT_Get_Char_Index(freetype_->face(), codepoint);
      if (glyph == 0)
        continue;
      ++glyphs;
      const GlyphBitmap ours = backend_->rasterize(codepoint, scale);
      EXPECT_EQ(ours.advance, unscaled_advance(*freetype_, glyph) * scale)
          << std::hex << "U+" << codepoint << std::dec << " at " << pixel_size;
      ftpeer::Coverage theirs;
      ASSERT_TRUE(freetype_->render(glyph, pixel_size, theirs));
      const ftpeer::Coverage mine = ftpeer::coverage_of(ours);
      identical_ink_boxes += ftpeer::describe(mine.ink()) == ftpeer::describe(theirs.ink()) ? 1 : 0;
      EXPECT_TRUE(ftpeer::within_pixels(mine.ink(), theirs.ink(), 1))
          << std::hex << "U+" << codepoint << std::dec << " at " << pixel_size << ": ours "
          << ftpeer::describe(mine.ink()) << ", FreeType " << ftpeer::describe(theirs.ink());
      add_difference(mine, theirs, difference);
    }
    // 4 x 4 samples quantise coverage to 17 levels where FreeType computes exact areas; a
    // misplaced sample grid or a wrong winding rule shows up as a much larger difference.
    const double mean = difference.pixels ? difference.sum / difference.pixels : 0.0;
    EXPECT_LT(mean, 14.0) << "at " << pixel_size << " px";
    std::printf("%s %3d px: %d glyphs (%d identical ink boxes), mean |coverage difference| "
                "%.2f of 255 over %ld inked pixels\n",
                GetParam(), pixel_size, glyphs, identical_ink_boxes, mean, difference.pixels);
  }
}

TEST_P(RealFont, RasterizerMatchesReferenceByteForByte) {
  const auto font = load_font(testfont::Bytes(bytes_.begin(), bytes_.end()));
  ASSERT_NE(font, nullptr);
  // Fewer glyphs than above: the reference is as slow as the rasterizer it checks.
  for (const int pixel_size : {12, 40}) {
    const double scale = pixel_size / backend_->units_per_em();
    const AffineTransform transform{scale, 0, 0, scale, 0, 0};
    for (unsigned codepoint = 0x21; codepoint <= 0x24F; codepoint += 5 * kCodePointStride) {
      const FT_UInt glyph = FT_Get_Char_Index(freetype_->face(), codepoint);
      if (glyph == 0)
        continue;
      OutlineBuilder builder;
      ASSERT_TRUE(append_glyph_outline(*font, static_cast<uint16_t>(glyph), transform, builder, 0));
      EXPECT_EQ(
          difference_from_reference(rasterize_outline(builder, 0), reference_rasterize(builder)),
          "")
          << std::hex << "U+" << codepoint << std::dec << " at " << pixel_size;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Fonts, RealFont, ::testing::ValuesIn(kFonts),
                         [](const ::testing::TestParamInfo<const char*>& case_info) {
                           std::string name = case_info.param;
                           name = name.substr(name.rfind('/') + 1);
                           name = name.substr(0, name.find('.'));
                           name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
                           return name;
                         });

// Display sizes: glyphs with hundreds of edges on bitmaps of up to 1.5 million pixels are
// drawn in full, not dropped by a work limit.
TEST(LargeGlyphs, InkBoxesWithinTwoPixelsOfFreeType) {
  const std::vector<unsigned char> bytes = read_file(kFonts[0]);
  if (bytes.empty())
    DV_MISSING_PACKAGE(kFonts[0], dvtest::package_of(kFonts[0]));
  std::unique_ptr<FontBackend> backend(make_truetype_backend());
  ASSERT_TRUE(backend->load(dv::vector<unsigned char>(bytes.data(), bytes.data() + bytes.size())));
  const ftpeer::Face freetype(bytes);
  ASSERT_TRUE(freetype.ok());
  for (const int pixel_size : {400, 800, 1200}) {
    for (const char c : {'W', 'g', '@', '&'}) {
      const ftpeer::Coverage ours =
          ftpeer::coverage_of(backend->rasterize(c, pixel_size / backend->units_per_em()));
      ftpeer::Coverage theirs;
      ASSERT_TRUE(freetype.render(freetype.glyph_of(c), pixel_size, theirs));
      EXPECT_FALSE(ours.ink().empty) << c << " at " << pixel_size;
      EXPECT_TRUE(ftpeer::within_pixels(ours.ink(), theirs.ink(), 2))
          << c << " at " << pixel_size << ": ours " << ftpeer::describe(ours.ink()) << ", FreeType "
          << ftpeer::describe(theirs.ink());
    }
  }
}

} // namespace
