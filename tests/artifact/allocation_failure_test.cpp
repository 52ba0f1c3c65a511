// A host allocation that fails inside a font function: the call gives null (a resize
// leaves the handle as it was), never halts, releases everything it took, and the
// handle keeps working: the next render gives the bytes of a clean run. Every host
// request of a clean run is failed in turn (sampled beyond the first few hundred); a
// render also with every request after it failing, as when the heap is exhausted.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "artifact/artifact_fixture.h"

namespace {

using Bytes = std::vector<char>;

struct Image {
  int32_t width;
  int32_t height;
  uint8_t* pixels;
};

struct FontFile {
  const char* name;
  const char* path;
  unsigned int options; // 0: the standard loaders; else the extended ones with these
};

const FontFile kFonts[] = {
    {"TrueType", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 0},
    {"Type1", "/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb", 0},
    {"OpenTypeCff", "/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf", 1},
};

constexpr const char* kTwoLines = "Sphinx of black quartz,\njudge my vow! 0123456789";

// Every N up to this many requests is failed; past it, about this many more, evenly spaced.
constexpr uint64_t kEveryRequestUpTo = 300;

std::vector<uint64_t> requests_to_fail(uint64_t clean_requests) {
  std::vector<uint64_t> chosen;
  const uint64_t stride =
      clean_requests <= 2 * kEveryRequestUpTo ? 1 : clean_requests / kEveryRequestUpTo;
  for (uint64_t n = 1; n <= clean_requests; n += n < kEveryRequestUpTo ? 1 : stride) {
    chosen.push_back(n);
  }
  if (chosen.back() != clean_requests) {
    chosen.push_back(clean_requests);
  }
  return chosen;
}

uint64_t host_requests() {
  return dvhost::host_heap::stats().requests;
}

class AllocationFailure : public dvtest::ArtifactTest {
protected:
  void SetUp() override {
    dvtest::ArtifactTest::SetUp();
    for (const FontFile& font : kFonts) {
      std::ifstream in(font.path, std::ios::binary);
      Bytes bytes(std::istreambuf_iterator<char>(in), {});
      ASSERT_FALSE(bytes.empty()) << font.path;
      dvhost::file_store::put(font.path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
      bytes_.push_back(std::move(bytes));
    }
  }

  void* load_memory(size_t font, float pixel_size = 24.0f) {
    if (kFonts[font].options != 0) {
      return fn<void*(const void*, unsigned long, float, unsigned int)>(
          "_Z26dv_ttf_font_load_memory_exPKvmfj")(bytes_[font].data(), bytes_[font].size(),
                                                  pixel_size, kFonts[font].options);
    }
    return fn<void*(const void*, unsigned long, float)>("_Z23dv_ttf_font_load_memoryPKvmf")(
        bytes_[font].data(), bytes_[font].size(), pixel_size);
  }
  void* load_file(size_t font, float pixel_size = 24.0f) {
    if (kFonts[font].options != 0) {
      return fn<void*(const char*, float, unsigned int)>("_Z19dv_ttf_font_load_exPKcfj")(
          kFonts[font].path, pixel_size, kFonts[font].options);
    }
    return fn<void*(const char*, float)>("_Z16dv_ttf_font_loadPKcf")(kFonts[font].path, pixel_size);
  }
  Image* render(void* handle, const char* text) {
    return fn<Image*(void*, const char*, int, int, int, double)>("_Z18dv_ttf_font_renderPvPKciiid")(
        handle, text, 10, 20, 30, 200.0);
  }
  void free_font(void* handle) { fn<void(void*)>("_Z16dv_ttf_font_freePv")(handle); }

  // The image's size and RGBA bytes, then the image is released. Empty for null.
  std::string take(Image* image) {
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

  // The host requests `call` makes on a clean run.
  uint64_t clean_requests(const std::function<void()>& call) {
    const uint64_t before = host_requests();
    call();
    return host_requests() - before;
  }

  // Runs `call` with its n-th host request failing (and every later one too when
  // `and_later`, so that the exception itself finds no heap); false when it halted.
  bool with_request_failing(uint64_t n, const std::function<void()>& call, bool and_later = false) {
    if (and_later) {
      dvhost::host_heap::fail_requests_from(n);
    } else {
      dvhost::host_heap::fail_request(n);
    }
    const bool halted = halts(call);
    dvhost::host_heap::clear_fault_injection();
    return !halted;
  }

  std::vector<Bytes> bytes_;
};

} // namespace

TEST_F(AllocationFailure, FailedLoadGivesNullAndLeavesNothing) {
  for (size_t font = 0; font < std::size(kFonts); ++font) {
    for (bool from_file : {false, true}) {
      const auto load = [&] { return from_file ? load_file(font) : load_memory(font); };
      void* clean = nullptr;
      const uint64_t requests = clean_requests([&] { clean = load(); });
      ASSERT_NE(clean, nullptr);
      free_font(clean);
      const long blocks = leaked_blocks();
      for (uint64_t n : requests_to_fail(requests)) {
        void* handle = reinterpret_cast<void*>(1);
        ASSERT_TRUE(with_request_failing(n, [&] { handle = load(); }))
            << kFonts[font].name << (from_file ? " file" : " memory") << " request " << n;
        EXPECT_EQ(handle, nullptr) << kFonts[font].name << " request " << n;
        EXPECT_EQ(leaked_blocks(), blocks) << kFonts[font].name << " request " << n;
      }
    }
  }
}

TEST_F(AllocationFailure, FailedRenderGivesNullAndTheHandleDrawsAsBefore) {
  for (size_t font = 0; font < std::size(kFonts); ++font) {
    void* reference = load_memory(font);
    ASSERT_NE(reference, nullptr);
    const std::string clean_cold = take(render(reference, kTwoLines));
    ASSERT_FALSE(clean_cold.empty());
    for (bool warm : {false, true}) {
      void* handle = load_memory(font);
      ASSERT_NE(handle, nullptr);
      if (warm) {
        take(render(handle, kTwoLines));
      }
      std::string drawn;
      const uint64_t requests = clean_requests([&] { drawn = take(render(handle, kTwoLines)); });
      ASSERT_EQ(drawn, clean_cold);
      free_font(handle);
      for (uint64_t n : requests_to_fail(requests)) {
        const bool and_later = n % 2 == 0;
        const long blocks = leaked_blocks();
        handle = load_memory(font);
        if (warm) {
          take(render(handle, kTwoLines));
        }
        Image* image = reinterpret_cast<Image*>(1);
        ASSERT_TRUE(with_request_failing(
            n, [&] { image = render(handle, kTwoLines); }, and_later))
            << kFonts[font].name << (warm ? " warm" : " cold") << " request " << n;
        // The last request is the image record itself: failing it still gives null.
        EXPECT_EQ(image, nullptr) << kFonts[font].name << " request " << n;
        EXPECT_EQ(take(render(handle, kTwoLines)), clean_cold)
            << kFonts[font].name << (warm ? " warm" : " cold") << " request " << n;
        free_font(handle);
        EXPECT_EQ(leaked_blocks(), blocks) << kFonts[font].name << " request " << n;
      }
    }
    free_font(reference);
  }
}

// A measure on a fresh handle, each of its host requests failing in turn: 0 with the
// outputs untouched, nothing leaked, and the handle measures as before.
TEST_F(AllocationFailure, FailedMeasureGivesZeroWithOutputsUntouched) {
  const auto measure = [&](void* handle, int* size) {
    return fn<int(void*, const char*, int*, int*, int*)>("_Z19dv_ttf_font_measurePvPKcPiS2_S2_")(
        handle, kTwoLines, &size[0], &size[1], &size[2]);
  };
  for (size_t font = 0; font < std::size(kFonts); ++font) {
    int clean[3] = {};
    int result = 0;
    void* clean_handle = load_memory(font);
    ASSERT_NE(clean_handle, nullptr);
    const uint64_t requests = clean_requests([&] { result = measure(clean_handle, clean); });
    ASSERT_EQ(result, 1);
    free_font(clean_handle);
    for (uint64_t n : requests_to_fail(requests)) {
      const long blocks = leaked_blocks();
      void* handle = load_memory(font);
      int size[3] = {-7, -7, -7};
      ASSERT_TRUE(with_request_failing(
          n, [&] { result = measure(handle, size); }, n % 2 == 0))
          << kFonts[font].name << " request " << n;
      EXPECT_EQ(result, 0) << kFonts[font].name << " request " << n << " of " << requests;
      EXPECT_EQ(std::vector<int>(size, size + 3), (std::vector<int>{-7, -7, -7}));
      ASSERT_EQ(measure(handle, size), 1);
      EXPECT_EQ(std::vector<int>(size, size + 3), std::vector<int>(clean, clean + 3));
      free_font(handle);
      EXPECT_EQ(leaked_blocks(), blocks) << kFonts[font].name << " request " << n;
    }
  }
}
