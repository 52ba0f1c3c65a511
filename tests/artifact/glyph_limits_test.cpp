// Each per-glyph limit the public header lists, through the artifact: a glyph just inside
// it is drawn (the image has ink), a glyph just past it makes the render give null and
// dv_ttf_font_measure return 0 (never an image with the glyph left out), while a broken
// glyph (a composite nested in itself) is drawn blank inside an image.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "artifact/artifact_fixture.h"
#include "support/sfnt_builder.h"
#include "support/star_glyphs.h"
#include "support/type1_builder.h"

namespace {

using testfont::box;
using testfont::Bytes;
using testfont::Component;
using testfont::Contour;
using testfont::FontParams;
using testfont::GlyphShape;

struct Image {
  int32_t width;
  int32_t height;
  uint8_t* pixels;
};

// A TrueType font whose 'A' (glyph 1) is `glyphs[0]`, the rest following it, with line
// metrics of a few units so that the image is no larger than the ink.
Bytes truetype_font(const std::vector<Bytes>& glyphs, uint16_t units_per_em = 1000) {
  FontParams params;
  params.units_per_em = units_per_em;
  params.ascender = 2;
  params.descender = 0;
  params.line_gap = 0;
  params.index_to_loc_format = 1;
  params.glyphs = {GlyphShape{testfont::simple_glyph({box(0, 0, 10, 10)}), 10, 0}};
  for (const Bytes& glyph : glyphs)
    params.glyphs.push_back(GlyphShape{glyph, 10, 0});
  params.cmaps = {{3, 1, testfont::cmap_format4_for({{'A', 1}})}};
  return testfont::build_font(params);
}

Component component_of(uint16_t glyph, int dx = 0) {
  Component c;
  c.glyph = glyph;
  c.arg1 = dx;
  return c;
}

// A box as wide and tall as given, in font units from the origin.
Bytes box_glyph(int width, int height) {
  return testfont::simple_glyph({box(0, 0, width, height)});
}

// `count` components of glyph 2, a small box.
Bytes many_components(int count) {
  return truetype_font(
      {testfont::composite_glyph(std::vector<Component>(count, component_of(2))), box_glyph(4, 4)});
}

// Glyph 1 a composite of glyph 2, itself a composite of glyph 3 ..., `composites` deep,
// above a box.
Bytes nested_composites(int composites) {
  std::vector<Bytes> glyphs;
  for (int k = 0; k < composites; ++k)
    glyphs.push_back(testfont::composite_glyph({component_of(static_cast<uint16_t>(k + 2), 1)}));
  glyphs.push_back(box_glyph(8, 8));
  return truetype_font(glyphs);
}

// Four stars of 65,500 points (glyph 2) and, when `more` is not 0, a contour of `more`
// points (glyph 3).
Bytes stars_and_points(int more) {
  Contour extra;
  for (int k = 0; k < more; ++k)
    extra.push_back({k % 2 == 0 ? 0 : 50, k * 3, true});
  std::vector<Component> components(4, component_of(2));
  if (more != 0)
    components.push_back(component_of(3));
  return truetype_font({testfont::composite_glyph(components),
                        testfont::simple_glyph({testfont::star_contour(65500)}),
                        testfont::simple_glyph({extra})},
                       testfont::kStarUnitsPerEm);
}

// `rects` boxes one unit wide and 16,000 tall, two units apart: each crosses the 64,008
// sample rows of its 16,002-pixel frame twice.
Bytes tall_rectangles(int rects) {
  std::vector<Contour> contours;
  for (int k = 0; k < rects; ++k)
    contours.push_back(box(2 * k, 0, 2 * k + 1, 16000));
  return truetype_font({testfont::simple_glyph(contours)});
}

// Quadratic curves up and down 16,000 units, one unit apart: at 500 px each is cut into
// 256 edges.
Bytes steep_curves(int curves) {
  Contour contour;
  for (int k = 0; k < curves; ++k) {
    contour.push_back({2 * k, 0, true});
    contour.push_back({2 * k + 1, 16000, false});
  }
  contour.push_back({2 * curves, 0, true});
  return truetype_font({testfont::simple_glyph({contour})});
}

// A Type 1 font whose ".notdef" runs `leaves` x 249 hint operators through nested
// subroutines (drawing nothing), then draws a box.
Bytes busy_type1(int levels) {
  testfont::Type1Builder font;
  testfont::Charstring leaf;
  for (int k = 0; k < 249; ++k)
    leaf.op(1); // hstem without operands: ignored
  font.subrs = {{0, leaf.ret().bytes()}};
  for (int k = 1; k <= levels; ++k)
    font.subrs.push_back({k, testfont::Charstring().callsubr(k - 1).callsubr(k - 1).ret().bytes()});
  testfont::Charstring glyph;
  glyph.hsbw(0, 500).callsubr(levels);
  glyph.rmoveto(0, 0).rlineto(500, 0).rlineto(0, 500).rlineto(-500, 0).closepath().endchar();
  font.charstrings = {{".notdef", glyph.bytes()}};
  return font.pfb();
}

struct LimitCase {
  const char* name;
  Bytes font;
  float pixel_size;
  bool drawn; // false: the render gives null
};

class GlyphLimits : public dvtest::ArtifactTest {
protected:
  // Renders "A" and measures it; true when an image with ink came back, false for null,
  // failing when render and measure disagree.
  bool drawn_with_ink(const LimitCase& c) {
    auto load = fn<void*(const void*, unsigned long, float)>("_Z23dv_ttf_font_load_memoryPKvmf");
    auto render =
        fn<Image*(void*, const char*, int, int, int, double)>("_Z18dv_ttf_font_renderPvPKciiid");
    auto measure =
        fn<int(void*, const char*, int*, int*, int*)>("_Z19dv_ttf_font_measurePvPKcPiS2_S2_");
    void* font = load(c.font.data(), c.font.size(), c.pixel_size);
    EXPECT_NE(font, nullptr) << c.name;
    if (font == nullptr)
      return false;
    int width = 0;
    int height = 0;
    int baseline = 0;
    const int measured = measure(font, "A", &width, &height, &baseline);
    Image* image = render(font, "A", 0, 0, 0, 255.0);
    EXPECT_EQ(measured == 1, image != nullptr) << c.name;
    bool ink = false;
    if (image != nullptr) {
      EXPECT_EQ(width, image->width) << c.name;
      EXPECT_EQ(height, image->height) << c.name;
      const size_t bytes = size_t(image->width) * size_t(image->height) * 4;
      for (size_t i = 3; i < bytes && !ink; i += 4)
        ink = image->pixels[i] != 0;
      EXPECT_TRUE(ink) << c.name << ": an image without the glyph's ink";
      fn<void(void*)>("_ZdaPv")(image->pixels);
      fn<void(void*)>("_ZdlPv")(image);
    }
    fn<void(void*)>("_Z16dv_ttf_font_freePv")(font);
    return ink;
  }
};

} // namespace

