#include "fonts.h"

#include "font/entry_points.h"
#include "font/sfnt/cmap.h"
#include "font/text/image.h"
#include "glyph_canvas.h"
#include "paragraph.h"

namespace bench {

std::string utf8(unsigned c) {
  std::string s;
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | (c >> 6));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
  return s;
}

void* load_dvttf(int pixel_size, unsigned int options) {
  const auto& bytes = dejavu_sans_bytes();
  if (options != 0)
    return dv::dv_ttf_font_load_memory_ex(bytes.data(), bytes.size(),
                                          static_cast<float>(pixel_size), options);
  return dv::dv_ttf_font_load_memory(bytes.data(), bytes.size(), static_cast<float>(pixel_size));
}

void free_image(TextImage* image) {
  delete[] image->pixels;
  delete image;
}

bool load_truetype(TrueTypeFont& font) {
  const auto& bytes = dejavu_sans_bytes();
  return load_truetype_font(font,
                            dv::vector<unsigned char>(bytes.data(), bytes.data() + bytes.size()));
}

uint16_t glyph_of(const TrueTypeFont& font, unsigned c) {
  return map_code_point(font.data, font.cmap4, font.cmap12_groups, c);
}

FT_Library freetype() {
  static FT_Library library = [] {
    FT_Library created = nullptr;
    FT_Init_FreeType(&created);
    return created;
  }();
  return library;
}

FT_Face load_freetype(int pixel_size) {
  const auto& bytes = dejavu_sans_bytes();
  FT_Face face = nullptr;
  if (FT_New_Memory_Face(freetype(), bytes.data(), static_cast<FT_Long>(bytes.size()), 0, &face))
    return nullptr;
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixel_size));
  return face;
}

bool load_stb(stbtt_fontinfo& font) {
  const auto& bytes = dejavu_sans_bytes();
  return stbtt_InitFont(&font, bytes.data(), stbtt_GetFontOffsetForIndex(bytes.data(), 0)) != 0;
}

float stb_scale(const stbtt_fontinfo& font, int pixel_size) {
  return stbtt_ScaleForMappingEmToPixels(&font, static_cast<float>(pixel_size));
}

double draw_stb_glyph(const stbtt_fontinfo& font, float scale, unsigned c, GlyphCanvas& canvas,
                      int x, int baseline) {
  int width = 0;
  int height = 0;
  int left = 0;
  int top = 0;
  unsigned char* coverage = stbtt_GetCodepointBitmap(&font, scale, scale, static_cast<int>(c),
                                                     &width, &height, &left, &top);
  if (coverage != nullptr) {
    canvas.compose(coverage, width, height, width, x + left, baseline + top);
    stbtt_FreeBitmap(coverage, nullptr);
  }
  int advance = 0;
  int bearing = 0;
  stbtt_GetCodepointHMetrics(&font, static_cast<int>(c), &advance, &bearing);
  return advance * scale;
}

} // namespace bench
