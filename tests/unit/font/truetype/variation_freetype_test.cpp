// Inter's variable fonts (upright and italic) at several weights, every Latin glyph drawn
// through the library and checked against FreeType's unhinted rendering of the same
// instance (FT_Set_Var_Design_Coordinates): advances equal to 1/64 px, ink boxes within
// one pixel, and a coverage difference no larger than FreeType's own outline of the glyph
// drawn by the library's rasterizer shows (so what differs is the 4 x 4 sampling, not the
// instance's outline). Each weight's 99th percentile and largest difference are printed
// beside that baseline.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_MULTIPLE_MASTERS_H

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "font/backend.h"
#include "font/sfnt/font_variations.h"
#include "font/truetype/backend.h"
#include "support/required_package.h"
#include "support/sanitized_build.h"
#include "unit/font/freetype_peer.h"
#include "unit/font/instance_freetype_comparison.h"

namespace {

constexpr unsigned kCodePointStride = testsupport::kSanitizedBuild ? 9 : 1;
constexpr int kPixelSizes[] = {12, 48};
constexpr double kWeights[] = {100, 400, 700, 900, 550};
// FreeType hands the outline to its rasterizer in 1/64 pixel; ours keeps the deltas'
// fractions, so a sample or two of a small glyph may flip.
constexpr double kAddedDifferenceAllowed = 0.06;

const char* const kFonts[] = {
    "/usr/share/fonts/truetype/inter-vf/Inter-roman.var.ttf",
    "/usr/share/fonts/truetype/inter-vf/Inter-italic.var.ttf",
};

std::vector<unsigned char> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

class InterVariable : public testing::TestWithParam<const char*> {
protected:
  void SetUp() override {
    bytes_ = read_file(GetParam());
    if (bytes_.empty())
      DV_MISSING_PACKAGE(GetParam(), dvtest::package_of(GetParam()));
    backend_.reset(make_truetype_backend());
    ASSERT_TRUE(
        backend_->load(dv::vector<unsigned char>(bytes_.data(), bytes_.data() + bytes_.size())));
    ASSERT_NE(backend_->variations(), nullptr);
    freetype_ = std::make_unique<ftpeer::Face>(bytes_);
    ASSERT_TRUE(freetype_->ok());
  }

  // Both renderers at weight `weight`, every other axis at its default.
  void set_weight(double weight) {
    const FontVariations& variations = *backend_->variations();
    std::vector<double> values;
    std::vector<FT_Fixed> fixed;
    for (uint64_t i = 0; i < variations.axes.size; ++i) {
      const VariationAxis& axis = variations.axes.data[i];
      values.push_back(axis.tag == 0x77676874 ? weight : axis.default_value); // "wght"
      fixed.push_back(static_cast<FT_Fixed>(std::lround(values.back() * 65536.0)));
    }
    backend_->set_variation(values.data());
    ASSERT_EQ(FT_Set_Var_Design_Coordinates(freetype_->face(), static_cast<FT_UInt>(fixed.size()),
                                            fixed.data()),
              0);
  }

  std::vector<unsigned char> bytes_;
  std::unique_ptr<FontBackend> backend_;
  std::unique_ptr<ftpeer::Face> freetype_;
};

TEST_P(InterVariable, InstancesMatchFreeType) {
  const double units_per_em = backend_->units_per_em();
  for (const double weight : kWeights) {
    set_weight(weight);
    for (const int pixel_size : kPixelSizes) {
      const double scale = pixel_size / units_per_em;
      ftpeer::InstanceComparison comparison;
      for (unsigned codepoint = 0x20; codepoint <= 0x24F; codepoint += kCodePointStride) {
        const unsigned glyph = freetype_->glyph_of(codepoint);
        if (glyph == 0)
          continue;
        const std::string where = "U+" + std::to_string(codepoint) + " wght " +
                                  std::to_string(weight) + " at " + std::to_string(pixel_size);
        comparison.add(*freetype_, glyph, pixel_size, backend_->rasterize(codepoint, scale),
                       kAddedDifferenceAllowed, where);
      }
      char what[96];
      std::snprintf(what, sizeof what, "%s wght %g %2d px", GetParam(), weight, pixel_size);
      comparison.print(what);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Fonts, InterVariable, testing::ValuesIn(kFonts),
                         [](const testing::TestParamInfo<const char*>& test) {
                           return std::string(test.index == 0 ? "Roman" : "Italic");
                         });

} // namespace
