// The URW base35 Type 1 fonts read in the complete mode, against FreeType as an independent
// renderer: the code points of U+0020..U+024F its Unicode character map (built from the
// glyph names) maps, and for each of them the glyph's outline, ink box and coverage in its
// unhinted rendering, at 12 and 48 px, in both the binary (PFB) and the text (PFA) form.
//
// The outline of every glyph is FreeType's: FreeType's outline of it drawn by the library's
// flattening and rasterizer is byte for byte the library's glyph, so curves, flex, hint
// replacement, seac and div are read as FreeType reads them. Coverage is compared as in the
// other FreeType comparisons (unit/font/freetype_peer.h): sum |ours - FreeType| / sum
// FreeType per glyph image. What remains of it is the rasterizer's (4 x 4 samples a pixel,
// where FreeType computes exact areas) and the flattening's; it is held to the library's
// TrueType glyphs against FreeType on DejaVu Sans and Liberation Serif at the same sizes
// over every code point of the same range: the Type 1 glyphs' mean may not exceed the
// TrueType mean, and no glyph may misplace half of FreeType's ink (a wrong or misplaced
// glyph misplaces about all of it).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "font/backend.h"
#include "font/truetype/backend.h"
#include "font/type1/glyph.h"
#include "font/type1/unicode_names.h"
#include "support/required_package.h"
#include "support/sanitized_build.h"
#include "unit/font/freetype_peer.h"

namespace fs = std::filesystem;

namespace {

constexpr unsigned kFirstCodepoint = 0x20;
constexpr unsigned kLastCodepoint = 0x24F;
// Under the sanitizers every code point would take minutes; a spread-out subset keeps the
// same checks meaningful.
constexpr unsigned kCodepointStride = testsupport::kSanitizedBuild ? 7 : 1;
const int kPixelSizes[] = {12, 48};
constexpr double kMostMisplacedInk = 0.5;

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

std::string where(unsigned codepoint, int pixel_size) {
  char text[32];
  std::snprintf(text, sizeof text, "U+%04X at %d px", codepoint, pixel_size);
  return text;
}

// Every pixel the same in the glyph's frame, blank margins aside.
bool same_pixels(const ftpeer::Coverage& a, const ftpeer::Coverage& b) {
  const int x0 = std::min(a.left, b.left), x1 = std::max(a.left + a.width, b.left + b.width);
  const int y0 = std::min(a.top - a.height, b.top - b.height), y1 = std::max(a.top, b.top);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      if (a.at(x, y) != b.at(x, y))
        return false;
  return true;
}

// The glyph FreeType's map of the font's own encoding (custom, or standard for a font on
// StandardEncoding) gives `code`; the face's Unicode map stays selected.
unsigned encoded_glyph(const ftpeer::Face& face, unsigned code) {
  FT_Face f = face.face();
  unsigned glyph = 0;
  for (int i = 0; i < f->num_charmaps; ++i) {
    const FT_Encoding encoding = f->charmaps[i]->encoding;
    if ((encoding == FT_ENCODING_ADOBE_CUSTOM || encoding == FT_ENCODING_ADOBE_STANDARD) &&
        FT_Set_Charmap(f, f->charmaps[i]) == 0)
      glyph = FT_Get_Char_Index(f, code);
  }
  FT_Select_Charmap(f, FT_ENCODING_UNICODE);
  return glyph;
}

// The FreeType glyph that the library's naming rule picks from FreeType's two maps: the
// Unicode one (glyph names), and for a symbolic font's codes 0-255 the font's own encoding.
unsigned freetype_glyph_for(const ftpeer::Face& face, bool symbolic, unsigned codepoint) {
  unsigned glyph = face.glyph_of(codepoint);
  if (glyph == 0 && symbolic && codepoint <= 255)
    glyph = encoded_glyph(face, codepoint);
  return glyph;
}

double mean(const std::vector<double>& values) {
  return values.empty() ? 0 : std::accumulate(values.begin(), values.end(), 0.0) / values.size();
}

// The per-glyph coverage differences of the library's TrueType glyphs against FreeType,
// over the baseline fonts' code points in the range, at one pixel size.
std::vector<double> truetype_baseline(int pixel_size) {
  std::vector<double> differences;
  for (const char* path : kTrueTypeBaselineFonts) {
    const std::vector<unsigned char> bytes = read_file(path);
    std::unique_ptr<FontBackend> backend(make_truetype_backend());
    if (bytes.empty() || !backend->load(to_dv(bytes)))
      continue;
    const ftpeer::Face freetype(bytes);
    // Every code point, sanitizers or not: a sparser baseline would be a different one.
    for (unsigned codepoint = kFirstCodepoint; codepoint <= kLastCodepoint; ++codepoint) {
      const unsigned glyph = freetype.glyph_of(codepoint);
      ftpeer::Coverage theirs;
      if (glyph == 0 || !freetype.render(glyph, pixel_size, theirs))
        continue;
      const ftpeer::Coverage ours =
          ftpeer::coverage_of(backend->rasterize(codepoint, pixel_size / backend->units_per_em()));
      differences.push_back(ftpeer::relative_difference(ours, theirs));
    }
  }
  return differences;
}

struct FontForm {
  std::string name; // file name
  fs::path path;
};

struct Tally {
  int mapped_before = 0, drawn_before = 0, mapped_after = 0, drawn_after = 0;
  std::vector<double> differences[2]; // per pixel size
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
      DV_MISSING_PACKAGE("the URW Type 1 fonts", "fonts-urw-base35");
  }

