// Rendering the paragraph in DejaVu Sans at every size, five ways side by side:
//   DovrelTTF       the library's text rendering (load + render + compose into RGBA)
//   FreeType        load + each glyph unhinted (FT_LOAD_NO_HINTING) + compose into RGBA
//   stb             stbtt_InitFont + each glyph stbtt_GetCodepointBitmap + compose into RGBA
//   DovrelTTF-glyph the library's TrueType loader and glyph rasterizer, composed like FreeType
//   reference       the same outlines through the test suite's reference rasterizer
// "cold" starts from the font bytes in memory each iteration; "warm" keeps the loaded
// font (and so the library's glyph cache) between iterations.
#include <benchmark/benchmark.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <string>

#include "font/entry_points.h"
#include "font/sfnt/cmap.h"
#include "font/sfnt/sfnt.h"
#include "font/text/image.h"
#include "font/truetype/font.h"
#include "font/truetype/glyph_bitmap.h"
#include "font/truetype/outline.h"
#include "fonts.h"
#include "glyph_canvas.h"
#include "paragraph.h"
#include "unit/font/raster/reference_rasterizer.h"

namespace {

using bench::free_image;
using bench::glyph_of;
using bench::GlyphCanvas;
using bench::load_dvttf;
using bench::load_freetype;
using bench::load_truetype;

constexpr int kColumns = 64;
constexpr int kLines = 5;

// Lays the paragraph out glyph by glyph: `draw(c, pen_x, baseline)` composes character c
// and returns its advance in pixels.
template <typename Draw> void draw_paragraph(GlyphCanvas& canvas, int pixel_size, Draw draw) {
  double pen = 0;
  int baseline = pixel_size;
  for (const char* c = bench::kParagraph; *c != 0; ++c) {
    if (*c == '\n') {
      pen = 0;
      baseline += canvas.line_height();
      continue;
    }
    pen += draw(static_cast<unsigned char>(*c), static_cast<int>(std::lround(pen)), baseline);
  }
}

// ---- DovrelTTF text rendering --------------------------------------------------------

bool render_dvttf(void* font) {
  TextImage* image = dv::dv_ttf_font_render(font, bench::kParagraph, 0, 0, 0, 255.0);
  if (image == nullptr)
    return false;
  benchmark::DoNotOptimize(image->pixels);
  free_image(image);
  return true;
}

void dvttf_cold(benchmark::State& state, int pixel_size) {
  for (auto _ : state) {
    void* font = load_dvttf(pixel_size);
    if (font == nullptr || !render_dvttf(font))
      state.SkipWithError("DejaVu Sans did not load or render");
    dv::dv_ttf_font_free(font);
  }
}

void dvttf_warm(benchmark::State& state, int pixel_size) {
  void* font = load_dvttf(pixel_size);
  if (font == nullptr || !render_dvttf(font))
    state.SkipWithError("DejaVu Sans did not load or render");
  for (auto _ : state)
    render_dvttf(font);
  dv::dv_ttf_font_free(font);
}

// ---- FreeType ------------------------------------------------------------------------

void render_freetype(FT_Face face, int pixel_size) {
  GlyphCanvas canvas(pixel_size, kColumns, kLines);
  draw_paragraph(canvas, pixel_size, [&](unsigned c, int x, int baseline) {
    if (FT_Load_Char(face, c, FT_LOAD_RENDER | FT_LOAD_NO_HINTING))
      return 0.0;
    const FT_GlyphSlot slot = face->glyph;
    canvas.compose(slot->bitmap.buffer, static_cast<int>(slot->bitmap.width),
                   static_cast<int>(slot->bitmap.rows), slot->bitmap.pitch, x + slot->bitmap_left,
                   baseline - slot->bitmap_top);
    return slot->linearHoriAdvance / 65536.0;
  });
  benchmark::DoNotOptimize(canvas.to_rgba());
}

void freetype_cold(benchmark::State& state, int pixel_size) {
  for (auto _ : state) {
    FT_Face face = load_freetype(pixel_size);
    if (face == nullptr) {
      state.SkipWithError("FreeType could not open DejaVu Sans");
      break;
    }
    render_freetype(face, pixel_size);
    FT_Done_Face(face);
  }
}

void freetype_warm(benchmark::State& state, int pixel_size) {
  FT_Face face = load_freetype(pixel_size);
  if (face == nullptr) {
    state.SkipWithError("FreeType could not open DejaVu Sans");
    return;
  }
  for (auto _ : state)
    render_freetype(face, pixel_size);
  FT_Done_Face(face);
}

// ---- stb_truetype ---------------------------------------------------------------------

void render_stb(const stbtt_fontinfo& font, int pixel_size) {
  const float scale = bench::stb_scale(font, pixel_size);
  GlyphCanvas canvas(pixel_size, kColumns, kLines);
  draw_paragraph(canvas, pixel_size, [&](unsigned c, int x, int baseline) {
    return bench::draw_stb_glyph(font, scale, c, canvas, x, baseline);
  });
  benchmark::DoNotOptimize(canvas.to_rgba());
}

void stb_cold(benchmark::State& state, int pixel_size) {
  for (auto _ : state) {
    stbtt_fontinfo font;
    if (!bench::load_stb(font)) {
      state.SkipWithError("stb_truetype could not open DejaVu Sans");
      break;
    }
    render_stb(font, pixel_size);
  }
}

void stb_warm(benchmark::State& state, int pixel_size) {
  stbtt_fontinfo font;
  if (!bench::load_stb(font)) {
    state.SkipWithError("stb_truetype could not open DejaVu Sans");
    return;
  }
  for (auto _ : state)
    render_stb(font, pixel_size);
}

// ---- The library's glyph rasterizer and the reference, composed alike -----------------

// Loads the font afresh every iteration and draws the paragraph with `draw_glyph`, which
// composes one glyph onto the canvas and returns its advance in pixels.
template <typename DrawGlyph>
void truetype_glyphs_cold(benchmark::State& state, int pixel_size, DrawGlyph draw_glyph) {
  for (auto _ : state) {
    TrueTypeFont font;
    if (!load_truetype(font)) {
      state.SkipWithError("DejaVu Sans did not load");
      break;
    }
    const double scale = static_cast<double>(pixel_size) / font.units_per_em;
    GlyphCanvas canvas(pixel_size, kColumns, kLines);
    draw_paragraph(canvas, pixel_size, [&](unsigned c, int x, int baseline) {
      return draw_glyph(font, canvas, glyph_of(font, c), scale, x, baseline);
    });
    benchmark::DoNotOptimize(canvas.to_rgba());
  }
}

void dvttf_glyphs_cold(benchmark::State& state, int pixel_size) {
  truetype_glyphs_cold(state, pixel_size,
                       [](const TrueTypeFont& font, GlyphCanvas& canvas, uint16_t glyph,
                          double scale, int x, int baseline) {
                         const GlyphBitmap bitmap = rasterize_truetype_glyph(font, glyph, scale);
                         canvas.compose(bitmap.pixels.data, bitmap.width, bitmap.height,
                                        bitmap.width, x + bitmap.left, baseline - bitmap.top);
                         return bitmap.advance;
                       });
}

void reference_cold(benchmark::State& state, int pixel_size) {
  truetype_glyphs_cold(
      state, pixel_size,
      [](const TrueTypeFont& font, GlyphCanvas& canvas, uint16_t glyph, double scale, int x,
         int baseline) {
        OutlineBuilder outline;
        if (append_glyph_outline(font, glyph, {scale, 0, 0, scale, 0, 0}, outline, 0)) {
          const ReferenceBitmap bitmap = reference_rasterize(outline);
          canvas.compose(bitmap.pixels.data(), bitmap.width, bitmap.height, bitmap.width,
                         x + bitmap.left, baseline - bitmap.top);
        }
        uint16_t width = 0;
        advance_width(font, glyph, width);
        return width * scale;
      });
}

const bool kRegistered = [] {
  bench::register_at_every_size({{"cold/DovrelTTF", dvttf_cold},
                                 {"cold/FreeType", freetype_cold},
                                 {"cold/stb", stb_cold},
                                 {"cold/DovrelTTF-glyph", dvttf_glyphs_cold},
                                 {"cold/reference", reference_cold},
                                 {"warm/DovrelTTF", dvttf_warm},
                                 {"warm/FreeType", freetype_warm},
                                 {"warm/stb", stb_warm}});
  return true;
}();

} // namespace
