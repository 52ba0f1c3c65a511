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

class ContainerWorkloadTest : public dvtest::ArtifactTest {
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
};

TEST_F(ContainerWorkloadTest, LoadingRenderingAndReleasingAFontLeavesNoHostBlocks) {
  const std::vector<char> font = read_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
  ASSERT_GT(font.size(), 100000u);
  auto load = fn<void*(const void*, unsigned long, float)>("_Z23dv_ttf_font_load_memoryPKvmf");
  auto resize = fn<void(void*, float)>("_Z18dv_ttf_font_resizePvf");
  auto release = fn<void(void*)>("_Z16dv_ttf_font_freePv");

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
  release(handle);
  EXPECT_EQ(leaked_blocks(), 0);
  EXPECT_TRUE(dvhost::host_heap::errors().empty());
}

} // namespace
