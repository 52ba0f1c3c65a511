// The vertical crispness V of glyph images, ours and FreeType's, unhinted and hinted:
// per glyph, with S_r the summed coverage of row r (rows outside the ink counting 0),
//   V = sum_r (S_r - S_{r-1})^2 / sum_r S_r^2,
// averaged over a-z A-Z 0-9 drawn one at a time. An edge on a row boundary keeps its whole
// jump; one straddling two rows halves it and lowers V.
//
//   dvttf_crispness [font-file options-word] ...
// With no arguments it measures the fonts of bench/README.md (those installed), sizes
// 10-16 px, and prints a Markdown table: ours unhinted / hinted, FreeType unhinted /
// FT_LOAD_TARGET_LIGHT. It also checks what hinting must keep: each glyph's ink box
// (coverage >= 64) within 1 px of the unhinted one at 10-48 px, the advances unchanged,
// the x-height letters on one top row and the flat-bottomed ones on the baseline row at
// 10-16 px; any glyph breaking one is printed.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "font/entry_points.h"
#include "font/font_handle.h"
#include "font/load_options.h"

namespace {

struct FontFile {
  const char* name;
  const char* path;
  unsigned int options;
};

const FontFile kFonts[] = {
    {"DejaVu Sans", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 0},
    {"Liberation Sans", "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf", 0},
    {"Noto Sans", "/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf", 0},
    {"Cantarell (CFF)", "/usr/share/fonts/opentype/cantarell/Cantarell-Regular.otf",
     load_option::kOpenTypeCff},
    {"Nimbus Sans (Type 1)", "/usr/share/fonts/type1/urw-base35/NimbusSans-Regular.t1",
     load_option::kCompleteType1},
};

const std::string kLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

// A coverage image, top row first, with its top row's height above the baseline.
struct Coverage {
  int width = 0;
  int height = 0;
  int top = 0;
  std::vector<unsigned char> pixels;
};

double crispness(const Coverage& image) {
  double jumps = 0.0;
  double energy = 0.0;
  double previous = 0.0;
  for (int row = 0; row <= image.height; ++row) {
    double sum = 0.0;
    for (int column = 0; row < image.height && column < image.width; ++column)
      sum += image.pixels[static_cast<size_t>(row) * image.width + column] / 255.0;
    jumps += (sum - previous) * (sum - previous);
    energy += sum * sum;
    previous = sum;
  }
  return energy > 0.0 ? jumps / energy : 0.0;
}

// The rows and columns holding coverage of at least 64, relative to the origin.
struct InkBox {
  bool empty = true;
  int top = 0; // highest ink row (rows counted upward, row y spanning y-1..y)
  int bottom = 0;
  int left = 0;
  int right = 0;
};

InkBox ink_box(const Coverage& image, int left) {
  InkBox box;
  for (int row = 0; row < image.height; ++row)
    for (int column = 0; column < image.width; ++column) {
      if (image.pixels[static_cast<size_t>(row) * image.width + column] < 64)
        continue;
      const int y = image.top - row;
      const int x = left + column;
      if (box.empty) {
        box = InkBox{false, y, y, x, x};
        continue;
      }
      box.top = std::max(box.top, y);
      box.bottom = std::min(box.bottom, y);
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x);
    }
  return box;
}

class OurFont {
public:
  OurFont(const std::vector<unsigned char>& bytes, unsigned int options, int pixel_size) {
    handle_ = static_cast<FontHandle*>(dv::dv_ttf_font_load_memory_ex(
        bytes.data(), bytes.size(), static_cast<float>(pixel_size), options));
    if (handle_ != nullptr)
      scale_ = pixel_size / handle_->backend->units_per_em();
  }
  ~OurFont() {
    if (handle_ != nullptr)
      dv::dv_ttf_font_free(handle_);
  }
  bool loaded() const { return handle_ != nullptr; }
  GlyphBitmap glyph(unsigned int c) { return handle_->backend->rasterize(c, scale_); }

private:
  FontHandle* handle_ = nullptr;
  double scale_ = 0.0;
};

Coverage coverage_of(const GlyphBitmap& bitmap) {
  Coverage image;
  image.width = bitmap.width;
  image.height = bitmap.height;
  image.top = bitmap.top;
  image.pixels.assign(bitmap.pixels.data, bitmap.pixels.data + bitmap.pixels.size);
  return image;
}

Coverage freetype_glyph(FT_Face face, unsigned int c, FT_Int32 flags) {
  Coverage image;
  if (FT_Load_Char(face, c, FT_LOAD_RENDER | flags) != 0)
    return image;
  const FT_Bitmap& bitmap = face->glyph->bitmap;
  image.width = static_cast<int>(bitmap.width);
  image.height = static_cast<int>(bitmap.rows);
  image.top = face->glyph->bitmap_top;
  for (int row = 0; row < image.height; ++row)
    for (int column = 0; column < image.width; ++column)
      image.pixels.push_back(bitmap.buffer[row * bitmap.pitch + column]);
  return image;
}

