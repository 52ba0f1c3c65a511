// The URW base35 Type 1 fonts read in the complete mode, against FreeType as an independent
// renderer: the code points of U+0020..U+024F its Unicode character map (built from the
// glyph names) maps, and for each of them the glyph's ink box and coverage in its unhinted
// rendering, at 12 and 48 px, in both the binary (PFB) and the text (PFA) form.
//
// Coverage is compared per glyph as sum |ours - FreeType| / sum FreeType over the pixels of
// both bitmaps placed at the glyph origin. The baseline is what the library's TrueType
// glyphs show against FreeType on DejaVu Sans and Liberation Serif, measured here at the same
// sizes over the same code points: the Type 1 glyphs' mean difference may not exceed the
// TrueType glyphs' mean, and no glyph may differ more than twice the worst TrueType glyph (a
// wrong or misplaced glyph differs by about 1 or more). The differences that remain are the
// rasterizer's (4 x 4 samples a pixel, where FreeType computes exact areas) and the
// flattening's: OutlinesAreFreeTypesOutlines shows the outlines themselves are FreeType's.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "font/font_api.h"
#include "font/raster/cubic_curve.h"
#include "font/raster/rasterizer.h"
#include "font/type1/glyph.h"
#include "font/type1/unicode_names.h"
#include "support/sanitized_build.h"

namespace fs = std::filesystem;

namespace {

constexpr unsigned kFirstCodepoint = 0x20;
constexpr unsigned kLastCodepoint = 0x24F;
// Under the sanitizers every code point would take minutes; a spread-out subset keeps the
// same checks meaningful.
constexpr unsigned kCodepointStride = testsupport::kSanitizedBuild ? 7 : 1;
const int kPixelSizes[] = {12, 48};

const char* const kPfbDirectory = "/usr/share/fonts/X11/Type1";
const char* const kTrueTypeBaselineFonts[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf",
};

std::vector<unsigned char> read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

ByteVector to_dv(const std::vector<unsigned char>& bytes) {
  return ByteVector(bytes.data(), bytes.data() + bytes.size());
}

std::string hex(unsigned codepoint) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", codepoint);
  return text;
}

// A coverage bitmap in the glyph's frame (x right, y up), whoever produced it.
struct Coverage {
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<unsigned char> pixels;

  int at(int x, int y) const {
    const int column = x - left;
    const int row = top - 1 - y;
    if (column < 0 || row < 0 || column >= width || row >= height)
      return 0;
    return pixels[static_cast<size_t>(row) * width + column];
  }
};

Coverage coverage_of(const GlyphBitmap& g) {
  return {g.left, g.top, g.width, g.height,
          std::vector<unsigned char>(g.pixels.data, g.pixels.data + g.pixels.size)};
}

Coverage coverage_of(const FT_Bitmap& b, int left, int top) {
  Coverage c{left, top, static_cast<int>(b.width), static_cast<int>(b.rows), {}};
  for (unsigned row = 0; row < b.rows; ++row)
    for (unsigned column = 0; column < b.width; ++column)
      c.pixels.push_back(b.buffer[static_cast<long>(row) * b.pitch + column]);
  return c;
}

// Inclusive box of the inked pixels; `empty` without ink.
struct InkBox {
  bool empty = true;
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

InkBox ink_box(const Coverage& c) {
  InkBox box;
  for (int row = 0; row < c.height; ++row) {
    for (int column = 0; column < c.width; ++column) {
      if (c.pixels[static_cast<size_t>(row) * c.width + column] == 0)
        continue;
      const int x = c.left + column, y = c.top - 1 - row;
      if (box.empty) {
        box = {false, x, y, x, y};
        continue;
      }
      box.x0 = std::min(box.x0, x);
      box.x1 = std::max(box.x1, x);
      box.y0 = std::min(box.y0, y);
      box.y1 = std::max(box.y1, y);
    }
  }
  return box;
}

std::string describe(const InkBox& b) {
  if (b.empty)
    return "no ink";
  return "x " + std::to_string(b.x0) + ".." + std::to_string(b.x1) + " y " + std::to_string(b.y0) +
         ".." + std::to_string(b.y1);
}

bool within_one_pixel(const InkBox& a, const InkBox& b) {
  if (a.empty || b.empty)
    return a.empty == b.empty;
  return std::abs(a.x0 - b.x0) <= 1 && std::abs(a.x1 - b.x1) <= 1 && std::abs(a.y0 - b.y0) <= 1 &&
         std::abs(a.y1 - b.y1) <= 1;
}

// sum |a - b| / sum b: the share of FreeType's ink that is misplaced. 0 for two blanks.
double coverage_difference(const Coverage& ours, const Coverage& theirs) {
  const int x0 = std::min(ours.left, theirs.left);
  const int x1 = std::max(ours.left + ours.width, theirs.left + theirs.width);
  const int y0 = std::min(ours.top - ours.height, theirs.top - theirs.height);
  const int y1 = std::max(ours.top, theirs.top);
  double difference = 0, total = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      difference += std::abs(ours.at(x, y) - theirs.at(x, y));
      total += theirs.at(x, y);
    }
  }
  return total == 0 ? (difference == 0 ? 0.0 : 1.0) : difference / total;
}

