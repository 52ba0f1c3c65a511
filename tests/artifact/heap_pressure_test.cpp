// Loads and renders on host heaps from 2 to 64 MiB: every call gives a handle or an image,
// or null, never a halt; and once memory is back, a render that gave null gives, on the
// same handle, the bytes a clean render gives.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "artifact/artifact_fixture.h"
#include "support/utf8_encode.h"

namespace {

constexpr const char* kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* kNimbusSans = "/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb";

const char kParagraph[] = "The quick brown fox jumps over the lazy dog. Pack my box with\n"
                          "five dozen liquor jugs! How vexingly quick daft zebras jump;\n"
                          "Sphinx of black quartz, judge my vow. 0123456789 (x+y)=z?\n"
                          "Waltz, bad nymph, for quick jigs vex. Jackdaws love my big\n"
                          "sphinx of quartz: \"The five boxing wizards jump quickly.\"";

std::string page_of_text() {
  std::string page;
  while (page.size() < 8192) {
    page += std::string(kParagraph).substr(0, 79) + "\n";
  }
  page.resize(8192);
  return page;
}

// 2,000 distinct code points DejaVu Sans maps: Latin, Greek, Cyrillic and more.
std::string distinct_codepoints() {
  std::string text;
  int count = 0;
  for (char32_t cp = 0x21; count < 2000; ++cp) {
    if ((cp >= 0x7F && cp < 0xA1) || (cp >= 0x370 && cp < 0x386)) {
      continue;
    }
    textref::append_utf8(text, cp);
    if (++count % 80 == 0) {
      text += '\n';
    }
  }
  return text;
}

struct Workload {
  const char* name;
  const char* font;
  float pixel_size;
  std::string text;
};

std::vector<Workload> workloads() {
  return {{"paragraph 12 px", kDejaVuSans, 12, kParagraph},
          {"paragraph 64 px", kDejaVuSans, 64, kParagraph},
          {"paragraph 128 px", kDejaVuSans, 128, kParagraph},
          {"@ 1200 px", kDejaVuSans, 1200, "@"},
          {"8 KiB page 16 px", kDejaVuSans, 16, page_of_text()},
          {"2,000 code points 24 px", kDejaVuSans, 24, distinct_codepoints()},
          {"Type 1 paragraph 48 px", kNimbusSans, 48, kParagraph}};
}

struct Image {
  int32_t width;
  int32_t height;
  uint8_t* pixels;
};

class HeapPressure : public dvtest::ArtifactTest {
protected:
  void* load(const std::vector<char>& bytes, float pixel_size) {
    return fn<void*(const void*, unsigned long, float)>("_Z23dv_ttf_font_load_memoryPKvmf")(
        bytes.data(), bytes.size(), pixel_size);
  }
  void free_font(void* font) { fn<void(void*)>("_Z16dv_ttf_font_freePv")(font); }

  // The image's size and RGBA bytes, released; empty for null.
  std::string render(void* font, const std::string& text) {
    Image* image = fn<Image*(void*, const char*, int, int, int, double)>(
        "_Z18dv_ttf_font_renderPvPKciiid")(font, text.c_str(), 30, 60, 90, 255.0);
    if (image == nullptr) {
      return {};
    }
    std::string bytes(reinterpret_cast<const char*>(&image->width), 8);
    bytes.append(reinterpret_cast<const char*>(image->pixels),
                 size_t(image->width) * size_t(image->height) * 4);
    fn<void(void*)>("_ZdaPv")(image->pixels);
    fn<void(void*)>("_ZdlPv")(image);
    return bytes;
  }

  static void restore_heap() {
    dvhost::host_heap::set_heap_size(dvhost::host_heap::default_heap_size());
  }
};

} // namespace

TEST_F(HeapPressure, EveryCallGivesAResultOrNullAndRecovers) {
  const size_t heaps_mb[] = {2, 3, 4, 6, 8, 12, 16, 24, 32, 48, 64};
  for (const Workload& work : workloads()) {
    std::ifstream in(work.font, std::ios::binary);
    const std::vector<char> bytes(std::istreambuf_iterator<char>(in), {});
    ASSERT_FALSE(bytes.empty()) << work.font;
    void* clean_font = load(bytes, work.pixel_size);
    ASSERT_NE(clean_font, nullptr);
    const std::string clean = render(clean_font, work.text);
    ASSERT_FALSE(clean.empty()) << work.name;
    free_font(clean_font);
    std::string outcomes;
    for (size_t heap_mb : heaps_mb) {
      const long blocks = leaked_blocks();
      set_host_heap_mb(heap_mb);
      void* font = nullptr;
      ASSERT_FALSE(halts([&] { font = load(bytes, work.pixel_size); }))
          << work.name << " load, " << heap_mb << " MiB";
      std::string drawn;
      if (font != nullptr) {
        ASSERT_FALSE(halts([&] { drawn = render(font, work.text); }))
            << work.name << " render, " << heap_mb << " MiB";
        if (!drawn.empty()) {
          EXPECT_EQ(drawn, clean) << work.name << ", " << heap_mb << " MiB";
        }
      }
      restore_heap();
      outcomes += std::to_string(heap_mb) + (font == nullptr ? ":no-load "
                                             : drawn.empty() ? ":null "
                                                             : ":image ");
      if (font != nullptr && drawn.empty()) {
        EXPECT_EQ(render(font, work.text), clean)
            << work.name << " after null, " << heap_mb << " MiB";
      }
      if (font != nullptr) {
        free_font(font);
      }
      EXPECT_EQ(leaked_blocks(), blocks) << work.name << ", " << heap_mb << " MiB";
    }
    std::printf("[ pressure ] %-24s %s\n", work.name, outcomes.c_str());
  }
}
