// Putting the paragraph onto a 1920 x 1080 BGRX surface, warm (glyphs cached), two ways:
//   surface/draw         dv_ttf_font_draw straight onto the surface
//   surface/render+blit  dv_ttf_font_render_layout, then every pixel of its image blended
//                        onto the surface by the same formula, one division per channel
//                        (tests/support/surface_oracle.h), then the image freed
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "font/entry_points.h"
#include "font/text/image.h"
#include "font/text/laid_out_text.h"
#include "fonts.h"
#include "paragraph.h"
#include "support/surface_oracle.h"

namespace {

constexpr int32_t kWidth = 1920;
constexpr int32_t kHeight = 1080;
constexpr int32_t kPitch = kWidth * 4;
constexpr int kX = 40;
constexpr int kY = 60;

struct Screen {
  std::vector<uint8_t> pixels = std::vector<uint8_t>(static_cast<size_t>(kPitch) * kHeight, 0x20);
  DvTtfSurface surface{pixels.data(), kWidth, kHeight, kPitch, text_layout::kFormatBgrx8888};
};

void surface_draw(benchmark::State& state, int pixel_size) {
  void* font = bench::load_dvttf(pixel_size);
  Screen screen;
  if (font == nullptr || dv::dv_ttf_font_draw(font, bench::kParagraph, nullptr, &screen.surface, kX,
                                              kY, 250, 250, 250, 255.0) != 1)
    state.SkipWithError("DejaVu Sans did not load or draw");
  for (auto _ : state) {
    dv::dv_ttf_font_draw(font, bench::kParagraph, nullptr, &screen.surface, kX, kY, 250, 250, 250,
                         255.0);
    benchmark::DoNotOptimize(screen.pixels.data());
  }
  dv::dv_ttf_font_free(font);
}

void surface_render_and_blit(benchmark::State& state, int pixel_size) {
  void* font = bench::load_dvttf(pixel_size);
  Screen screen;
  for (auto _ : state) {
    TextImage* image =
        dv::dv_ttf_font_render_layout(font, bench::kParagraph, nullptr, 250, 250, 250, 255.0);
    if (image == nullptr) {
      state.SkipWithError("DejaVu Sans did not render");
      break;
    }
    surface_oracle::blit(image->pixels, image->width, image->height, screen.pixels.data(), kWidth,
                         kHeight, kPitch, surface_oracle::kBgrx8888, kX, kY);
    benchmark::DoNotOptimize(screen.pixels.data());
    delete[] image->pixels;
    delete image;
  }
  dv::dv_ttf_font_free(font);
}

const bool registered = [] {
  for (const int size : {12, 16, 32, 64}) {
    const std::string suffix = "/" + std::to_string(size);
    benchmark::RegisterBenchmark(("surface/draw" + suffix).c_str(), surface_draw, size);
    benchmark::RegisterBenchmark(("surface/render+blit" + suffix).c_str(), surface_render_and_blit,
                                 size);
  }
  return true;
}();

} // namespace
