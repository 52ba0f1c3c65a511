// DV_TTF_LOAD_BORROW through the artifact: a handle reading the caller's bytes in place
// draws what a copying handle draws, and holds little of the host heap after loading:
// at most 64 KiB and 8 bytes per glyph for an sfnt font, whatever the file's size.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "artifact/artifact_fixture.h"
#include "include/DovrelTTF.h"
#include "support/required_package.h"
#include "support/sfnt_builder.h"

namespace {

using LoadMemoryEx = void*(const void*, unsigned long, float, unsigned int);
using Render = TextImage*(void*, const char*, int, int, int, double);
using Free = void(void*);

constexpr unsigned int kEveryFeature = DV_TTF_LOAD_ALL;
constexpr size_t kFixedAllowance = 64 * 1024;
constexpr size_t kPerGlyphAllowance = 8;

testfont::Bytes file_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return testfont::Bytes(std::istreambuf_iterator<char>(in), {});
}

uint32_t be32(const testfont::Bytes& bytes, size_t at) {
  return at + 4 <= bytes.size() ? testfont::get_u32(bytes, at) : 0;
}

// maxp's glyph count of face `face` (a collection's, or the one face of an sfnt file).
uint32_t sfnt_glyph_count(const testfont::Bytes& bytes, unsigned int face) {
  const size_t directory = be32(bytes, 0) == 0x74746366 ? be32(bytes, 12 + 4 * face) : 0;
  const uint32_t tables = be32(bytes, directory + 4) >> 16;
  for (uint32_t i = 0; i < tables; ++i) {
    const size_t record = directory + 12 + 16 * i;
    if (be32(bytes, record) == 0x6D617870) // "maxp"
      return be32(bytes, be32(bytes, record + 8) + 4) >> 16;
  }
  return 0;
}

struct RealFont {
  const char* path;
  unsigned int face;
  bool sfnt;
  const char* text;
};

const RealFont kRealFonts[] = {
    {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 0, true,
     "Borrowed bytes, \xC3\xA9t\xC3\xA9"},
    {"/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf", 0, true, "Borrowed AVAWAY"},
    {"/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc", 1, true, "Boot \xE5\x90\xAF\xE5\x8A\xA8"},
    {"/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", 0, true,
     "Boot \xE5\x90\xAF\xE5\x8A\xA8 g"},
    {"/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb", 0, false, "Borrowed caf\xC3\xA9"},
};

class BorrowedBytesArtifact : public dvtest::ArtifactTest {
protected:
  void* load(const testfont::Bytes& bytes, unsigned int options) {
    return fn<LoadMemoryEx>("_Z26dv_ttf_font_load_memory_exPKvmfj")(bytes.data(), bytes.size(),
                                                                    16.0f, options);
  }

  // The host heap a load leaves held; the handle comes back in `handle`.
  size_t held_after_load(const testfont::Bytes& bytes, unsigned int options, void*& handle) {
    const size_t before = dvhost::host_heap::live_bytes();
    handle = load(bytes, options);
    return dvhost::host_heap::live_bytes() - before;
  }

  std::vector<uint8_t> render(void* handle, const char* text) {
    TextImage* image = fn<Render>("_Z18dv_ttf_font_renderPvPKciiid")(handle, text, 0, 0, 0, 255);
    if (image == nullptr)
      return {};
    std::vector<uint8_t> result(image->pixels,
                                image->pixels + size_t(image->width) * image->height * 4);
    result.push_back(uint8_t(image->width));
    result.push_back(uint8_t(image->height));
    fn<Free>("_ZdaPv")(image->pixels);
    fn<Free>("_ZdlPv")(image);
    return result;
  }
};

} // namespace

TEST_F(BorrowedBytesArtifact, RealFontsDrawAlikeAndHoldLittleOfTheHeap) {
  set_host_heap_mb(96);
  for (const RealFont& font : kRealFonts) {
    const testfont::Bytes bytes = file_bytes(font.path);
    if (bytes.empty())
      DV_MISSING_PACKAGE(font.path, dvtest::package_of(font.path));
    SCOPED_TRACE(font.path);
    const unsigned int options = kEveryFeature | dv_ttf_face_option(font.face);
    void* copied = nullptr;
    void* borrowed = nullptr;
    const size_t copied_held = held_after_load(bytes, options, copied);
    const size_t borrowed_held = held_after_load(bytes, options | DV_TTF_LOAD_BORROW, borrowed);
    ASSERT_NE(copied, nullptr);
    ASSERT_NE(borrowed, nullptr);
    EXPECT_GE(copied_held, bytes.size());
    if (font.sfnt) {
      const uint32_t glyphs = sfnt_glyph_count(bytes, font.face);
      ASSERT_GT(glyphs, 0u);
      EXPECT_LE(borrowed_held, kFixedAllowance + kPerGlyphAllowance * glyphs) << glyphs;
    } else {
      // Type 1 keeps no file bytes; borrowing spares the copy while the load reads them.
      EXPECT_LE(borrowed_held, copied_held);
      const size_t copying_peak =
          peak_host_bytes([&] { fn<Free>("_Z16dv_ttf_font_freePv")(load(bytes, options)); });
      const size_t borrowing_peak = peak_host_bytes(
          [&] { fn<Free>("_Z16dv_ttf_font_freePv")(load(bytes, options | DV_TTF_LOAD_BORROW)); });
      EXPECT_LE(borrowing_peak + bytes.size(), copying_peak);
    }
    const std::vector<uint8_t> expected = render(copied, font.text);
    ASSERT_GT(expected.size(), 2u);
    EXPECT_EQ(render(borrowed, font.text), expected);
    fn<Free>("_Z16dv_ttf_font_freePv")(copied);
    fn<Free>("_Z16dv_ttf_font_freePv")(borrowed);
  }
  EXPECT_EQ(leaked_blocks(), 0);
}

// The heap a borrowing handle holds does not grow with the file.
TEST_F(BorrowedBytesArtifact, HeapHeldDoesNotFollowTheFileSize) {
  set_host_heap_mb(64);
  testfont::FontParams params;
  params.extra_tables.push_back({"zPad", testfont::Bytes(size_t{16} << 20, 0x5A)});
  const testfont::Bytes bytes = testfont::build_font(params);
  void* handle = nullptr;
  EXPECT_LE(held_after_load(bytes, DV_TTF_LOAD_BORROW, handle), kFixedAllowance);
  ASSERT_NE(handle, nullptr);
  EXPECT_GT(render(handle, "AA").size(), 2u);
  fn<Free>("_Z16dv_ttf_font_freePv")(handle);
}
