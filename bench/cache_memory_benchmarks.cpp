// Glyph-cache memory: what one cached glyph of the paragraph costs after a render, at
// every size. Everything the cache holds comes from operator new (counted in this
// process) or the host heap (the stand-in's accounting); both are summed. Reported as
// counters; the timed loop is empty.
#include <benchmark/benchmark.h>

#include <string>

#include "allocation_counter.h"
#include "font/entry_points.h"
#include "font/font_handle.h"
#include "font/text/image.h"
#include "host/host_heap.h"
#include "paragraph.h"

namespace {

size_t held_bytes() {
  return bench::live_new_bytes() + dvhost::host_heap::live_bytes();
}

void cache_memory(benchmark::State& state, int pixel_size) {
  const auto& bytes = bench::dejavu_sans_bytes();
  auto* font = static_cast<FontHandle*>(
      dv::dv_ttf_font_load_memory(bytes.data(), bytes.size(), static_cast<float>(pixel_size)));
  if (font == nullptr) {
    state.SkipWithError("DejaVu Sans did not load");
    return;
  }
  const size_t before = held_bytes();
  TextImage* image = dv::dv_ttf_font_render(font, bench::kParagraph, 0, 0, 0, 255.0);
  if (image != nullptr) {
    delete[] image->pixels;
    delete image;
  }
  const size_t cache_bytes = held_bytes() - before;
  const unsigned long glyphs = font->bitmap_cache.count();
  size_t pixel_bytes = 0;
  for (const auto& entry : font->bitmap_cache.entries)
    pixel_bytes += entry.second.pixels.capacity;
  dv::dv_ttf_font_free(font);
  for (auto _ : state) {
  }
  state.counters["glyphs"] = static_cast<double>(glyphs);
  state.counters["bytes_per_glyph"] = static_cast<double>(cache_bytes) / glyphs;
  state.counters["pixel_bytes_per_glyph"] = static_cast<double>(pixel_bytes) / glyphs;
}

const bool kRegistered = [] {
  for (const int size : bench::kPixelSizes)
    benchmark::RegisterBenchmark(("cache_memory/DovrelTTF/" + std::to_string(size)).c_str(),
                                 cache_memory, size)
        ->Iterations(1);
  return true;
}();

} // namespace
