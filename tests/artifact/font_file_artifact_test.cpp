// dv_ttf_font_load of the real artifact: fonts read through the dvfs streams from the
// host's files.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "artifact/artifact_fixture.h"

namespace {

constexpr const char* kDejaVuDirectory = "/usr/share/fonts/truetype/dejavu";

using LoadFile = void*(const char*, float);
using LoadMemory = void*(const void*, unsigned long, float);
using Free = void(void*);

struct ImageRecord {
  int32_t width;
  int32_t height;
  uint8_t* pixels;
  uint64_t reserved[2];
};

std::vector<uint8_t> file_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class FontFileArtifact : public dvtest::ArtifactTest {
protected:
  void* load(const char* path, float size = 20.0f) {
    return fn<LoadFile>("_Z16dv_ttf_font_loadPKcf")(path, size);
  }
  void free_font(void* handle) { fn<Free>("_Z16dv_ttf_font_freePv")(handle); }

  // The image's size and RGBA bytes; the image is released.
  std::vector<uint8_t> render(void* handle, const char* text) {
    auto* image = fn<ImageRecord*(void*, const char*, int, int, int, double)>(
        "_Z18dv_ttf_font_renderPvPKciiid")(handle, text, 10, 20, 30, 255.0);
    if (image == nullptr) {
      return {};
    }
    std::vector<uint8_t> result = {uint8_t(image->width), uint8_t(image->height)};
    result.insert(result.end(), image->pixels,
                  image->pixels + size_t(image->width) * image->height * 4);
    fn<Free>("_ZdaPv")(image->pixels);
    fn<Free>("_ZdlPv")(image);
    return result;
  }
};

} // namespace

TEST_F(FontFileArtifact, UnreadablePathsGiveNullAndLeaveNoStreamOpen) {
  dvhost::file_store::put("empty.ttf", std::string());
  dvhost::file_store::put("text.ttf", std::string("not a font at all"));
  EXPECT_EQ(load(nullptr), nullptr);
  EXPECT_EQ(load("missing.ttf"), nullptr);
  EXPECT_EQ(load("empty.ttf"), nullptr);
  EXPECT_EQ(load("text.ttf"), nullptr);
  // Every stream record and buffer was released again.
  EXPECT_EQ(leaked_blocks(), 0);
  EXPECT_EQ(dvhost::file_store::counters().writes, 0u);
}

TEST_F(FontFileArtifact, FileLoadsLikeTheSameBytesFromMemory) {
  const std::vector<uint8_t> bytes = file_bytes(std::string(kDejaVuDirectory) + "/DejaVuSans.ttf");
  ASSERT_FALSE(bytes.empty());
  dvhost::file_store::put("fonts/DejaVuSans.ttf", bytes);
  void* from_file = load("fonts/DejaVuSans.ttf", 20.0f);
  void* from_memory =
      fn<LoadMemory>("_Z23dv_ttf_font_load_memoryPKvmf")(bytes.data(), bytes.size(), 20.0f);
  ASSERT_NE(from_file, nullptr);
  ASSERT_NE(from_memory, nullptr);
  const char* text = "Sphinx of black quartz, judge my vow.\n\xC3\x86\xC3\xB8\xE2\x82\xAC";
  const std::vector<uint8_t> file_image = render(from_file, text);
  EXPECT_FALSE(file_image.empty());
  EXPECT_TRUE(file_image == render(from_memory, text));
  free_font(from_file);
  free_font(from_memory);
}

TEST_F(FontFileArtifact, ReadsFromARealDirectory) {
  dvhost::file_store::use_directory(kDejaVuDirectory);
  void* font = load("DejaVuSans.ttf", 16.0f);
  ASSERT_NE(font, nullptr);
  EXPECT_FALSE(render(font, "Hello").empty());
  free_font(font);
  EXPECT_EQ(load("NoSuchFont.ttf"), nullptr);
  EXPECT_EQ(load("../dejavu/DejaVuSans.ttf"), nullptr); // the store refuses ".."
  dvhost::file_store::use_memory();
}
