// dv_ttf_font_draw through the artifact in the stand-in: a warm draw (glyphs cached, the
// same text drawn before) asks the host for no memory, and the surface it leaves equals
// the laid-out render's image blended by the documented formula.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "artifact/artifact_fixture.h"
#include "bench/paragraph_text.h"
#include "support/required_package.h"
#include "support/surface_oracle.h"

namespace {

constexpr const char* kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* kZenHei = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc";

struct Layout {
  int32_t max_width, align, line_gap;
  uint32_t flags;
};
struct Surface {
  void* pixels;
  int32_t width, height, pitch;
  uint32_t format;
};
struct Image {
  int32_t width, height;
  uint8_t* pixels;
};

class SurfaceDrawArtifact : public dvtest::ArtifactTest {
protected:
  void* load(const char* path, unsigned int options) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    return fn<void*(const void*, unsigned long, float, unsigned int)>(
        "_Z26dv_ttf_font_load_memory_exPKvmfj")(bytes.data(), bytes.size(), 18.0f, options);
  }
  int draw(void* font, const char* text, const Layout& layout, const Surface& surface, int x,
           int y) {
    return fn<int(void*, const char*, const Layout*, const Surface*, int, int, int, int, int,
                  double)>("_Z16dv_ttf_font_drawPvPKcPK11DvTtfLayoutPK12DvTtfSurfaceiiiiid")(
        font, text, &layout, &surface, x, y, 240, 230, 30, 220.0);
  }
  Image* render(void* font, const char* text, const Layout& layout) {
    return fn<Image*(void*, const char*, const Layout*, int, int, int, double)>(
        "_Z25dv_ttf_font_render_layoutPvPKcPK11DvTtfLayoutiiid")(font, text, &layout, 240, 230, 30,
                                                                 220.0);
  }
  void free_image(Image* image) {
    fn<void(void*)>("_ZdaPv")(image->pixels);
    fn<void(void*)>("_ZdlPv")(image);
  }
  void free_font(void* font) { fn<void(void*)>("_Z16dv_ttf_font_freePv")(font); }
};

TEST_F(SurfaceDrawArtifact, AWarmDrawAsksTheHostForNothingAndMatchesTheRender) {
  for (const char* path : {kDejaVuSans, kZenHei})
    if (!std::ifstream(path))
      DV_MISSING_PACKAGE(path, dvtest::package_of(path));
  void* latin = load(kDejaVuSans, 0);
  void* cjk = load(kZenHei, 15);
  ASSERT_NE(latin, nullptr);
  ASSERT_NE(cjk, nullptr);
  void* list[] = {cjk};
  ASSERT_EQ(fn<int(void*, void* const*, unsigned long)>("_Z25dv_ttf_font_set_fallbacksPvPKS_m")(
                latin, list, 1),
            1);
  const std::string text = std::string(bench::kParagraph) + "\nHello, \xE4\xB8\x96\xE7\x95\x8C";
  const Layout layout{900, 1, 2, 0};
  constexpr int32_t kWidth = 1920;
  constexpr int32_t kHeight = 1080;
  constexpr int32_t kPitch = kWidth * 4 + 64;
  std::vector<uint8_t> pixels(static_cast<size_t>(kPitch) * kHeight, 0x35);
  const Surface surface{pixels.data(), kWidth, kHeight, kPitch, 1};
  ASSERT_EQ(draw(latin, text.c_str(), layout, surface, 500, 100), 1); // caches every glyph

  std::vector<uint8_t> expected(pixels.size(), 0x35);
  Image* image = render(latin, text.c_str(), layout);
  ASSERT_NE(image, nullptr);
  surface_oracle::blit(image->pixels, image->width, image->height, expected.data(), kWidth, kHeight,
                       kPitch, 1, 500, 100);
  free_image(image);
  EXPECT_TRUE(pixels == expected);

  const uint64_t before = dvhost::host_heap::stats().requests;
  ASSERT_EQ(draw(latin, text.c_str(), layout, surface, -37, 1000), 1);
  EXPECT_EQ(dvhost::host_heap::stats().requests - before, 0u);
  free_font(latin);
  free_font(cjk);
}

} // namespace
