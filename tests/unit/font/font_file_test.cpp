#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "font/entry_points.h"
#include "font/font_handle.h"
#include "font/text/image.h"
#include "host/file_store.h"
#include "host/host_heap.h"
#include "host/stand_in.h"

namespace {

constexpr const char* kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

class FontFile : public testing::Test {
protected:
  void SetUp() override { blocks_ = dvhost::host_heap::live_blocks(); }
  void TearDown() override {
    // Stream records come from the host heap: none may stay behind.
    EXPECT_EQ(dvhost::host_heap::live_blocks(), blocks_);
    dvhost::reset_stand_in();
  }
  size_t blocks_ = 0;
};

std::vector<uint8_t> file_bytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Width, height and pixels of a render; the image is released.
std::vector<uint8_t> render(void* handle, const char* text) {
  TextImage* image = dv::dv_ttf_font_render(handle, text, 1, 2, 3, 255.0);
  if (image == nullptr) {
    return {};
  }
  std::vector<uint8_t> result(image->pixels,
                              image->pixels + size_t(image->width) * image->height * 4);
  result.push_back(uint8_t(image->width));
  result.push_back(uint8_t(image->height));
  delete[] image->pixels;
  delete image;
  return result;
}

} // namespace

TEST_F(FontFile, UnusablePathsGiveNull) {
  dvhost::file_store::put("empty.ttf", std::string());
  dvhost::file_store::put("junk.ttf", std::string("junk"));
  EXPECT_EQ(dv::dv_ttf_font_load(nullptr, 12.0f), nullptr);
  EXPECT_EQ(dv::dv_ttf_font_load("missing.ttf", 12.0f), nullptr);
  EXPECT_EQ(dv::dv_ttf_font_load("empty.ttf", 12.0f), nullptr);
  EXPECT_EQ(dv::dv_ttf_font_load("junk.ttf", 12.0f), nullptr);
  EXPECT_EQ(dvhost::file_store::counters().writes, 0u);
}

TEST_F(FontFile, LoadsLikeTheSameBytesFromMemory) {
  const std::vector<uint8_t> bytes = file_bytes(kDejaVuSans);
  ASSERT_FALSE(bytes.empty());
  dvhost::file_store::put("DejaVuSans.ttf", bytes);
  auto* from_file = static_cast<FontHandle*>(dv::dv_ttf_font_load("DejaVuSans.ttf", -3.0f));
  auto* from_memory =
      static_cast<FontHandle*>(dv::dv_ttf_font_load_memory(bytes.data(), bytes.size(), -3.0f));
  ASSERT_NE(from_file, nullptr);
  ASSERT_NE(from_memory, nullptr);
  EXPECT_EQ(from_file->pixel_size, 1.0f);
  dv::dv_ttf_font_resize(from_file, 18.0f);
  dv::dv_ttf_font_resize(from_memory, 18.0f);
  const char* text = "Quiz: fjord \xC3\xA6\xE2\x82\xAC\nline two";
  const std::vector<uint8_t> image = render(from_file, text);
  EXPECT_FALSE(image.empty());
  EXPECT_TRUE(image == render(from_memory, text));
  dv::dv_ttf_font_free(from_file);
  dv::dv_ttf_font_free(from_memory);
}