class FreeTypeFace {
public:
  explicit FreeTypeFace(const std::vector<unsigned char>& bytes) : bytes_(bytes) {
    ok_ = FT_Init_FreeType(&library_) == 0 &&
          FT_New_Memory_Face(library_, bytes_.data(), static_cast<FT_Long>(bytes_.size()), 0,
                             &face_) == 0;
    if (!ok_)
      return;
    // The charmap FreeType builds from the glyph names, and for a Type 1 font the one of its
    // own encoding (custom, or standard for a font on StandardEncoding).
    for (int i = 0; i < face_->num_charmaps; ++i) {
      FT_CharMap map = face_->charmaps[i];
      if (map->encoding == FT_ENCODING_UNICODE)
        unicode_ = map;
      else if (map->encoding == FT_ENCODING_ADOBE_CUSTOM ||
               map->encoding == FT_ENCODING_ADOBE_STANDARD)
        encoding_ = map;
    }
  }
  ~FreeTypeFace() {
    if (face_)
      FT_Done_Face(face_);
    if (library_)
      FT_Done_FreeType(library_);
  }
  bool ok() const { return ok_; }

  // FreeType's outline of the glyph in font units, flattened and scaled as the library
  // flattens and scales its own.
  bool unscaled_outline(FT_UInt glyph, double scale, OutlineBuilder& out) const {
    if (FT_Load_Glyph(face_, glyph, FT_LOAD_NO_SCALE) != 0 ||
        face_->glyph->format != FT_GLYPH_FORMAT_OUTLINE)
      return false;
    struct Sink {
      OutlineBuilder* builder;
      double scale;
      Point at(const FT_Vector* v) const { return Point{v->x * scale, v->y * scale}; }
    } sink{&out, scale};
    FT_Outline_Funcs funcs{};
    funcs.move_to = [](const FT_Vector* to, void* user) {
      auto* s = static_cast<Sink*>(user);
      s->builder->move_to(s->at(to));
      return 0;
    };
    funcs.line_to = [](const FT_Vector* to, void* user) {
      auto* s = static_cast<Sink*>(user);
      s->builder->line_to(s->at(to));
      return 0;
    };
    funcs.conic_to = [](const FT_Vector*, const FT_Vector*, void*) { return 1; };
    funcs.cubic_to = [](const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
      auto* s = static_cast<Sink*>(user);
      flatten_cubic(*s->builder, s->builder->current, s->at(c1), s->at(c2), s->at(to));
      return 0;
    };
    if (FT_Outline_Decompose(&face_->glyph->outline, &funcs, &sink) != 0)
      return false;
    out.close_contour();
    return true;
  }

  FT_UInt unicode_glyph(unsigned codepoint) const { return glyph_in(unicode_, codepoint); }
  FT_UInt encoded_glyph(unsigned code) const { return glyph_in(encoding_, code); }

  bool render(FT_UInt glyph, int pixel_size, Coverage& out) const {
    if (FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixel_size)) != 0 ||
        FT_Load_Glyph(face_, glyph, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0 ||
        FT_Render_Glyph(face_->glyph, FT_RENDER_MODE_NORMAL) != 0)
      return false;
    out = coverage_of(face_->glyph->bitmap, face_->glyph->bitmap_left, face_->glyph->bitmap_top);
    return true;
  }

private:
  FT_UInt glyph_in(FT_CharMap map, unsigned code) const {
    if (map == nullptr || FT_Set_Charmap(face_, map) != 0)
      return 0;
    return FT_Get_Char_Index(face_, code);
  }

  std::vector<unsigned char> bytes_; // FreeType reads the font from here while it is open
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
  FT_CharMap unicode_ = nullptr;
  FT_CharMap encoding_ = nullptr;
  bool ok_ = false;
};

struct Differences {
  double sum = 0;
  double worst = 0;
  int glyphs = 0;
  void add(double difference) {
    sum += difference;
    worst = std::max(worst, difference);
    ++glyphs;
  }
  double mean() const { return glyphs == 0 ? 0 : sum / glyphs; }
};

