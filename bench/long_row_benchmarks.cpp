// Glyphs whose sample rows cross their outline tens of thousands of times, and the sort
// that orders such a row:
//   - `star/GLYPH/PX`: one dv_ttf_font_render of a star polygon between two circles
//     (tests/support/star_glyphs.h) on a fresh handle made outside the timing: the
//     65,534-point star at 16 px, and four stars of 65,500 points (262,000 edges) at 38 px,
//     the largest size a render's work budget pays for them;
//   - `crossing_sort/ORDER/N`: sorting one row of N crossings, already in the previous
//     row's order bar a few neighbours swapped (`nearly`, the common case) or in no order
//     at all (`shuffled`, crossing edges of a hostile outline). Time per crossing is the
//     time over N.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "font/entry_points.h"
#include "font/raster/crossing_sort.h"
#include "fonts.h"
#include "support/star_glyphs.h"

namespace {

using testfont::Bytes;

void render_star(benchmark::State& state, char32_t codepoint, float pixel_size) {
  static const Bytes font_bytes = testfont::star_font();
  const std::string text = bench::utf8(static_cast<unsigned>(codepoint));
  bool drawn = false;
  for (auto _ : state) {
    state.PauseTiming();
    void* font = dv::dv_ttf_font_load_memory(font_bytes.data(), font_bytes.size(), pixel_size);
    state.ResumeTiming();
    TextImage* image = dv::dv_ttf_font_render(font, text.c_str(), 0, 0, 0, 255.0);
    state.PauseTiming();
    drawn = image != nullptr;
    if (image != nullptr)
      bench::free_image(image);
    dv::dv_ttf_font_free(font);
    state.ResumeTiming();
  }
  state.counters["drawn"] = drawn ? 1 : 0;
}

// Keys as the rasterizer packs them: sample column and winding bit.
std::vector<uint32_t> crossing_row(size_t count, bool shuffled) {
  std::mt19937 random(7);
  std::vector<uint32_t> row(count);
  for (size_t i = 0; i < count; ++i)
    row[i] = static_cast<uint32_t>(random() % (4u * 16384u)) << 1 | (i & 1);
  std::sort(row.begin(), row.end());
  if (shuffled) {
    std::shuffle(row.begin(), row.end(), random);
  } else {
    for (size_t i = 0; i + 1 < count; i += 7)
      std::swap(row[i], row[i + 1]);
  }
  return row;
}

void sort_row(benchmark::State& state, bool shuffled) {
  const std::vector<uint32_t> unsorted =
      crossing_row(static_cast<size_t>(state.range(0)), shuffled);
  std::vector<uint32_t> row;
  for (auto _ : state) {
    state.PauseTiming();
    row = unsorted;
    state.ResumeTiming();
    sort_crossings(row.data(), row.size());
    benchmark::DoNotOptimize(row.data());
  }
  if (!std::is_sorted(row.begin(), row.end()))
    state.SkipWithError("not sorted");
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

const bool kRegistered = [] {
  benchmark::RegisterBenchmark("star/65534_points/16", render_star, testfont::kStarCodepoint, 16.0f)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("star/262000_edges/38", render_star, testfont::kFourStarsCodepoint,
                               38.0f)
      ->Unit(benchmark::kMillisecond);
  for (bool shuffled : {false, true}) {
    benchmark::RegisterBenchmark(shuffled ? "crossing_sort/shuffled" : "crossing_sort/nearly",
                                 sort_row, shuffled)
        ->Arg(64)
        ->Arg(1024)
        ->Arg(16384)
        ->Arg(262144)
        ->Unit(benchmark::kMicrosecond);
  }
  return true;
}();

} // namespace