TEST_F(GlyphLimits, JustInsideIsDrawnJustPastGivesNull) {
  set_host_heap_mb(256);
  const std::vector<LimitCase> cases = {
      // A bitmap of at most 16,384 pixels a side, its one-pixel margin included.
      {"side 16,384", truetype_font({box_glyph(16382, 1)}), 1000, true},
      {"side 16,385", truetype_font({box_glyph(16383, 1)}), 1000, false},
      // At most 2^24 pixels: 4,096 x 4,096, while a 4,095-pixel square of ink would fit the
      // image.
      {"pixels 4,096^2", truetype_font({box_glyph(4094, 4094)}), 1000, true},
      {"pixels 4,097^2", truetype_font({box_glyph(4095, 4095)}), 1000, false},
      // 2^25 crossings: the render's work budget never pays for that many, so only the
      // refusal is seen here.
      {"crossings 263 x 2 x 64,008", tall_rectangles(263), 1000, false},
      // 2^18 edges: four stars of 65,500 points are 262,000; 1,100 curves of 256 edges
      // each are 281,600.
      {"edges 262,000", stars_and_points(0), 16, true},
      {"edges 281,600", steep_curves(1100), 500, false},
      // 2^18 glyf points.
      {"points 262,144", stars_and_points(144), 16, true},
      {"points 262,145", stars_and_points(145), 16, false},
      // 4,096 components expanded.
      {"components 4,096", many_components(4096), 40, true},
      {"components 4,097", many_components(4097), 40, false},
      // Composites nested within composites, the outermost at depth 0, down to depth 11.
      {"composites 12 deep", nested_composites(12), 40, true},
      {"composites 13 deep", nested_composites(13), 40, false},
      // 2^20 units of Type 1 work: 4,096 leaves of 250 bytes, or 8,192.
      {"Type 1 work 1,044,494", busy_type1(12), 40, true},
      {"Type 1 work 2,088,979", busy_type1(13), 40, false},
  };
  for (const LimitCase& c : cases)
    EXPECT_EQ(drawn_with_ink(c), c.drawn) << c.name;
}

TEST_F(GlyphLimits, CompositeNestedInItselfIsBrokenNotLarge) {
  // Glyph 1 lists a box and glyph 2, which lists glyph 1 again: the glyph is drawn blank
  // and the image comes back with the box of 'A' missing, as for any malformed glyph.
  const Bytes font_bytes =
      truetype_font({testfont::composite_glyph({component_of(3), component_of(2)}),
                     testfont::composite_glyph({component_of(1)}), box_glyph(8, 8)});
  auto load = fn<void*(const void*, unsigned long, float)>("_Z23dv_ttf_font_load_memoryPKvmf");
  auto render =
      fn<Image*(void*, const char*, int, int, int, double)>("_Z18dv_ttf_font_renderPvPKciiid");
  void* font = load(font_bytes.data(), font_bytes.size(), 40);
  ASSERT_NE(font, nullptr);
  Image* image = render(font, "A", 0, 0, 0, 255.0);
  ASSERT_NE(image, nullptr);
  for (size_t i = 3; i < size_t(image->width) * size_t(image->height) * 4; i += 4)
    ASSERT_EQ(image->pixels[i], 0);
  fn<void(void*)>("_ZdaPv")(image->pixels);
  fn<void(void*)>("_ZdlPv")(image);
  fn<void(void*)>("_Z16dv_ttf_font_freePv")(font);
}
