#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "font/entry_points.h"
#include "font/font_handle.h"
#include "support/sfnt_builder.h"
#include "unit/font/font_bytes.h"

using testfont::Bytes;

namespace {

FontHandle* load(const Bytes& bytes, float pixel_size = 16.0f) {
  return static_cast<FontHandle*>(
      dv::dv_ttf_font_load_memory(bytes.data(), bytes.size(), pixel_size));
}

} // namespace

TEST(FontApi, LoadsTrueTypeIntoHandle) {
  FontHandle* handle = load(testfont::build_font({}), 24.0f);
  ASSERT_NE(handle, nullptr);
  ASSERT_NE(handle->backend, nullptr);
  EXPECT_EQ(handle->pixel_size, 24.0f);
  EXPECT_EQ(handle->backend->units_per_em(), 1000.0);
  EXPECT_EQ(handle->bitmap_cache.entries.size, 0u);
  dv::dv_ttf_font_free(handle);
}

struct RefusedCase {
  const char* name;
  Bytes bytes;
};

class FontApiRefuses : public testing::TestWithParam<RefusedCase> {};

TEST_P(FontApiRefuses, ReturnsNull) {
  EXPECT_EQ(load(GetParam().bytes), nullptr);
}

Bytes with_version(uint32_t version) {
  Bytes bytes = testfont::build_font({});
  testfont::put_u32(bytes, 0, version);
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    All, FontApiRefuses,
    testing::Values(RefusedCase{"Otto", with_version(0x4F54544F)},
                    RefusedCase{"Ttcf", with_version(0x74746366)},
                    RefusedCase{"OtherVersion", with_version(0x00020000)},
                    RefusedCase{"TruncatedTrueType", Bytes{0x00, 0x01, 0x00, 0x00, 0x00}},
                    RefusedCase{"ThreeBytesPercent", Bytes{'%', '!', 'P'}},
                    RefusedCase{"OneByte", Bytes{0x00}},
                    RefusedCase{"PlainText", Bytes{'h', 'e', 'l', 'l', 'o'}}),
    [](const testing::TestParamInfo<RefusedCase>& case_info) { return case_info.param.name; });

TEST(FontApi, NullOrEmptyInputYieldsNull) {
  const Bytes bytes = testfont::build_font({});
  EXPECT_EQ(dv::dv_ttf_font_load_memory(nullptr, bytes.size(), 16.0f), nullptr);
  EXPECT_EQ(dv::dv_ttf_font_load_memory(bytes.data(), 0, 16.0f), nullptr);
}

TEST(FontApi, PixelSizeClampedToAtLeastOne) {
  const std::vector<std::pair<float, float>> cases = {
      {0.5f, 1.0f},      {-3.0f, 1.0f}, {NAN, 1.0f},    {1.0f, 1.0f},
      {-INFINITY, 1.0f}, {1.5f, 1.5f},  {1e30f, 1e30f}, {INFINITY, INFINITY}};
  const Bytes bytes = testfont::build_font({});
  for (const auto& [given, expected] : cases) {
    FontHandle* handle = load(bytes, given);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->pixel_size, expected) << given;
    dv::dv_ttf_font_resize(handle, 40.0f);
    dv::dv_ttf_font_resize(handle, given);
    EXPECT_EQ(handle->pixel_size, expected) << given;
    dv::dv_ttf_font_free(handle);
  }
}

TEST(FontApi, ResizeEmptiesCacheEvenForSameSize) {
  FontHandle* handle = load(testfont::build_font({}), 16.0f);
  ASSERT_NE(handle, nullptr);
  handle->bitmap_cache['A'].width = 3;
  handle->bitmap_cache['B'].pixels.resize(9);
  dv::dv_ttf_font_resize(handle, 16.0f);
  EXPECT_EQ(handle->pixel_size, 16.0f);
  EXPECT_EQ(handle->bitmap_cache.entries.size, 0u);
  EXPECT_EQ(handle->bitmap_cache.buckets.size, 0u);
  EXPECT_EQ(handle->bitmap_cache.next.size, 0u);
  EXPECT_EQ(handle->bitmap_cache.find('A'),
            handle->bitmap_cache.entries.data + handle->bitmap_cache.entries.size);
  dv::dv_ttf_font_free(handle);
}

TEST(FontApi, NullHandlesAccepted) {
  dv::dv_ttf_font_resize(nullptr, 12.0f);
  dv::dv_ttf_font_free(nullptr);
  FontHandle empty;
  dv::dv_ttf_font_resize(&empty, 12.0f); // a handle without backend is left alone
  EXPECT_EQ(empty.pixel_size, 1.0f);
}

TEST(FontApi, CallerBufferNotUsedAfterLoad) {
  Bytes bytes = testfont::build_font({});
  FontHandle* handle = load(bytes, 16.0f);
  ASSERT_NE(handle, nullptr);
  std::fill(bytes.begin(), bytes.end(), 0xEE);
  bytes.clear();
  bytes.shrink_to_fit();
  EXPECT_EQ(handle->backend->units_per_em(), 1000.0);
  EXPECT_EQ(handle->backend->ascent(), 800.0);
  dv::dv_ttf_font_free(handle);
}

TEST(GlyphBitmap, MoveTakesPixels) {
  GlyphBitmap source;
  source.left = -2;
  source.top = 7;
  source.width = 3;
  source.height = 2;
  source.advance = 4.5;
  source.pixels.resize(6, 200);
  GlyphBitmap moved(std::move(source));
  EXPECT_EQ(moved.left, -2);
  EXPECT_EQ(moved.top, 7);
  EXPECT_EQ(moved.width, 3);
  EXPECT_EQ(moved.height, 2);
  EXPECT_EQ(moved.advance, 4.5);
  EXPECT_EQ(moved.pixels.size, 6u);
  EXPECT_EQ(source.pixels.size, 0u);
  EXPECT_EQ(source.pixels.data, nullptr);
}
