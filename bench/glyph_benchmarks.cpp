// Glyph by glyph, against FreeType, stb_truetype and the reference rasterizer:
//   chars/DovrelTTF   every mapped code point of U+0020..U+017F once, each as a one-character
//                     text, on a handle loaded for the iteration (untimed): every glyph cold
//   chars/DovrelTTF-hinted  the same with the extended loader's light hinting
//   chars/FreeType    FT_Load_Char(FT_LOAD_RENDER | FT_LOAD_NO_HINTING) of the same code
//                     points, each composed onto a one-glyph canvas and expanded to RGBA
//   chars/stb         stbtt_GetCodepointBitmap at the em scale of the same, composed alike
//   raster/production the paragraph's distinct glyph outlines, built beforehand, through
//                     the library's rasterizer ...
//   raster/reference  ... and through the reference rasterizer
//   large/...         single display-size glyphs (W g @ &) through the library's glyph path
//                     and through FreeType
#include <benchmark/benchmark.h>

#include <set>
#include <string>
#include <vector>

#include "font/entry_points.h"
#include "font/load_options.h"
#include "font/raster/rasterizer.h"
#include "font/text/image.h"
#include "font/truetype/glyph_bitmap.h"
#include "font/truetype/outline.h"
#include "fonts.h"
#include "glyph_canvas.h"
#include "paragraph.h"
#include "unit/font/raster/reference_rasterizer.h"

