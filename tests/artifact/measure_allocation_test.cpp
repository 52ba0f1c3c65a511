// What dv_ttf_font_measure asks the host for, beside dv_ttf_font_render of the same text:
// the benchmark paragraph in DejaVu Sans at the benchmark sizes, on a fresh handle (every
// glyph new) and on a handle that has drawn it (every glyph cached), by the stand-in's
// accounting (requests and peak bytes held at once). Prints the figures bench/README.md
// quotes.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "artifact/artifact_fixture.h"
#include "bench/paragraph_text.h"

namespace {

constexpr const char* kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

struct Cost {
  uint64_t requests = 0;
  size_t peak_bytes = 0;
};

class MeasureAllocation : public dvtest::ArtifactTest {
protected:
  void* load(float pixel_size) {
    return fn<void*(const void*, unsigned long, float)>("_Z23dv_ttf_font_load_memoryPKvmf")(
        font_.data(), font_.size(), pixel_size);
  }
  void free_font(void* handle) { fn<void(void*)>("_Z16dv_ttf_font_freePv")(handle); }
  void render(void* handle) {
    struct Image {
      int32_t width, height;
      uint8_t* pixels;
    };
    auto* image = fn<Image*(void*, const char*, int, int, int, double)>(
        "_Z18dv_ttf_font_renderPvPKciiid")(handle, bench::kParagraph, 0, 0, 0, 255.0);
    ASSERT_NE(image, nullptr);
    fn<void(void*)>("_ZdaPv")(image->pixels);
    fn<void(void*)>("_ZdlPv")(image);
  }
  void measure(void* handle) {
    int size[3] = {};
    ASSERT_EQ(fn<int(void*, const char*, int*, int*, int*)>("_Z19dv_ttf_font_measurePvPKcPiS2_S2_")(
                  handle, bench::kParagraph, &size[0], &size[1], &size[2]),
              1);
  }
  Cost cost(const std::function<void()>& call) {
    Cost result;
    const uint64_t before = dvhost::host_heap::stats().requests;
    result.peak_bytes = peak_host_bytes(call);
    result.requests = dvhost::host_heap::stats().requests - before;
    return result;
  }

  std::vector<uint8_t> font_ = [] {
    std::ifstream in(kDejaVuSans, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }();
};

} // namespace

TEST_F(MeasureAllocation, MeasuringAsksForLessThanRendering) {
  ASSERT_FALSE(font_.empty()) << kDejaVuSans;
  std::printf("%6s %28s %28s\n", "", "cold: requests / peak bytes", "warm: requests / peak bytes");
  for (const float pixel_size : {12.0f, 16.0f, 32.0f, 64.0f, 128.0f}) {
    Cost cold[2];
    Cost warm[2];
    for (int measuring = 0; measuring < 2; ++measuring) {
      void* handle = load(pixel_size);
      ASSERT_NE(handle, nullptr);
      const auto call = [&] { measuring ? measure(handle) : render(handle); };
      cold[measuring] = cost(call);
      render(handle); // every glyph cached
      warm[measuring] = cost(call);
      free_font(handle);
    }
    for (const Cost* pair : {cold, warm}) {
      EXPECT_LT(pair[1].peak_bytes, pair[0].peak_bytes) << pixel_size << " px";
      EXPECT_LT(pair[1].requests, pair[0].requests) << pixel_size << " px";
    }
    std::printf("%4.0fpx render %5lu / %8zu  measure %5lu / %8zu | render %3lu / %8zu  measure "
                "%3lu / %8zu\n",
                pixel_size, static_cast<unsigned long>(cold[0].requests), cold[0].peak_bytes,
                static_cast<unsigned long>(cold[1].requests), cold[1].peak_bytes,
                static_cast<unsigned long>(warm[0].requests), warm[0].peak_bytes,
                static_cast<unsigned long>(warm[1].requests), warm[1].peak_bytes);
  }
}
