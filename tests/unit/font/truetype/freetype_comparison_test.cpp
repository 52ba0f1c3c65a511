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

#include "font/font_api.h"
#include "font/raster/rasterizer.h"
#include "font/truetype/outline.h"
#include "support/required_package.h"
#include "support/sanitized_build.h"
#include "unit/font/font_bytes.h"
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

// Inclusive box of the pixels with coverage, in pixel coordinates relative to the glyph
// origin (x right, y up; a pixel is named by its lower-left corner).
struct InkBox {
  bool empty = true;
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  void add(int x, int y) {
    if (empty) {
      x0 = x1 = x;
      y0 = y1 = y;
      empty = false;
      return;
    }
    x0 = std::min(x0, x);
    x1 = std::max(x1, x);
    y0 = std::min(y0, y);
    y1 = std::max(y1, y);
  }
};

// A coverage bitmap in the glyph's frame, whoever produced it.
struct Coverage {
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<unsigned char> pixels;
  int at(int x, int y) const {
    const int column = x - left;
    const int row = top - 1 - y;
    if (column < 0 || row < 0 || column >= width || row >= height)
      return 0;
    return pixels[static_cast<size_t>(row) * width + column];
  }
  InkBox ink() const {
    InkBox box;
    for (int row = 0; row < height; ++row)
      for (int column = 0; column < width; ++column)
        if (pixels[static_cast<size_t>(row) * width + column] != 0)
          box.add(left + column, top - 1 - row);
    return box;
  }
};

Coverage coverage_of(const GlyphBitmap& g) {
  return {g.left, g.top, g.width, g.height,
          std::vector<unsigned char>(g.pixels.data, g.pixels.data + g.pixels.size)};
}

Coverage coverage_of(const FT_Bitmap& b, int left, int top) {
  Coverage c{left, top, static_cast<int>(b.width), static_cast<int>(b.rows), {}};
  for (unsigned row = 0; row < b.rows; ++row)
    for (unsigned column = 0; column < b.width; ++column)
      c.pixels.push_back(b.buffer[static_cast<long>(row) * b.pitch + column]);
  return c;
}

struct Difference {
  double sum = 0;
  long pixels = 0;
};

// Sum of absolute differences over the pixels where either bitmap has ink.
void add_difference(const Coverage& a, const Coverage& b, Difference& d) {
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

class FreeTypeFace {
public:
  explicit FreeTypeFace(const std::vector<unsigned char>& bytes) {
    ok_ = FT_Init_FreeType(&library_) == 0 &&
          FT_New_Memory_Face(library_, bytes.data(), static_cast<FT_Long>(bytes.size()), 0,
                             &face_) == 0 &&
          FT_Select_Charmap(face_, FT_ENCODING_UNICODE) == 0;
  }
  ~FreeTypeFace() {
    if (face_)
      FT_Done_Face(face_);
    if (library_)
      FT_Done_FreeType(library_);
  }
  bool ok() const { return ok_; }
  FT_Face face() const { return face_; }

  long unscaled_advance(FT_UInt glyph) const {
    if (FT_Load_Glyph(face_, glyph, FT_LOAD_NO_SCALE) != 0)
      return -1;
    return face_->glyph->advance.x;
  }

  bool render(FT_UInt glyph, int pixel_size, Coverage& out) const {
    if (FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixel_size)) != 0 ||
        FT_Load_Glyph(face_, glyph, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0 ||
        FT_Render_Glyph(face_->glyph, FT_RENDER_MODE_NORMAL) != 0)
      return false;
    out = coverage_of(face_->glyph->bitmap, face_->glyph->bitmap_left, face_->glyph->bitmap_top);
    return true;
  }

private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
  bool ok_ = false;
};

std::string describe(const InkBox& b) {
  if (b.empty)
    return "no ink";
  return "x " + std::to_string(b.x0) + ".." + std::to_string(b.x1) + " y " + std::to_string(b.y0) +
         ".." + std::to_string(b.y1);
}

bool within_one_pixel(const InkBox& a, const InkBox& b) {
  if (a.empty || b.empty)
    return a.empty == b.empty;
  return std::abs(a.x0 - b.x0) <= 1 && std::abs(a.x1 - b.x1) <= 1 && std::abs(a.y0 - b.y0) <= 1 &&
         std::abs(a.y1 - b.y1) <= 1;
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
    freetype_ = std::make_unique<FreeTypeFace>(bytes_);
    ASSERT_TRUE(freetype_->ok());
  }

  std::vector<unsigned char> bytes_;
  std::unique_ptr<FontBackend> backend_;
  std::unique_ptr<FreeTypeFace> freetype_;
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
      EXPECT_EQ(ours.advance, freetype_->unscaled_advance(glyph) * scale)
          << std::hex << "U+" << codepoint << std::dec << " at " << pixel_size;
      Coverage theirs;
      ASSERT_TRUE(freetype_->render(glyph, pixel_size, theirs));
      const Coverage mine = coverage_of(ours);
      identical_ink_boxes += describe(mine.ink()) == describe(theirs.ink()) ? 1 : 0;
      EXPECT_TRUE(within_one_pixel(mine.ink(), theirs.ink()))
          << std::hex << "U+" << codepoint << std::dec << " at " << pixel_size << ": ours "
          << describe(mine.ink()) << ", FreeType " << describe(theirs.ink());
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
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           name = name.substr(name.rfind('/') + 1);
                           name = name.substr(0, name.find('.'));
                           name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
                           return name;
                         });

bool within_two_pixels(const InkBox& a, const InkBox& b) {
  return !a.empty && !b.empty && std::abs(a.x0 - b.x0) <= 2 && std::abs(a.x1 - b.x1) <= 2 &&
         std::abs(a.y0 - b.y0) <= 2 && std::abs(a.y1 - b.y1) <= 2;
}

// Display sizes: glyphs with hundreds of edges on bitmaps of up to 1.5 million pixels are
// drawn in full, not dropped by a work limit.
TEST(LargeGlyphs, InkBoxesWithinTwoPixelsOfFreeType) {
  const std::vector<unsigned char> bytes = read_file(kFonts[0]);
  if (bytes.empty())
    DV_MISSING_PACKAGE(kFonts[0], dvtest::package_of(kFonts[0]));
  std::unique_ptr<FontBackend> backend(make_truetype_backend());
  ASSERT_TRUE(backend->load(dv::vector<unsigned char>(bytes.data(), bytes.data() + bytes.size())));
  const FreeTypeFace freetype(bytes);
  ASSERT_TRUE(freetype.ok());
  for (const int pixel_size : {400, 800, 1200}) {
    for (const char c : {'W', 'g', '@', '&'}) {
      const Coverage ours =
          coverage_of(backend->rasterize(c, pixel_size / backend->units_per_em()));
      Coverage theirs;
      ASSERT_TRUE(freetype.render(FT_Get_Char_Index(freetype.face(), c), pixel_size, theirs));
      EXPECT_TRUE(within_two_pixels(ours.ink(), theirs.ink()))
          << c << " at " << pixel_size << ": ours " << describe(ours.ink()) << ", FreeType "
          << describe(theirs.ink());
    }
  }
}

} // namespace
