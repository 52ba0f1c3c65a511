// The glyph rasterizer against the reference rasterizer on every mapped glyph of real
// fonts: the bitmaps the TrueType glyph path returns must equal, byte for byte, what the
// reference draws from the same outline.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "font/truetype/glyph_bitmap.h"
#include "font/truetype/outline.h"
#include "support/required_package.h"
#include "support/sanitized_build.h"
#include "unit/font/font_bytes.h"
#include "unit/font/raster/reference_rasterizer.h"

namespace {

// The reference tests every sample against every edge; under the sanitizers a spread-out
// subset keeps the run short.
constexpr size_t kGlyphStride = testsupport::kSanitizedBuild ? 23 : 1;

// Sizes at which every mapped glyph is compared, and every 16th glyph at display size.
struct EqualityCase {
  const char* path;
  std::vector<int> every_glyph_sizes;
};

const EqualityCase kCases[] = {
    {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", {7, 12, 33, 96}},
    {"/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf", {7, 12, 33, 96}},
    {"/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf", {12}},
};

constexpr int kDisplaySize = 300;
constexpr size_t kDisplayStride = 16;

testfont::Bytes read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return testfont::Bytes(std::istreambuf_iterator<char>(in), {});
}

// The glyphs the font's Unicode map reaches, as FreeType enumerates them.
std::vector<uint16_t> mapped_glyphs(const testfont::Bytes& bytes) {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  std::set<uint16_t> glyphs;
  if (FT_Init_FreeType(&library) == 0 &&
      FT_New_Memory_Face(library, bytes.data(), static_cast<FT_Long>(bytes.size()), 0, &face) ==
          0 &&
      FT_Select_Charmap(face, FT_ENCODING_UNICODE) == 0) {
    FT_UInt glyph = 0;
    for (FT_ULong c = FT_Get_First_Char(face, &glyph); glyph != 0;
         c = FT_Get_Next_Char(face, c, &glyph))
      glyphs.insert(static_cast<uint16_t>(glyph));
  }
  if (face)
    FT_Done_Face(face);
  if (library)
    FT_Done_FreeType(library);
  return std::vector<uint16_t>(glyphs.begin(), glyphs.end());
}

struct GlyphCase {
  uint16_t glyph;
  OutlineBuilder outline;
  GlyphBitmap ours;
  ReferenceBitmap reference;
};

// Draws every case's outline with the reference, spread over the machine's cores: it is
// plain C++ on data nothing else touches meanwhile.
void draw_references(std::vector<GlyphCase>& cases) {
  const size_t threads = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::thread> workers;
  for (size_t t = 0; t < threads; ++t)
    workers.emplace_back([&cases, t, threads] {
      for (size_t k = t; k < cases.size(); k += threads)
        cases[k].reference = reference_rasterize(cases[k].outline);
    });
  for (std::thread& worker : workers)
    worker.join();
}

// Compares every `stride`-th glyph at `pixel_size`; returns how many were compared.
int expect_equal_to_reference(const TrueTypeFont& font, const std::vector<uint16_t>& glyphs,
                              int pixel_size, size_t stride) {
  const double scale = pixel_size / static_cast<double>(font.units_per_em);
  std::vector<GlyphCase> cases;
  for (size_t k = 0; k < glyphs.size(); k += stride) {
    GlyphCase c{glyphs[k], {}, {}, {}};
    if (!append_glyph_outline(font, glyphs[k], {scale, 0, 0, scale, 0, 0}, c.outline, 0))
      continue;
    c.ours = rasterize_truetype_glyph(font, glyphs[k], scale);
    cases.push_back(std::move(c));
  }
  draw_references(cases);
  for (const GlyphCase& c : cases) {
    const std::string difference = difference_from_reference(c.ours, c.reference);
    EXPECT_EQ(difference, "") << "glyph " << c.glyph << " at " << pixel_size << " px";
    if (!difference.empty())
      break;
  }
  return static_cast<int>(cases.size());
}

class RasterizerEquality : public testing::TestWithParam<EqualityCase> {};

TEST_P(RasterizerEquality, EveryMappedGlyphMatchesTheReference) {
  const testfont::Bytes bytes = read_file(GetParam().path);
  if (bytes.empty())
    DV_MISSING_PACKAGE(GetParam().path, dvtest::package_of(GetParam().path));
  const auto font = load_font(bytes);
  ASSERT_NE(font, nullptr);
  const std::vector<uint16_t> glyphs = mapped_glyphs(bytes);
  ASSERT_GT(glyphs.size(), 1000u);
  for (const int pixel_size : GetParam().every_glyph_sizes)
    EXPECT_GT(expect_equal_to_reference(*font, glyphs, pixel_size, kGlyphStride), 0);
  EXPECT_GT(expect_equal_to_reference(*font, glyphs, kDisplaySize, kDisplayStride * kGlyphStride),
            0);
}

INSTANTIATE_TEST_SUITE_P(Installed, RasterizerEquality, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<EqualityCase>& case_info) {
                           std::string name = case_info.param.path;
                           name = name.substr(name.rfind('/') + 1);
                           name = name.substr(0, name.find('.'));
                           std::erase(name, '-');
                           return name;
                         });

} // namespace
