// Installed OpenType CFF fonts and every face of the installed collections, drawn through
// the extended loader and checked against FreeType's unhinted rendering (FT_LOAD_NO_HINTING).
//
// The difference of a glyph image is sum |ours - FreeType| / sum FreeType over its pixels:
// the share of FreeType's ink that ours misplaces. With 4 x 4 samples per pixel it grows as
// strokes get thinner (a stroke under a quarter pixel can fall between sample rows), so it
// varies from font to font whatever the outline format; each font's 99th percentile and
// largest value are printed beside the TrueType baseline (DejaVu Sans and Liberation Serif
// through the same rasterizer). What every glyph is held to is FreeType's own outline of it
// drawn by the library's rasterizer: reading the CFF charstrings may add almost nothing to
// that glyph's difference from FreeType, and the ink box must be within one pixel of
// FreeType's wherever that drawing's is (elsewhere the rasterizer drops a thin stroke).
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "font/backend.h"
#include "font/entry_points.h"
#include "font/font_handle.h"
#include "font/load_options.h"
#include "support/sanitized_build.h"
#include "unit/font/freetype_peer.h"

namespace {

constexpr unsigned kCodePointStride = testsupport::kSanitizedBuild ? 9 : 1;
constexpr int kPixelSizes[] = {12, 48};
constexpr unsigned kEveryFormat = load_option::kOpenTypeCff | load_option::kCollections;
// FreeType gives outlines in whole font units, so a fractional CFF coordinate can flip a
// sample or two of a small glyph (at most 0.051, a period of Linux Libertine at 12 px).
constexpr double kAddedDifferenceAllowed = 0.06;

struct FaceFile {
  std::string path;
  unsigned face = 0;
};

std::vector<unsigned char> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// The first `count` bytes of a file, fewer when it is shorter.
std::string file_start(const std::string& path, size_t count) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes(count, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(count));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

// The faces FreeType counts in a collection file, 0 when it does not open its first face.
// FreeType reads the file as it needs it, not whole.
long collection_faces(const std::string& path) {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0)
    return 0;
  FT_Face face = nullptr;
  long faces = 0;
  if (FT_New_Face(library, path.c_str(), 0, &face) == 0) {
    faces = face->num_faces;
    FT_Done_Face(face);
  }
  FT_Done_FreeType(library);
  return faces;
}

// Every installed .otf with CFF outlines and every face of every installed .ttc. The list
// is made in every process of the unit tests (their parameters are registered before
// main), so it reads no file whole.
std::vector<FaceFile> installed_faces() {
  std::vector<FaceFile> faces;
  std::error_code error;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator("/usr/share/fonts", error)) {
    const std::string path = entry.path().string();
    const std::string extension = entry.path().extension().string();
    if (extension == ".otf") {
      // The CFF tag and at least one byte after it.
      const std::string start = file_start(path, 5);
      if (start.size() > 4 && start.compare(0, 4, "OTTO") == 0)
        faces.push_back({path, 0});
    } else if (extension == ".ttc") {
      const long count = collection_faces(path);
      for (long face = 0; face < count; ++face)
        faces.push_back({path, static_cast<unsigned>(face)});
    }
  }
  std::sort(faces.begin(), faces.end(), [](const FaceFile& a, const FaceFile& b) {
    return a.path != b.path ? a.path < b.path : a.face < b.face;
  });
  return faces;
}

struct Comparison {
  std::vector<double> differences; // ours against FreeType, per glyph image
  double worst_added = 0;          // beyond the rasterizer's own difference on that glyph
  std::string worst_where;
  int glyphs = 0;
  int ink_box_misses = 0;
  int rasterizer_dropouts = 0; // FreeType's outline through our rasterizer misses as well
  int advance_misses = 0;
  std::string first_miss;

  void miss(const std::string& what) {
    if (first_miss.empty())
      first_miss = what;
  }
};

std::string where(unsigned codepoint, int size) {
  char text[32];
  std::snprintf(text, sizeof text, "U+%04X at %d px", codepoint, size);
  return text;
}

