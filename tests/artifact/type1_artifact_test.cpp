// Type 1 fonts through the artifact's font functions: both storage forms, refusals, and
// the backend's metrics.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "artifact/artifact_fixture.h"
#include "artifact/font_handle_view.h"
#include "support/required_package.h"
#include "support/type1_builder.h"

namespace {

using testfont::Bytes;
using testfont::Charstring;

const char* const kNimbusSans = "/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb";
const char* const kNimbusSansClearText = "/usr/share/fonts/type1/urw-base35/NimbusSans-Regular.t1";
const char* const kNimbusRoman = "/usr/share/fonts/X11/Type1/NimbusRoman-Regular.pfb";
const char* const kNimbusRomanClearText =
    "/usr/share/fonts/type1/urw-base35/NimbusRoman-Regular.t1";
constexpr unsigned int kCompleteType1 = 4;

Bytes read_file(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

testfont::Type1Builder small_font() {
  testfont::Type1Builder b;
  b.font_bbox = "/FontBBox {-50 -250 1050 900} readonly def\n";
  b.encoding = {{65, "A"}};
  b.subrs = {{0, Charstring().ret().bytes()}};
  b.charstrings = {{"A", Charstring()
                             .hsbw(0, 500)
                             .rmoveto(0, 0)
                             .rlineto(400, 0)
                             .rlineto(0, 700)
                             .rlineto(-400, 0)
                             .closepath()
                             .endchar()
                             .bytes()}};
  return b;
}

struct TextImage {
  int32_t width;
  int32_t height;
  uint8_t* pixels;
  uint64_t reserved[2];
};

class Type1Artifact : public dvtest::ArtifactTest {
protected:
  void* load(const Bytes& bytes, float pixel_size = 24.0f) {
    return fn<void*(const void*, unsigned long, float)>("_Z23dv_ttf_font_load_memoryPKvmf")(
        bytes.data(), bytes.size(), pixel_size);
  }
  void* load_ex(const Bytes& bytes, unsigned int options, float pixel_size = 24.0f) {
    return fn<void*(const void*, unsigned long, float, unsigned int)>(
        "_Z26dv_ttf_font_load_memory_exPKvmfj")(bytes.data(), bytes.size(), pixel_size, options);
  }
  void release(void* handle) { fn<void(void*)>("_Z16dv_ttf_font_freePv")(handle); }

  // The rows of `text`'s image that hold ink, top first: {first, last}, {-1, -1} for none.
  std::pair<int, int> inked_rows(void* handle, const char* text) {
    TextImage* image = fn<TextImage*(void*, const char*, int, int, int, double)>(
        "_Z18dv_ttf_font_renderPvPKciiid")(handle, text, 0, 0, 0, 255);
    std::pair<int, int> rows{-1, -1};
    if (image == nullptr)
      return rows;
    for (int y = 0; y < image->height; ++y) {
      for (int x = 0; x < image->width; ++x) {
        if (image->pixels[4 * (y * image->width + x) + 3] != 0) {
          rows.first = rows.first < 0 ? y : rows.first;
          rows.second = y;
          break;
        }
      }
    }
    fn<void(void*)>("_ZdaPv")(image->pixels);
    fn<void(void*)>("_ZdlPv")(image);
    return rows;
  }
};

} // namespace

TEST_F(Type1Artifact, BothFormsLoadWithTheirMetrics) {
  testfont::Type1Builder b = small_font();
  for (const Bytes& bytes : {b.pfb(), b.pfa()}) {
    void* handle = load(bytes);
    ASSERT_NE(handle, nullptr);
    const dvtest::BackendView* backend = dvtest::handle_backend(handle);
    EXPECT_EQ(backend->units_per_em(), 1000.0);
    EXPECT_EQ(backend->ascent(), 900.0);
    EXPECT_EQ(backend->descent(), 250.0);
    EXPECT_EQ(backend->line_gap(), 0.0);
    EXPECT_EQ(backend->metric_rounding(), 1);
    release(handle);
  }
}

TEST_F(Type1Artifact, BrokenProgramsAreRefusedWithoutLeaks) {
  testfont::Type1Builder no_subrs = small_font();
  no_subrs.write_subrs = false;
  Bytes pfb = small_font().pfb();
  Bytes cut(pfb.begin(), pfb.begin() + pfb.size() / 2);
  for (const Bytes& bytes : {no_subrs.pfb(), cut, Bytes{0x80, 1}, Bytes{'%', '!', '\n'}})
    EXPECT_EQ(load(bytes), nullptr);
}

// Two glyphs of 400 x 700 units with an advance of 500 at 24 px: scale 0.024, advance 12.
// Type 1 line metrics round to the nearest pixel: baseline 21.6 -> 22, line 27.6 -> 28.
TEST_F(Type1Artifact, RendersTextThroughTheFontsEncoding) {
  void* handle = load(small_font().pfb());
  ASSERT_NE(handle, nullptr);
  auto* render =
      fn<TextImage*(void*, const char*, int, int, int, double)>("_Z18dv_ttf_font_renderPvPKciiid");
  TextImage* image = render(handle, "AA", 10, 20, 30, 255);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->width, 24);
  EXPECT_EQ(image->height, 28);
  int full = 0;
  for (int i = 0; i < image->width * image->height; ++i)
    full += image->pixels[4 * i + 3] == 255;
  EXPECT_GT(full, 2 * 8 * 15) << "two solid 9.6 x 16.8 px rectangles";
  fn<void(void*)>("_ZdaPv")(image->pixels);
  fn<void(void*)>("_ZdlPv")(image);
  release(handle);
}

