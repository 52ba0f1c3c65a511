// A font-sized workload through the real artifact: everything the containers take
// from the library's allocation operators reaches the host heap and goes back to it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "artifact/artifact_fixture.h"

namespace {

struct TextImage {
  int32_t width;
  int32_t height;
  uint8_t* pixels;
  uint64_t reserved[2];
};

std::vector<char> read_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Many distinct code points over several lines, so the glyph caches rehash a few times.
const char kParagraph[] = "The quick brown fox jumps over the lazy dog.\n"
                          "PACK MY BOX WITH FIVE DOZEN LIQUOR JUGS! 0123456789\n"
                          "Grüße, café, naïve — «ÆØÅ» ½ ∑ ∞ ≠ Ω\n";

class ContainerWorkloadTest : public dvtest::ArtifactTest,
                              public ::testing::WithParamInterface<const char*> {
protected:
  void render_and_release(void* handle) {
    auto render = fn<TextImage*(void*, const char*, int, int, int, double)>(
        "_Z18dv_ttf_font_renderPvPKciiid");
    TextImage* image = render(handle, kParagraph, 20, 40, 60, 255.0);
    ASSERT_NE(image, nullptr);
    EXPECT_GT(image->width, 0);
    EXPECT_GT(image->height, 0);
    fn<void(void*)>("_ZdaPv")(image->pixels);
    fn<void(void*)>("_ZdlPv")(image);
  }

  void load_render_resize_release(const std::vector<char>& font) {
    auto load = fn<void*(const void*, unsigned long, float)>("_Z23dv_ttf_font_load_memoryPKvmf");
    auto resize = fn<void(void*, float)>("_Z18dv_ttf_font_resizePvf");
    void* handle = load(font.data(), font.size(), 24.0f);
    ASSERT_NE(handle, nullptr);
    // The handle's copy of the font bytes lives in the host heap.
    EXPECT_GE(dvhost::host_heap::live_bytes(), font.size());
    render_and_release(handle);
    render_and_release(handle);
    resize(handle, 13.0f);
    render_and_release(handle);
    resize(handle, 64.0f);
    render_and_release(handle);
    fn<void(void*)>("_Z16dv_ttf_font_freePv")(handle);
  }
};

TEST_P(ContainerWorkloadTest, LoadingRenderingAndReleasingAFontLeavesNoHostBlocks) {
  const std::vector<char> font = read_file(GetParam());
  ASSERT_GT(font.size(), 10000u);
  for (int run = 0; run < 3; ++run) {
    load_render_resize_release(font);
    EXPECT_EQ(leaked_blocks(), 0) << "run " << run;
  }
  EXPECT_TRUE(dvhost::host_heap::errors().empty());
}

// TrueType keeps its tables and glyph caches in maps keyed by numbers; Type 1 keeps
// its charstrings in a map keyed by glyph names and its encoding in an array of
// strings.
INSTANTIATE_TEST_SUITE_P(Fonts, ContainerWorkloadTest,
                         ::testing::Values("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                           "/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb"));

} // namespace
