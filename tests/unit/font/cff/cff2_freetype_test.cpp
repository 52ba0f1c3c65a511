// A variable CFF2 font that fontTools' varLib builds from CFF masters (tests/support/
// fonttools/cff2_masters.py: weight and width axes, avar, a corner master, HVAR), every
// glyph drawn through the library at a grid of instances and checked against FreeType's
// unhinted rendering of the same instance (FT_Set_Var_Design_Coordinates):
// advances equal to 1/64 px, ink boxes within one pixel, and a coverage difference no
// larger than FreeType's own outline of the glyph drawn by the library's rasterizer shows.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_MULTIPLE_MASTERS_H

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "font/backend.h"
#include "font/cff/backend.h"
#include "font/load_options.h"
#include "font/sfnt/font_variations.h"
#include "support/fonttools_fixtures.h"
#include "unit/font/freetype_peer.h"
#include "unit/font/instance_freetype_comparison.h"

namespace {

constexpr int kPixelSizes[] = {12, 48};
// Weight and width: the masters, points between them on both sides of the default and
// through the avar map, and the corner master's region.
constexpr double kInstances[][2] = {{400, 100}, {100, 100}, {900, 100}, {250, 100},
                                    {650, 100}, {400, 75},  {900, 75},  {550, 87.5}};
// As for variable TrueType: FreeType hands the outline to its rasterizer in 1/64 pixel.
constexpr double kAddedDifferenceAllowed = 0.06;

class Cff2FreeType : public testing::Test {
protected:
  void SetUp() override {
    bytes_ = fonttools_fixtures::read("cff2_variable.otf");
    ASSERT_FALSE(bytes_.empty()) << "no " << fonttools_fixtures::path("cff2_variable.otf");
    backend_.reset(make_cff_backend());
    ASSERT_TRUE(
        backend_->load(dv::vector<unsigned char>(bytes_.data(), bytes_.data() + bytes_.size())));
    ASSERT_NE(backend_->variations(), nullptr);
    ASSERT_EQ(backend_->variations()->axes.size, 2u);
    freetype_ = std::make_unique<ftpeer::Face>(bytes_); // FreeType reads them in place
    ASSERT_TRUE(freetype_->ok());
  }

  void set_instance(const double (&values)[2]) {
    backend_->set_variation(values);
    FT_Fixed fixed[2];
    for (int i = 0; i < 2; ++i)
      fixed[i] = static_cast<FT_Fixed>(std::lround(values[i] * 65536.0));
    ASSERT_EQ(FT_Set_Var_Design_Coordinates(freetype_->face(), 2, fixed), 0);
  }

  std::vector<unsigned char> bytes_;
  std::unique_ptr<FontBackend> backend_;
  std::unique_ptr<ftpeer::Face> freetype_;
};

TEST_F(Cff2FreeType, InstancesMatchFreeType) {
  const double units_per_em = backend_->units_per_em();
  for (const auto& instance : kInstances) {
    set_instance(instance);
    for (const int pixel_size : kPixelSizes) {
      const double scale = pixel_size / units_per_em;
      ftpeer::InstanceComparison comparison;
      for (unsigned codepoint = 0x20; codepoint <= 0x7E; ++codepoint) {
        const unsigned glyph = freetype_->glyph_of(codepoint);
        if (glyph == 0)
          continue;
        const std::string where = "U+" + std::to_string(codepoint) + " wght " +
                                  std::to_string(instance[0]) + " wdth " +
                                  std::to_string(instance[1]) + " at " + std::to_string(pixel_size);
        comparison.add(*freetype_, glyph, pixel_size, backend_->rasterize(codepoint, scale),
                       kAddedDifferenceAllowed, where);
      }
      EXPECT_GE(comparison.inked, 19u); // every glyph but the space
      char what[64];
      std::snprintf(what, sizeof what, "wght %g wdth %g %2d px", instance[0], instance[1],
                    pixel_size);
      comparison.print(what);
    }
  }
}

// The instance matters: the heavy corner inks more than the light default.
TEST_F(Cff2FreeType, InstancesDiffer) {
  const double scale = 48 / backend_->units_per_em();
  set_instance({400, 100});
  const GlyphBitmap regular = backend_->rasterize('H', scale);
  set_instance({900, 75});
  const GlyphBitmap bold_narrow = backend_->rasterize('H', scale);
  EXPECT_LT(bold_narrow.advance, regular.advance);
  long regular_ink = 0, bold_ink = 0;
  for (unsigned long i = 0; i < regular.pixels.size; ++i)
    regular_ink += regular.pixels.data[i];
  for (unsigned long i = 0; i < bold_narrow.pixels.size; ++i)
    bold_ink += bold_narrow.pixels.data[i];
  EXPECT_GT(bold_ink, regular_ink);
}

} // namespace
