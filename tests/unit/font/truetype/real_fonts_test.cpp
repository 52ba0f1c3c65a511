// The TrueType loader and character map against the installed Debian fonts, with
// FreeType as the independent reference.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "font/sfnt/cmap.h"
#include "unit/font/font_bytes.h"

namespace {

const char* const kFontDirectories[] = {"/usr/share/fonts/truetype/dejavu",
                                        "/usr/share/fonts/truetype/liberation2"};

std::vector<std::string> truetype_files() {
  std::vector<std::string> files;
  for (const char* directory : kFontDirectories) {
    if (!std::filesystem::is_directory(directory))
      continue;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
      if (entry.path().extension() == ".ttf")
        files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

testfont::Bytes read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return testfont::Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string base_name(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

class RealTrueTypeFont : public testing::TestWithParam<std::string> {};

// Both maps hold every code point of every installed font; FreeType answers through the
// font's Unicode charmap.
TEST_P(RealTrueTypeFont, GlyphIndexMatchesFreeTypeForEveryCodePoint) {
  const testfont::Bytes bytes = read_file(GetParam());
  const auto font = load_font(bytes);
  ASSERT_NE(font, nullptr);

  FT_Library library;
  ASSERT_EQ(FT_Init_FreeType(&library), 0);
  FT_Face face;
  ASSERT_EQ(FT_New_Memory_Face(library, bytes.data(), static_cast<FT_Long>(bytes.size()), 0, &face),
            0);
  ASSERT_EQ(FT_Select_Charmap(face, FT_ENCODING_UNICODE), 0);
  EXPECT_EQ(font->num_glyphs, face->num_glyphs);
  EXPECT_EQ(font->units_per_em, face->units_per_EM);
  // FreeType takes these from hhea as well (height = ascender - descender + lineGap).
  EXPECT_EQ(font->ascent, face->ascender);
  EXPECT_EQ(font->descent, -face->descender);
  EXPECT_EQ(font->line_gap, face->height - face->ascender + face->descender);

  int mismatches = 0;
  uint32_t mapped = 0;
  for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
    const uint16_t ours = map_code_point(font->data, font->cmap4, font->cmap12_groups, cp);
    const FT_UInt theirs = FT_Get_Char_Index(face, cp);
    mapped += ours != 0;
    if (ours != theirs && ++mismatches <= 5)
      ADD_FAILURE() << std::hex << "U+" << cp << ": " << ours << " vs " << theirs;
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_GT(mapped, 200u);
  FT_Done_Face(face);
  FT_Done_FreeType(library);
}

// Cut copies at 64 evenly spread lengths either load or fail; none reads outside its data
// (the sanitizer build checks every access). Loaded ones are looked up as well.
TEST_P(RealTrueTypeFont, TruncatedCopiesFailCleanlyOrLoad) {
  const testfont::Bytes bytes = read_file(GetParam());
  ASSERT_GT(bytes.size(), 64u);
  for (size_t i = 0; i < 64; ++i) {
    const size_t length = bytes.size() * i / 64;
    const testfont::Bytes cut(bytes.begin(), bytes.begin() + static_cast<long>(length));
    const auto font = load_font(cut);
    if (font == nullptr)
      continue;
    EXPECT_EQ(font->data.size, length);
    for (uint32_t cp = 0; cp <= 0x10FFFF; cp += cp < 0x3000 ? 1 : 97)
      (void)map_code_point(font->data, font->cmap4, font->cmap12_groups, cp);
  }
}

INSTANTIATE_TEST_SUITE_P(Installed, RealTrueTypeFont, testing::ValuesIn(truetype_files()),
                         [](const testing::TestParamInfo<std::string>& case_info) {
                           std::string name = base_name(case_info.param);
                           std::replace_if(
                               name.begin(), name.end(),
                               [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); },
                               '_');
                           return name;
                         });

TEST(RealTrueTypeFonts, AllPackagesInstalled) {
  const auto files = truetype_files();
  const auto count = [&](const char* prefix) {
    return std::count_if(files.begin(), files.end(),
                         [&](const std::string& f) { return base_name(f).rfind(prefix, 0) == 0; });
  };
  EXPECT_GE(count("DejaVuSans."), 1);            // fonts-dejavu-core
  EXPECT_GE(count("DejaVuSans-ExtraLight"), 1);  // fonts-dejavu-extra
  EXPECT_GE(count("LiberationSans-Regular"), 1); // fonts-liberation2
}

} // namespace