// The per-glyph coverage differences of the library's TrueType glyphs against FreeType,
// over the baseline fonts' code points in the range, at one pixel size.
Differences truetype_baseline(int pixel_size) {
  Differences differences;
  for (const char* path : kTrueTypeBaselineFonts) {
    const std::vector<unsigned char> bytes = read_file(path);
    if (bytes.empty())
      continue;
    std::unique_ptr<FontBackend> backend(make_truetype_backend());
    if (!backend->load(to_dv(bytes)))
      continue;
    FreeTypeFace freetype(bytes);
    for (unsigned codepoint = kFirstCodepoint; codepoint <= kLastCodepoint;
         codepoint += kCodepointStride) {
      const FT_UInt glyph = freetype.unicode_glyph(codepoint);
      Coverage theirs;
      if (glyph == 0 || !freetype.render(glyph, pixel_size, theirs))
        continue;
      const Coverage ours =
          coverage_of(backend->rasterize(codepoint, pixel_size / backend->units_per_em()));
      differences.add(coverage_difference(ours, theirs));
    }
  }
  return differences;
}

// The FreeType glyph that the library's naming rule picks from FreeType's two charmaps: the
// Unicode one (glyph names), and for a symbolic font's codes 0-255 the font's own encoding.
FT_UInt freetype_glyph_for(const FreeTypeFace& face, bool symbolic, unsigned codepoint) {
  FT_UInt glyph = face.unicode_glyph(codepoint);
  if (glyph == 0 && symbolic && codepoint <= 255)
    glyph = face.encoded_glyph(codepoint);
  return glyph;
}

struct FontForm {
  std::string name; // file name
  fs::path path;
};

struct Tally {
  int mapped_before = 0, drawn_before = 0, mapped_after = 0, drawn_after = 0;
  Differences differences[2]; // per pixel size
};

class CompleteType1 : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    forms_ = new std::vector<FontForm>;
    if (!fs::is_directory(kPfbDirectory))
      return;
    scratch_ =
        new fs::path(fs::temp_directory_path() / ("dvttf-complete-" + std::to_string(getpid())));
    fs::create_directories(*scratch_);
    std::vector<fs::path> pfbs;
    for (const auto& entry : fs::directory_iterator(kPfbDirectory))
      if (entry.path().extension() == ".pfb")
        pfbs.push_back(entry.path());
    std::sort(pfbs.begin(), pfbs.end());
    for (const fs::path& pfb : pfbs) {
      forms_->push_back({pfb.filename().string(), pfb});
      fs::path pfa = *scratch_ / pfb.filename().replace_extension(".pfa");
      if (std::system(("t1ascii '" + pfb.string() + "' '" + pfa.string() + "'").c_str()) == 0)
        forms_->push_back({pfa.filename().string(), pfa});
    }
  }
  static void TearDownTestSuite() {
    if (scratch_ != nullptr)
      fs::remove_all(*scratch_);
    delete scratch_;
    delete forms_;
    scratch_ = nullptr;
    forms_ = nullptr;
  }
  void SetUp() override {
    if (forms_->empty())
      GTEST_SKIP() << "fonts-urw-base35 is not installed (tools/install-deps.sh installs it)";
  }

  static std::vector<FontForm>* forms_;
  static fs::path* scratch_;
};

std::vector<FontForm>* CompleteType1::forms_ = nullptr;
fs::path* CompleteType1::scratch_ = nullptr;

