// (d) Whether a render costs more once the glyph cache is full: distinct code points from
// U+0021 up, one per one-character render, on one handle loaded for the iteration. Each
// benchmark times one thousand of those renders; the ones before them run untimed.
//   fill/first-thousand  U+0021 .. U+0408, into an empty cache
//   fill/sixth-thousand  U+13A9 .. U+1790, after the five thousand before them
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "font/entry_points.h"
#include "font/text/image.h"
#include "fonts.h"
#include "paragraph.h"

namespace {

constexpr unsigned kFirstCodePoint = 0x21;
constexpr unsigned kThousand = 1000;

void render_each(void* font, const std::vector<std::string>& texts, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i) {
    TextImage* image = dv::dv_ttf_font_render(font, texts[i].c_str(), 0, 0, 0, 255.0);
    benchmark::DoNotOptimize(image->pixels);
    bench::free_image(image);
  }
}

// Times the renders of thousand number `thousand` (1 for the first).
void fill(benchmark::State& state, int pixel_size, unsigned thousand) {
  std::vector<std::string> texts;
  for (unsigned c = kFirstCodePoint; c < kFirstCodePoint + thousand * kThousand; ++c)
    texts.push_back(bench::utf8(c));
  const size_t timed = (thousand - 1) * kThousand;
  for (auto _ : state) {
    state.PauseTiming();
    void* font = bench::load_dvttf(pixel_size);
    if (font == nullptr) {
      state.SkipWithError("DejaVu Sans did not load");
      break;
    }
    render_each(font, texts, 0, timed);
    state.ResumeTiming();
    render_each(font, texts, timed, texts.size());
    state.PauseTiming();
    dv::dv_ttf_font_free(font);
    state.ResumeTiming();
  }
  state.counters["renders"] = kThousand;
}

void first_thousand(benchmark::State& state, int pixel_size) {
  fill(state, pixel_size, 1);
}
void sixth_thousand(benchmark::State& state, int pixel_size) {
  fill(state, pixel_size, 6);
}

const bool kRegistered = [] {
  bench::register_at_every_size(
      {{"fill/first-thousand", first_thousand}, {"fill/sixth-thousand", sixth_thousand}});
  return true;
}();

} // namespace