TEST_F(Type1Artifact, RealFontLoadsAndClearTextBinaryEexecIsRefused) {
  if (!std::filesystem::exists(kNimbusSans))
    DV_MISSING_PACKAGE(kNimbusSans, "fonts-urw-base35");
  void* handle = load(read_file(kNimbusSans));
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(dvtest::handle_backend(handle)->units_per_em(), 1000.0);
  release(handle);
  EXPECT_EQ(load(read_file(kNimbusSansClearText)), nullptr);
}

// A subroutine numbered just below the private part's size once sized the table to that
// many 24-byte slots: 48 MB for a 2 MB file, and a 12 MB file could not load under any
// small heap. Loading now takes a small multiple of the file and the handle keeps less
// than twice the file.
TEST_F(Type1Artifact, SubroutineNumbersDoNotSizeTheTable) {
  set_host_heap_mb(64);
  for (size_t megabytes : {2, 8}) {
    testfont::Type1Builder b = small_font();
    const size_t filler = megabytes << 20;
    b.subrs = {{0, Bytes(filler, 11)}, {int(filler - 100), Bytes{11}}};
    const Bytes pfb = b.pfb();
    const size_t before = dvhost::host_heap::live_bytes();
    void* handle = nullptr;
    size_t peak = 0;
    ASSERT_FALSE(halts([&] { peak = peak_host_bytes([&] { handle = load(pfb); }); }))
        << megabytes << " MB";
    ASSERT_NE(handle, nullptr);
    EXPECT_LT(peak, 6 * pfb.size()) << megabytes << " MB";
    EXPECT_LT(dvhost::host_heap::live_bytes() - before, 2 * pfb.size()) << megabytes << " MB";
    std::printf("[ type1    ] %zu MB file: peak %.1f MB while loading, %.1f MB kept\n", megabytes,
                peak / 1e6, (dvhost::host_heap::live_bytes() - before) / 1e6);
    release(handle);
  }
}

// NimbusRoman declares StandardEncoding and builds é with seac from curves: through the
// standard loader "café" is blank, through the complete option it draws, é with its accent
// above the e, from the PFB and from the clear-text file with binary eexec data alike.
TEST_F(Type1Artifact, CompleteOptionDrawsCafeInNimbusRoman) {
  if (!std::filesystem::exists(kNimbusRoman))
    DV_MISSING_PACKAGE(kNimbusRoman, "fonts-urw-base35");
  const char* const cafe = "caf\xC3\xA9";
  void* standard = load(read_file(kNimbusRoman), 32.0f);
  ASSERT_NE(standard, nullptr);
  EXPECT_EQ(inked_rows(standard, cafe).first, -1);
  release(standard);

  EXPECT_EQ(load(read_file(kNimbusRomanClearText)), nullptr);
  for (const char* path : {kNimbusRoman, kNimbusRomanClearText}) {
    void* complete = load_ex(read_file(path), kCompleteType1, 32.0f);
    ASSERT_NE(complete, nullptr) << path;
    const std::pair<int, int> word = inked_rows(complete, cafe);
    const std::pair<int, int> e = inked_rows(complete, "e");
    const std::pair<int, int> e_acute = inked_rows(complete, "\xC3\xA9");
    EXPECT_GE(word.first, 0) << path;
    ASSERT_GE(e.first, 0) << path;
    EXPECT_LT(e_acute.first, e.first - 3) << path << ": the acute stands above the e";
    EXPECT_EQ(e_acute.second, e.second) << path << ": on the same baseline";
    release(complete);
  }
}