struct Scores {
  double ours = 0.0;
  double ours_hinted = 0.0;
  double freetype = 0.0;
  double freetype_light = 0.0;
};

Scores measure(const std::vector<unsigned char>& bytes, const FontFile& font, FT_Face face,
               int pixel_size) {
  Scores scores;
  OurFont plain(bytes, font.options, pixel_size);
  OurFont hinted(bytes, font.options | load_option::kHinting, pixel_size);
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixel_size));
  if (!plain.loaded() || !hinted.loaded())
    return scores;
  for (const char c : kLetters) {
    scores.ours += crispness(coverage_of(plain.glyph(c)));
    scores.ours_hinted += crispness(coverage_of(hinted.glyph(c)));
    scores.freetype += crispness(freetype_glyph(face, c, FT_LOAD_NO_HINTING));
    scores.freetype_light += crispness(freetype_glyph(face, c, FT_LOAD_TARGET_LIGHT));
  }
  const double n = static_cast<double>(kLetters.size());
  return Scores{scores.ours / n, scores.ours_hinted / n, scores.freetype / n,
                scores.freetype_light / n};
}

// Prints every glyph whose hinted image breaks what hinting keeps; the count of them.
int check_shapes(const std::vector<unsigned char>& bytes, const FontFile& font) {
  int broken = 0;
  for (int size = 10; size <= 48; ++size) {
    OurFont plain(bytes, font.options, size);
    OurFont hinted(bytes, font.options | load_option::kHinting, size);
    if (!plain.loaded() || !hinted.loaded())
      return 1;
    for (const char c : kLetters) {
      const GlyphBitmap a = plain.glyph(c);
      const GlyphBitmap b = hinted.glyph(c);
      const InkBox pa = ink_box(coverage_of(a), a.left);
      const InkBox pb = ink_box(coverage_of(b), b.left);
      const bool moved =
          pa.empty != pb.empty ||
          (!pa.empty && (std::abs(pa.top - pb.top) > 1 || std::abs(pa.bottom - pb.bottom) > 1 ||
                         std::abs(pa.left - pb.left) > 1 || std::abs(pa.right - pb.right) > 1));
      if (moved || a.advance != b.advance) {
        std::printf("  %s %d px '%c': ink box %d..%d -> %d..%d, advance %g -> %g\n", font.name,
                    size, c, pa.bottom, pa.top, pb.bottom, pb.top, a.advance, b.advance);
        ++broken;
      }
    }
    if (size > 16)
      continue;
    // The x-height letters share one top row, the flat-bottomed ones the baseline row.
    const auto rows = [&](const char* letters, bool tops) {
      std::string seen;
      int first = 0;
      bool same = true;
      for (const char* p = letters; *p != 0; ++p) {
        const GlyphBitmap g = hinted.glyph(static_cast<unsigned char>(*p));
        const InkBox box = ink_box(coverage_of(g), g.left);
        const int row = tops ? box.top : box.bottom;
        if (p == letters)
          first = row;
        same = same && row == first;
        seen += std::string(1, *p) + "=" + std::to_string(row) + " ";
      }
      if (!same) {
        std::printf("  %s %d px %s rows differ: %s\n", font.name, size,
                    tops ? "x-height" : "baseline", seen.c_str());
        ++broken;
      }
    };
    rows("acemnorsuvwxz", true);
    rows("hiklmnrxz", false);
  }
  return broken;
}

bool read_file(const char* path, std::vector<unsigned char>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !bytes.empty();
}

} // namespace

int main(int argc, char** argv) {
  std::vector<FontFile> fonts(std::begin(kFonts), std::end(kFonts));
  if (argc > 1) {
    fonts.clear();
    for (int i = 1; i + 1 < argc; i += 2)
      fonts.push_back(
          FontFile{argv[i], argv[i], static_cast<unsigned int>(std::stoul(argv[i + 1]))});
  }
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0)
    return 1;
  std::printf("| font | px | ours | ours hinted | FreeType | FreeType light |\n");
  std::printf("| --- | --- | --- | --- | --- | --- |\n");
  int failures = 0;
  std::string shape_report;
  for (const FontFile& font : fonts) {
    std::vector<unsigned char> bytes;
    FT_Face face = nullptr;
    if (!read_file(font.path, bytes) || FT_New_Face(library, font.path, 0, &face) != 0) {
      std::printf("| %s | not installed | | | | |\n", font.name);
      continue;
    }
    for (int size = 10; size <= 16; ++size) {
      const Scores s = measure(bytes, font, face, size);
      const bool behind = s.ours_hinted < s.freetype_light;
      failures += behind ? 1 : 0;
      std::printf("| %s | %d | %.3f | %.3f%s | %.3f | %.3f |\n", font.name, size, s.ours,
                  s.ours_hinted, behind ? " (behind)" : "", s.freetype, s.freetype_light);
    }
    FT_Done_Face(face);
    failures += check_shapes(bytes, font);
  }
  FT_Done_FreeType(library);
  std::printf("\n%d failure(s)\n", failures);
  return failures == 0 ? 0 : 1;
}
