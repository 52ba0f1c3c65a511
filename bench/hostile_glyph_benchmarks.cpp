// The costliest glyphs the limits allow (tests/support/hostile_glyphs.h), TrueType and
// Type 1, rendered at 40 px as one character and as 1,024 and 16,384 distinct code points
// mapped to them: `hostile/FORMAT/SHAPE/COUNT`, one dv_ttf_font_render on a fresh handle
// per iteration (the handle is made outside the timing). Most of these renders give null
// once the render's work runs out; the counter `drawn` tells which gave an image.
#include <benchmark/benchmark.h>

#include <string>

#include "font/entry_points.h"
#include "fonts.h"
#include "support/hostile_glyphs.h"
#include "support/utf8_encode.h"

namespace {

using testfont::Bytes;
using testfont::HostileShape;

std::string unmapped_codepoints(int count) {
  std::string text;
  for (char32_t cp = 0x4E00; cp < 0x4E00 + static_cast<char32_t>(count); ++cp) {
    textref::append_utf8(text, cp);
  }
  return text;
}

void render_hostile(benchmark::State& state, const Bytes* font_bytes, int count) {
  const std::string text = unmapped_codepoints(count);
  bool drawn = false;
  for (auto _ : state) {
    state.PauseTiming();
    void* font = dv::dv_ttf_font_load_memory(font_bytes->data(), font_bytes->size(),
                                             testfont::kHostilePixelSize);
    state.ResumeTiming();
    TextImage* image = dv::dv_ttf_font_render(font, text.c_str(), 0, 0, 0, 255.0);
    state.PauseTiming();
    drawn = image != nullptr;
    if (image != nullptr) {
      bench::free_image(image);
    }
    dv::dv_ttf_font_free(font);
    state.ResumeTiming();
  }
  state.counters["drawn"] = drawn ? 1 : 0;
}

const bool kRegistered = [] {
  for (bool type1 : {false, true}) {
    for (HostileShape shape : testfont::kHostileShapes) {
      const auto* bytes =
          new Bytes(type1 ? testfont::hostile_type1(shape) : testfont::hostile_truetype(shape));
      for (int count : {1, 1024, 16384}) {
        const std::string name = std::string("hostile/") + (type1 ? "Type1/" : "TrueType/") +
                                 testfont::hostile_shape_name(shape) + "/" + std::to_string(count);
        benchmark::RegisterBenchmark(name.c_str(), render_hostile, bytes, count)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
      }
    }
  }
  return true;
}();

} // namespace