  static std::vector<FontForm>* forms_;
  static fs::path* scratch_;
};

std::vector<FontForm>* CompleteType1::forms_ = nullptr;
fs::path* CompleteType1::scratch_ = nullptr;

TEST_F(CompleteType1, EveryUrwGlyphIsFreeTypesWithinTheTrueTypeBaseline) {
  std::vector<double> baseline[2];
  std::vector<double> all_type1[2];
  for (int s = 0; s < 2; ++s) {
    baseline[s] = truetype_baseline(kPixelSizes[s]);
    ASSERT_FALSE(baseline[s].empty())
        << "no TrueType baseline (fonts-dejavu-core, fonts-liberation2)";
  }
  int forms = 0;
  int outlines_compared = 0;
  for (const FontForm& form : *forms_) {
    SCOPED_TRACE(form.name);
    const std::vector<unsigned char> bytes = read_file(form.path);
    Type1Font straight;
    ASSERT_TRUE(load_type1_font(straight, to_dv(bytes)));
    Type1Font font;
    ASSERT_TRUE(load_type1_font(font, to_dv(bytes), Type1Mode::kComplete));
    const ftpeer::Face freetype(bytes);
    ASSERT_TRUE(freetype.ok());
    ++forms;
    // The text form holds the same charstrings: its outlines need no second comparison.
    const bool compare_outlines = form.path.extension() == ".pfb";

    Tally tally;
    for (unsigned codepoint = kFirstCodepoint; codepoint <= kLastCodepoint;
         codepoint += kCodepointStride) {
      const dv::string_view old_name = glyph_name_for_codepoint(straight, codepoint);
      const bool mapped_before = old_name.size != 0 && !(old_name == dv::string_view(".notdef"));
      tally.mapped_before += mapped_before;
      tally.drawn_before +=
          mapped_before && rasterize_type1_glyph(straight, codepoint, 0.048).width > 0;

      const unsigned theirs_glyph = freetype_glyph_for(freetype, font.unicode.symbolic, codepoint);
      const bool mapped = charstring_for_codepoint(font, codepoint) != nullptr;
      EXPECT_EQ(mapped, theirs_glyph != 0) << where(codepoint, 0);
      if (!mapped || theirs_glyph == 0)
        continue;
      ++tally.mapped_after;
      for (int s = 0; s < 2; ++s) {
        const int pixel_size = kPixelSizes[s];
        const GlyphBitmap bitmap = rasterize_type1_glyph(font, codepoint, pixel_size / 1000.0);
        const ftpeer::Coverage ours = ftpeer::coverage_of(bitmap);
        ftpeer::Coverage theirs, their_outline;
        ASSERT_TRUE(freetype.render(theirs_glyph, pixel_size, theirs));
        ASSERT_TRUE(freetype.render_outline_with_library(theirs_glyph, pixel_size, their_outline));
        if (compare_outlines) {
          ++outlines_compared;
          EXPECT_TRUE(same_pixels(ours, their_outline))
              << where(codepoint, pixel_size) << ": not FreeType's outline";
        }
        tally.drawn_after += s == 1 && bitmap.width > 0;
        EXPECT_TRUE(ftpeer::within_pixels(ours.ink(), theirs.ink(), 1))
            << where(codepoint, pixel_size) << ": ours " << ftpeer::describe(ours.ink())
            << ", FreeType " << ftpeer::describe(theirs.ink());
        const double difference = ftpeer::relative_difference(ours, theirs);
        EXPECT_LE(difference, kMostMisplacedInk) << where(codepoint, pixel_size);
        tally.differences[s].push_back(difference);
        all_type1[s].push_back(difference);
      }
    }
    std::printf("%-32s straight lines: %3d mapped %3d drawn; complete: %3d mapped %3d drawn; "
                "difference mean/max 12 px %.3f/%.3f, 48 px %.3f/%.3f\n",
                form.name.c_str(), tally.mapped_before, tally.drawn_before, tally.mapped_after,
                tally.drawn_after, mean(tally.differences[0]),
                ftpeer::percentile(tally.differences[0], 100), mean(tally.differences[1]),
                ftpeer::percentile(tally.differences[1], 100));
  }
  EXPECT_EQ(forms, 70) << "35 fonts in two forms";
  EXPECT_GT(outlines_compared * static_cast<int>(kCodepointStride), 35 * 2 * 150);
  for (int s = 0; s < 2; ++s) {
    const auto figures = [](const std::vector<double>& v) {
      char text[128];
      std::snprintf(text, sizeof text,
                    "%5zu glyph images, mean %.4f p50 %.4f p95 %.4f p99 %.4f max %.4f", v.size(),
                    mean(v), ftpeer::percentile(v, 50), ftpeer::percentile(v, 95),
                    ftpeer::percentile(v, 99), ftpeer::percentile(v, 100));
      return std::string(text);
    };
    std::printf("%d px, Type 1: %s\n%d px, TrueType baseline: %s\n", kPixelSizes[s],
                figures(all_type1[s]).c_str(), kPixelSizes[s], figures(baseline[s]).c_str());
    EXPECT_LE(mean(all_type1[s]), mean(baseline[s])) << kPixelSizes[s] << " px";
  }
}

} // namespace