void compare_glyph(FontBackend& backend, const ftpeer::Face& freetype, unsigned codepoint, int size,
                   Comparison& result) {
  const unsigned glyph = freetype.glyph_of(codepoint);
  ftpeer::Coverage theirs, rasterizer_only;
  if (glyph == 0 || !freetype.render(glyph, size, theirs) ||
      !freetype.render_outline_with_library(glyph, size, rasterizer_only))
    return;
  ++result.glyphs;
  const double scale = size / backend.units_per_em();
  const GlyphBitmap bitmap = backend.rasterize(codepoint, scale);
  const ftpeer::Coverage ours = ftpeer::coverage_of(bitmap);
  if (FT_Load_Glyph(freetype.face(), glyph, FT_LOAD_NO_SCALE) != 0 ||
      bitmap.advance != freetype.face()->glyph->advance.x * scale) {
    ++result.advance_misses;
    result.miss("advance of " + where(codepoint, size));
  }
  if (!ftpeer::within_pixels(ours.ink(), theirs.ink(), 1)) {
    if (ftpeer::within_pixels(rasterizer_only.ink(), theirs.ink(), 1)) {
      ++result.ink_box_misses;
      result.miss("ink box of " + where(codepoint, size) + ": ours " +
                  ftpeer::describe(ours.ink()) + ", FreeType " + ftpeer::describe(theirs.ink()));
    } else {
      ++result.rasterizer_dropouts;
    }
  }
  const double difference = ftpeer::relative_difference(ours, theirs);
  const double added = difference - ftpeer::relative_difference(rasterizer_only, theirs);
  if (added > result.worst_added) {
    result.worst_added = added;
    result.worst_where = where(codepoint, size);
  }
  result.differences.push_back(difference);
}

// Every code point of U+0020..U+024F that FreeType maps, at both sizes.
Comparison compare_with_freetype(const FaceFile& file, unsigned options) {
  Comparison result;
  const std::vector<unsigned char> bytes = read_file(file.path);
  auto* handle = static_cast<FontHandle*>(dv::dv_ttf_font_load_memory_ex(
      bytes.data(), bytes.size(), 12.0f, options | file.face << load_option::kFaceShift));
  const ftpeer::Face freetype(bytes, file.face);
  if (handle != nullptr && freetype.ok()) {
    for (const int size : kPixelSizes)
      for (unsigned codepoint = 0x20; codepoint <= 0x24F; codepoint += kCodePointStride)
        compare_glyph(*handle->backend, freetype, codepoint, size, result);
  }
  result.miss(handle == nullptr ? "the library refuses the face" : "FreeType refuses the face");
  dv::dv_ttf_font_free(handle);
  return result;
}

void print_figures(const std::string& name, const Comparison& c) {
  std::printf("%-44s %5d glyph images, difference p99 %.3f max %.3f; added by the outline "
              "at most %.3f; %d rasterizer dropouts\n",
              name.c_str(), c.glyphs, ftpeer::percentile(c.differences, 99),
              ftpeer::percentile(c.differences, 100), c.worst_added, c.rasterizer_dropouts);
}

// The library's TrueType glyphs against FreeType, printed once for comparison.
void print_truetype_baseline() {
  static const bool printed = [] {
    Comparison all;
    for (const char* path : {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                             "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf"}) {
      const Comparison c = compare_with_freetype({path, 0}, 0);
      all.differences.insert(all.differences.end(), c.differences.begin(), c.differences.end());
      all.glyphs += c.glyphs;
      all.worst_added = std::max(all.worst_added, c.worst_added);
      all.rasterizer_dropouts += c.rasterizer_dropouts;
    }
    print_figures("TrueType baseline (DejaVu Sans, Liberation Serif)", all);
    return true;
  }();
  (void)printed;
}

class InstalledFace : public testing::TestWithParam<FaceFile> {};

TEST_P(InstalledFace, DrawsAsFreeTypeDoes) {
  print_truetype_baseline();
  const Comparison c = compare_with_freetype(GetParam(), kEveryFormat);
  ASSERT_GT(c.glyphs, 0) << c.first_miss;
  const std::string& path = GetParam().path;
  print_figures(path.substr(path.rfind('/') + 1) + " face " + std::to_string(GetParam().face), c);
  EXPECT_EQ(c.advance_misses, 0) << c.first_miss;
  EXPECT_EQ(c.ink_box_misses, 0) << c.first_miss;
  EXPECT_LE(c.worst_added, kAddedDifferenceAllowed) << c.worst_where;
}

INSTANTIATE_TEST_SUITE_P(Installed, InstalledFace, testing::ValuesIn(installed_faces()),
                         [](const testing::TestParamInfo<FaceFile>& case_info) {
                           std::string name =
                               case_info.param.path.substr(case_info.param.path.rfind('/') + 1);
                           for (char& c : name)
                             c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name + "_" + std::to_string(case_info.param.face);
                         });

} // namespace
