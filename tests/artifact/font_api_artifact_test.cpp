// The font handle functions of the real artifact, called through their mangled names.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "artifact/artifact_fixture.h"
#include "artifact/font_handle_view.h"
#include "support/sfnt_builder.h"

namespace {

using LoadMemory = void*(const void*, unsigned long, float);
using Resize = void(void*, float);
using Free = void(void*);

class FontApiArtifact : public dvtest::ArtifactTest {
protected:
  void* load(const testfont::Bytes& bytes, float pixel_size = 16.0f) {
    return load_memory()(bytes.data(), bytes.size(), pixel_size);
  }
  LoadMemory* load_memory() { return fn<LoadMemory>("_Z23dv_ttf_font_load_memoryPKvmf"); }
  Resize* resize() { return fn<Resize>("_Z18dv_ttf_font_resizePvf"); }
  Free* release() { return fn<Free>("_Z16dv_ttf_font_freePv"); }

  static float pixel_size(void* handle) { return dvtest::handle_pixel_size(handle); }
  static const dvtest::BackendView* backend(void* handle) { return dvtest::handle_backend(handle); }
};

testfont::Bytes with_version(uint32_t version) {
  testfont::Bytes bytes = testfont::build_font({});
  testfont::put_u32(bytes, 0, version);
  return bytes;
}

} // namespace

TEST_F(FontApiArtifact, NullAndEmptyInputYieldNull) {
  const testfont::Bytes bytes = testfont::build_font({});
  EXPECT_EQ(load_memory()(nullptr, bytes.size(), 16.0f), nullptr);
  EXPECT_EQ(load_memory()(bytes.data(), 0, 16.0f), nullptr);
  EXPECT_EQ(leaked_blocks(), 0);
}

TEST_F(FontApiArtifact, RefusedDataLeavesNothingBehind) {
  const std::vector<testfont::Bytes> refused = {
      with_version(0x4F54544F), // OTTO
      with_version(0x74746366), // ttcf
      testfont::Bytes{'%', '!', 'P'},
      testfont::Bytes{'h', 'e', 'l', 'l', 'o'},
  };
  for (const auto& bytes : refused) {
    EXPECT_EQ(load(bytes), nullptr);
    EXPECT_EQ(leaked_blocks(), 0);
  }
  // A TrueType backend that fails to load is destroyed again.
  testfont::FontParams params;
  params.units_per_em = 0;
  EXPECT_EQ(load(testfont::build_font(params)), nullptr);
  EXPECT_EQ(leaked_blocks(), 0);
}

TEST_F(FontApiArtifact, LoadsAndFreesWithoutLeak) {
  for (const char* path : {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                           "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf"}) {
    std::ifstream in(path, std::ios::binary);
    const testfont::Bytes bytes(std::istreambuf_iterator<char>(in), {});
    ASSERT_FALSE(bytes.empty()) << path;
    void* handle = load(bytes, 24.0f);
    ASSERT_NE(handle, nullptr) << path;
    EXPECT_GT(leaked_blocks(), 0);
    EXPECT_EQ(pixel_size(handle), 24.0f);
    EXPECT_EQ(backend(handle)->metric_rounding(), 0);
    release()(handle);
    EXPECT_EQ(leaked_blocks(), 0) << path;
  }
}

TEST_F(FontApiArtifact, CallerBufferOverwrittenAfterLoadHasNoEffect) {
  testfont::FontParams params;
  params.units_per_em = 2048;
  params.ascender = 1900;
  params.descender = -500;
  params.line_gap = -5;
  auto* bytes = new testfont::Bytes(testfont::build_font(params));
  void* handle = load(*bytes, 12.0f);
  ASSERT_NE(handle, nullptr);
  std::memset(bytes->data(), 0xEE, bytes->size());
  delete bytes;
  EXPECT_EQ(backend(handle)->units_per_em(), 2048.0);
  EXPECT_EQ(backend(handle)->ascent(), 1900.0);
  EXPECT_EQ(backend(handle)->descent(), 500.0);
  EXPECT_EQ(backend(handle)->line_gap(), 0.0);
  resize()(handle, 30.0f);
  EXPECT_EQ(pixel_size(handle), 30.0f);
  release()(handle);
}

TEST_F(FontApiArtifact, PixelSizeClampedOnLoadAndResize) {
  const testfont::Bytes bytes = testfont::build_font({});
  const std::vector<std::pair<float, float>> cases = {
      {0.5f, 1.0f}, {-3.0f, 1.0f}, {NAN, 1.0f}, {1.0f, 1.0f}, {72.5f, 72.5f}};
  for (const auto& [given, expected] : cases) {
    void* handle = load(bytes, given);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(pixel_size(handle), expected) << given;
    resize()(handle, 50.0f);
    resize()(handle, given);
    EXPECT_EQ(pixel_size(handle), expected) << given;
    release()(handle);
  }
}

TEST_F(FontApiArtifact, NullHandlesAccepted) {
  resize()(nullptr, 12.0f);
  release()(nullptr);
  EXPECT_EQ(fn<void*(void*, const char*, int, int, int, double)>("_Z18dv_ttf_font_renderPvPKciiid")(
                nullptr, "A", 0, 0, 0, 255.0),
            nullptr);
}
