// Opening a font, and opening it to draw one glyph, on five fonts of every kind the
// library reads, per iteration:
//   load/FONT/DovrelTTF-copy    dv_ttf_font_load_memory_ex (CFF, collection and complete
//                               Type 1 options, face 0), dv_ttf_font_free
//   load/FONT/DovrelTTF-borrow  the same with DV_TTF_LOAD_BORROW (the bytes read in place)
//   load/FONT/FreeType          FT_New_Memory_Face, FT_Done_Face
//   load/FONT/stb               stbtt_InitFont (sfnt fonts only)
//   first/FONT/...              the same, plus one "g" at 16 px: a one-character
//                               dv_ttf_font_render; FT_Set_Pixel_Sizes and FT_Load_Char
//                               (FT_LOAD_RENDER | FT_LOAD_NO_HINTING); stbtt_GetCodepointBitmap
// The library's load benchmarks also report `held_per_file_byte`: what one loaded handle
// holds (operator new in this process plus the host heap), divided by the file's size.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "allocation_counter.h"
#include "font/entry_points.h"
#include "font/load_options.h"
#include "font/text/image.h"
#include "fonts.h"
#include "host/host_heap.h"

namespace {

constexpr unsigned int kFormats =
    load_option::kOpenTypeCff | load_option::kCollections | load_option::kCompleteType1;
constexpr int kPixelSize = 16;
constexpr char kCharacter[] = "g";

struct BenchFont {
  const char* name;
  const char* path;
  bool sfnt; // stb_truetype reads it
};

const BenchFont kFonts[] = {
    {"DejaVuSans", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", true},
    {"NotoSans", "/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf", true},
    {"WenQuanYiZenHei", "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc", true},
    {"NotoSansCJK", "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", true},
    {"NimbusSans", "/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb", false},
};

std::vector<unsigned char> read_file(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

size_t held_bytes() {
  return bench::live_new_bytes() + dvhost::host_heap::live_bytes();
}

void dvttf(benchmark::State& state, const BenchFont& font, unsigned int options, bool draw) {
  const std::vector<unsigned char> bytes = read_file(font.path);
  if (!draw) {
    const size_t before = held_bytes();
    void* handle = dv::dv_ttf_font_load_memory_ex(bytes.data(), bytes.size(),
                                                  static_cast<float>(kPixelSize), options);
    state.counters["held_per_file_byte"] =
        static_cast<double>(held_bytes() - before) / static_cast<double>(bytes.size());
    dv::dv_ttf_font_free(handle);
  }
  for (auto _ : state) {
    void* handle = dv::dv_ttf_font_load_memory_ex(bytes.data(), bytes.size(),
                                                  static_cast<float>(kPixelSize), options);
    if (handle == nullptr) {
      state.SkipWithError((std::string(font.path) + " did not load").c_str());
      return;
    }
    if (draw) {
      TextImage* image = dv::dv_ttf_font_render(handle, kCharacter, 0, 0, 0, 255.0);
      benchmark::DoNotOptimize(image->pixels);
      bench::free_image(image);
    }
    dv::dv_ttf_font_free(handle);
  }
}

void freetype(benchmark::State& state, const BenchFont& font, bool draw) {
  const std::vector<unsigned char> bytes = read_file(font.path);
  for (auto _ : state) {
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(bench::freetype(), bytes.data(), static_cast<FT_Long>(bytes.size()), 0,
                           &face) != 0) {
      state.SkipWithError((std::string("FreeType could not open ") + font.path).c_str());
      return;
    }
    if (draw) {
      FT_Set_Pixel_Sizes(face, 0, kPixelSize);
      FT_Load_Char(face, static_cast<FT_ULong>(kCharacter[0]), FT_LOAD_RENDER | FT_LOAD_NO_HINTING);
      benchmark::DoNotOptimize(face->glyph->bitmap.buffer);
    }
    FT_Done_Face(face);
  }
}

void stb(benchmark::State& state, const BenchFont& font, bool draw) {
  const std::vector<unsigned char> bytes = read_file(font.path);
  for (auto _ : state) {
    stbtt_fontinfo info;
    if (stbtt_InitFont(&info, bytes.data(), stbtt_GetFontOffsetForIndex(bytes.data(), 0)) == 0) {
      state.SkipWithError((std::string("stb_truetype could not open ") + font.path).c_str());
      return;
    }
    benchmark::DoNotOptimize(info.numGlyphs);
    if (draw) {
      const float scale = stbtt_ScaleForMappingEmToPixels(&info, kPixelSize);
      int width = 0, height = 0, left = 0, top = 0;
      unsigned char* coverage = stbtt_GetCodepointBitmap(&info, scale, scale, kCharacter[0], &width,
                                                         &height, &left, &top);
      benchmark::DoNotOptimize(coverage);
      stbtt_FreeBitmap(coverage, nullptr);
    }
  }
}

void register_font(const BenchFont& font, const char* kind, bool draw) {
  const std::string prefix = std::string(kind) + "/" + font.name + "/";
  benchmark::RegisterBenchmark((prefix + "DovrelTTF-copy").c_str(), [&font, draw](
                                                                        benchmark::State& state) {
    dvttf(state, font, kFormats, draw);
  })->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark((prefix + "DovrelTTF-borrow").c_str(), [&font, draw](
                                                                          benchmark::State& state) {
    dvttf(state, font, kFormats | load_option::kBorrow, draw);
  })->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark((prefix + "FreeType").c_str(), [&font,
                                                               draw](benchmark::State& state) {
    freetype(state, font, draw);
  })->Unit(benchmark::kMicrosecond);
  if (font.sfnt)
    benchmark::RegisterBenchmark((prefix + "stb").c_str(), [&font, draw](benchmark::State& state) {
      stb(state, font, draw);
    })->Unit(benchmark::kMicrosecond);
}

const bool kRegistered = [] {
  for (const char* kind : {"load", "first"})
    for (const BenchFont& font : kFonts)
      register_font(font, kind, kind[0] == 'f');
  return true;
}();

} // namespace