TEST_F(CompleteType1, EveryUrwGlyphMatchesFreeTypeWithinTheTrueTypeBaseline) {
  Differences baseline[2];
  Differences all_type1[2];
  for (int s = 0; s < 2; ++s) {
    baseline[s] = truetype_baseline(kPixelSizes[s]);
    ASSERT_GT(baseline[s].glyphs, 0)
        << "no TrueType baseline (fonts-dejavu-core, fonts-liberation2)";
  }
  int forms = 0;
  for (const FontForm& form : *forms_) {
    SCOPED_TRACE(form.name);
    const std::vector<unsigned char> bytes = read_file(form.path);
    Type1Font straight;
    ASSERT_TRUE(load_type1_font(straight, to_dv(bytes)));
    Type1Font font;
    ASSERT_TRUE(load_type1_font(font, to_dv(bytes), Type1Mode::kComplete));
    FreeTypeFace freetype(bytes);
    ASSERT_TRUE(freetype.ok());
    ++forms;

    Tally tally;
    for (unsigned codepoint = kFirstCodepoint; codepoint <= kLastCodepoint;
         codepoint += kCodepointStride) {
      const bool mapped_before = glyph_name_for_codepoint(straight, codepoint).size != 0 &&
                                 !(glyph_name_for_codepoint(straight, codepoint) == ".notdef");
      tally.mapped_before += mapped_before;
      tally.drawn_before +=
          mapped_before && rasterize_type1_glyph(straight, codepoint, 0.048).width > 0;

      const FT_UInt theirs_glyph = freetype_glyph_for(freetype, font.unicode.symbolic, codepoint);
      const bool mapped = charstring_for_codepoint(font, codepoint) != nullptr;
      EXPECT_EQ(mapped, theirs_glyph != 0) << hex(codepoint);
      if (!mapped || theirs_glyph == 0)
        continue;
      ++tally.mapped_after;
      for (int s = 0; s < 2; ++s) {
        const int pixel_size = kPixelSizes[s];
        const GlyphBitmap bitmap = rasterize_type1_glyph(font, codepoint, pixel_size / 1000.0);
        const Coverage ours = coverage_of(bitmap);
        Coverage theirs;
        ASSERT_TRUE(freetype.render(theirs_glyph, pixel_size, theirs));
        if (s == 1)
          tally.drawn_after += bitmap.width > 0;
        EXPECT_TRUE(within_one_pixel(ink_box(ours), ink_box(theirs)))
            << hex(codepoint) << " at " << pixel_size << " px: ours " << describe(ink_box(ours))
            << ", FreeType " << describe(ink_box(theirs));
        const double difference = coverage_difference(ours, theirs);
        EXPECT_LE(difference, 2 * baseline[s].worst)
            << hex(codepoint) << " at " << pixel_size << " px";
        tally.differences[s].add(difference);
        all_type1[s].add(difference);
      }
    }
    std::printf("%-30s straight lines: %3d mapped %3d drawn; complete: %3d mapped %3d drawn; "
                "coverage difference mean/worst 12 px %.4f/%.4f, 48 px %.4f/%.4f\n",
                form.name.c_str(), tally.mapped_before, tally.drawn_before, tally.mapped_after,
                tally.drawn_after, tally.differences[0].mean(), tally.differences[0].worst,
                tally.differences[1].mean(), tally.differences[1].worst);
  }
  EXPECT_EQ(forms, 70) << "35 fonts in two forms";
  for (int s = 0; s < 2; ++s) {
    std::printf("%d px: %d Type 1 glyphs, coverage difference mean %.4f worst %.4f; TrueType "
                "baseline %d glyphs, mean %.4f worst %.4f\n",
                kPixelSizes[s], all_type1[s].glyphs, all_type1[s].mean(), all_type1[s].worst,
                baseline[s].glyphs, baseline[s].mean(), baseline[s].worst);
    EXPECT_LE(all_type1[s].mean(), baseline[s].mean()) << kPixelSizes[s] << " px";
  }
}

// The interpreter's outline of every mapped glyph equals FreeType's unhinted outline: both
// go through the library's flattening and rasterizer, so any difference in interpreting
// curves, flex, hint replacement, seac or div shows as a pixel that differs.
TEST_F(CompleteType1, OutlinesAreFreeTypesOutlines) {
  const double scale = 48 / 1000.0;
  int compared = 0;
  int identical = 0;
  for (const FontForm& form : *forms_) {
    if (form.path.extension() != ".pfb")
      continue; // the text form holds the same charstrings
    SCOPED_TRACE(form.name);
    const std::vector<unsigned char> bytes = read_file(form.path);
    Type1Font font;
    ASSERT_TRUE(load_type1_font(font, to_dv(bytes), Type1Mode::kComplete));
    FreeTypeFace freetype(bytes);
    for (unsigned codepoint = kFirstCodepoint; codepoint <= kLastCodepoint;
         codepoint += kCodepointStride) {
      const FT_UInt glyph = freetype_glyph_for(freetype, font.unicode.symbolic, codepoint);
      OutlineBuilder theirs;
      if (glyph == 0 || !freetype.unscaled_outline(glyph, scale, theirs))
        continue;
      GlyphBitmap expected = rasterize_outline(theirs, 0);
      crop_to_ink(expected);
      const GlyphBitmap ours = rasterize_type1_glyph(font, codepoint, scale);
      ++compared;
      const bool same =
          ours.left == expected.left && ours.top == expected.top && ours.width == expected.width &&
          ours.height == expected.height &&
          std::equal(ours.pixels.data, ours.pixels.data + ours.pixels.size, expected.pixels.data);
      identical += same;
      EXPECT_TRUE(same) << hex(codepoint);
    }
  }
  std::printf("%d of %d glyphs identical to FreeType's outline through the same rasterizer\n",
              identical, compared);
  EXPECT_GT(compared, 35 * 100);
}

} // namespace
