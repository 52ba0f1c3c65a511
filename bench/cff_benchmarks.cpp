// An OpenType CFF font (NimbusSans from fonts-urw-base35) opened and one character drawn,
// per iteration, so the cost of loading (the library copies the file and reads the sfnt
// and CFF tables; FreeType and stb_truetype read in place) counts beside one cold glyph:
//   cff-load-char/DovrelTTF  dv_ttf_font_load_memory_ex with the CFF option, a one-
//                            character dv_ttf_font_render, the image and font freed
//   cff-load-char/FreeType   FT_New_Memory_Face, FT_Set_Pixel_Sizes, FT_Load_Char
//                            (FT_LOAD_RENDER | FT_LOAD_NO_HINTING), FT_Done_Face
//   cff-load-char/stb        stbtt_InitFont, stbtt_GetCodepointBitmap, stbtt_FreeBitmap
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "font/entry_points.h"
#include "font/load_options.h"
#include "font/text/image.h"
#include "fonts.h"
#include "paragraph.h"

// stb_truetype's functions are compiled into this file alone, file-local.
#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb/stb_truetype.h>

namespace {

constexpr char kCffFontPath[] = "/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf";
constexpr char kCharacter[] = "g"; // curves, with subroutines and hints

const std::vector<unsigned char>& cff_font_bytes() {
  static const std::vector<unsigned char> bytes = [] {
    std::ifstream in(kCffFontPath, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
  }();
  return bytes;
}

void load_char_dvttf(benchmark::State& state, int pixel_size) {
  const auto& bytes = cff_font_bytes();
  for (auto _ : state) {
    void* font = dv::dv_ttf_font_load_memory_ex(
        bytes.data(), bytes.size(), static_cast<float>(pixel_size), load_option::kOpenTypeCff);
    if (font == nullptr) {
      state.SkipWithError("NimbusSans-Regular.otf did not load (fonts-urw-base35)");
      return;
    }
    TextImage* image = dv::dv_ttf_font_render(font, kCharacter, 0, 0, 0, 255.0);
    benchmark::DoNotOptimize(image->pixels);
    bench::free_image(image);
    dv::dv_ttf_font_free(font);
  }
}

void load_char_freetype(benchmark::State& state, int pixel_size) {
  const auto& bytes = cff_font_bytes();
  for (auto _ : state) {
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(bench::freetype(), bytes.data(), static_cast<FT_Long>(bytes.size()), 0,
                           &face) != 0) {
      state.SkipWithError("FreeType could not open NimbusSans-Regular.otf");
      return;
    }
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixel_size));
    FT_Load_Char(face, static_cast<FT_ULong>(kCharacter[0]), FT_LOAD_RENDER | FT_LOAD_NO_HINTING);
    benchmark::DoNotOptimize(face->glyph->bitmap.buffer);
    FT_Done_Face(face);
  }
}

void load_char_stb(benchmark::State& state, int pixel_size) {
  const auto& bytes = cff_font_bytes();
  for (auto _ : state) {
    stbtt_fontinfo font;
    if (stbtt_InitFont(&font, bytes.data(), stbtt_GetFontOffsetForIndex(bytes.data(), 0)) == 0) {
      state.SkipWithError("stb_truetype could not open NimbusSans-Regular.otf");
      return;
    }
    const float scale = stbtt_ScaleForMappingEmToPixels(&font, static_cast<float>(pixel_size));
    int width = 0, height = 0, left = 0, top = 0;
    unsigned char* coverage =
        stbtt_GetCodepointBitmap(&font, scale, scale, kCharacter[0], &width, &height, &left, &top);
    benchmark::DoNotOptimize(coverage);
    stbtt_FreeBitmap(coverage, nullptr);
  }
}

const bool kRegistered = [] {
  bench::register_at_every_size({{"cff-load-char/DovrelTTF", load_char_dvttf},
                                 {"cff-load-char/FreeType", load_char_freetype},
                                 {"cff-load-char/stb", load_char_stb}});
  return true;
}();

} // namespace