namespace {

// The code points of U+0020..U+017F that DejaVu Sans maps to a glyph.
const std::vector<unsigned>& latin_code_points() {
  static const std::vector<unsigned> code_points = [] {
    std::vector<unsigned> mapped;
    FT_Face face = bench::load_freetype(12);
    for (unsigned c = 0x20; c <= 0x17F && face != nullptr; ++c)
      if (FT_Get_Char_Index(face, c) != 0)
        mapped.push_back(c);
    if (face != nullptr)
      FT_Done_Face(face);
    return mapped;
  }();
  return code_points;
}

void chars_dvttf_loaded_with(benchmark::State& state, int pixel_size, unsigned int options) {
  std::vector<std::string> texts;
  for (const unsigned c : latin_code_points())
    texts.push_back(bench::utf8(c));
  for (auto _ : state) {
    state.PauseTiming();
    void* font = bench::load_dvttf(pixel_size, options);
    state.ResumeTiming();
    if (font == nullptr) {
      state.SkipWithError("DejaVu Sans did not load");
      break;
    }
    for (const std::string& text : texts) {
      TextImage* image = dv::dv_ttf_font_render(font, text.c_str(), 0, 0, 0, 255.0);
      benchmark::DoNotOptimize(image->pixels);
      bench::free_image(image);
    }
    state.PauseTiming();
    dv::dv_ttf_font_free(font);
    state.ResumeTiming();
  }
  state.counters["glyphs"] = static_cast<double>(texts.size());
}

void chars_dvttf(benchmark::State& state, int pixel_size) {
  chars_dvttf_loaded_with(state, pixel_size, 0);
}

void chars_dvttf_hinted(benchmark::State& state, int pixel_size) {
  chars_dvttf_loaded_with(state, pixel_size, load_option::kHinting);
}

void chars_freetype(benchmark::State& state, int pixel_size) {
  FT_Face face = bench::load_freetype(pixel_size);
  if (face == nullptr) {
    state.SkipWithError("FreeType could not open DejaVu Sans");
    return;
  }
  for (auto _ : state) {
    for (const unsigned c : latin_code_points()) {
      if (FT_Load_Char(face, c, FT_LOAD_RENDER | FT_LOAD_NO_HINTING))
        continue;
      const FT_GlyphSlot slot = face->glyph;
      bench::GlyphCanvas canvas(pixel_size, 1, 1);
      canvas.compose(slot->bitmap.buffer, static_cast<int>(slot->bitmap.width),
                     static_cast<int>(slot->bitmap.rows), slot->bitmap.pitch, slot->bitmap_left,
                     pixel_size - slot->bitmap_top);
      benchmark::DoNotOptimize(canvas.to_rgba());
    }
  }
  FT_Done_Face(face);
}

void chars_stb(benchmark::State& state, int pixel_size) {
  stbtt_fontinfo font;
  if (!bench::load_stb(font)) {
    state.SkipWithError("stb_truetype could not open DejaVu Sans");
    return;
  }
  const float scale = bench::stb_scale(font, pixel_size);
  for (auto _ : state) {
    for (const unsigned c : latin_code_points()) {
      bench::GlyphCanvas canvas(pixel_size, 1, 1);
      bench::draw_stb_glyph(font, scale, c, canvas, 0, pixel_size);
      benchmark::DoNotOptimize(canvas.to_rgba());
    }
  }
}

// The outlines of the paragraph's distinct characters at `pixel_size`.
std::vector<OutlineBuilder> paragraph_outlines(int pixel_size) {
  std::vector<OutlineBuilder> outlines;
  TrueTypeFont font;
  if (!bench::load_truetype(font))
    return outlines;
  const double scale = static_cast<double>(pixel_size) / font.units_per_em;
  const std::set<unsigned char> characters(bench::kParagraph,
                                           bench::kParagraph + sizeof bench::kParagraph - 1);
  for (const unsigned char c : characters) {
    OutlineBuilder outline;
    if (append_glyph_outline(font, bench::glyph_of(font, c), {scale, 0, 0, scale, 0, 0}, outline,
                             0))
      outlines.push_back(outline);
  }
  return outlines;
}

void raster_production(benchmark::State& state, int pixel_size) {
  const std::vector<OutlineBuilder> outlines = paragraph_outlines(pixel_size);
  RasterScratch scratch;
  for (auto _ : state)
    for (const OutlineBuilder& outline : outlines)
      benchmark::DoNotOptimize(rasterize_outline(outline, 0, scratch).pixels.data);
}

void raster_reference(benchmark::State& state, int pixel_size) {
  const std::vector<OutlineBuilder> outlines = paragraph_outlines(pixel_size);
  for (auto _ : state)
    for (const OutlineBuilder& outline : outlines)
      benchmark::DoNotOptimize(reference_rasterize(outline).pixels.data());
}

constexpr int kLargeSizes[] = {400, 800, 1200};
constexpr char kLargeCharacters[] = "Wg@&";

void large_dvttf(benchmark::State& state, char c, int pixel_size) {
  TrueTypeFont font;
  if (!bench::load_truetype(font)) {
    state.SkipWithError("DejaVu Sans did not load");
    return;
  }
  const uint16_t glyph = bench::glyph_of(font, static_cast<unsigned char>(c));
  const double scale = static_cast<double>(pixel_size) / font.units_per_em;
  for (auto _ : state)
    benchmark::DoNotOptimize(rasterize_truetype_glyph(font, glyph, scale).pixels.data);
}

void large_freetype(benchmark::State& state, char c, int pixel_size) {
  FT_Face face = bench::load_freetype(pixel_size);
  if (face == nullptr) {
    state.SkipWithError("FreeType could not open DejaVu Sans");
    return;
  }
  for (auto _ : state) {
    FT_Load_Char(face, static_cast<unsigned char>(c), FT_LOAD_RENDER | FT_LOAD_NO_HINTING);
    benchmark::DoNotOptimize(face->glyph->bitmap.buffer);
  }
  FT_Done_Face(face);
}

const bool kRegistered = [] {
  bench::register_at_every_size({{"chars/DovrelTTF", chars_dvttf},
                                 {"chars/DovrelTTF-hinted", chars_dvttf_hinted},
                                 {"chars/FreeType", chars_freetype},
                                 {"chars/stb", chars_stb},
                                 {"raster/production", raster_production},
                                 {"raster/reference", raster_reference}});
  for (const int size : kLargeSizes)
    for (const char* c = kLargeCharacters; *c != 0; ++c) {
      const std::string suffix = std::string("/") + *c + "/" + std::to_string(size);
      benchmark::RegisterBenchmark(("large/DovrelTTF" + suffix).c_str(), large_dvttf, *c, size)
          ->Unit(benchmark::kMillisecond);
      benchmark::RegisterBenchmark(("large/FreeType" + suffix).c_str(), large_freetype, *c, size)
          ->Unit(benchmark::kMillisecond);
    }
  return true;
}();

} // namespace
