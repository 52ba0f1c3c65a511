// Fonts built with fontTools (tests/support/fonttools/character_map_fonts.py) whose only
// character maps are format 0 (Macintosh Roman, Cyrillic or Central European), format 13,
// or format 4 with format 14, each drawn through the extended loader with the
// character-map option and compared, pixel for pixel, with a reference font holding the
// same glyphs under a plain Unicode map drawn through the standard loader.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "font/entry_points.h"
#include "font/load_options.h"
#include "font/text/image.h"
#include "support/fonttools_fixtures.h"
#include "support/utf8_encode.h"

namespace {

constexpr float kPixelSize = 24.0f;

// A listing text: hexadecimal code points joined by "+", "-" for none.
std::string text_of(const std::string& field) {
  std::string text;
  if (field == "-")
    return text;
  std::istringstream codes(field);
  for (std::string code; std::getline(codes, code, '+');)
    textref::append_utf8(text, static_cast<char32_t>(std::stoul(code, nullptr, 16)));
  return text;
}

class FontToolsCharacterMaps : public testing::Test {
protected:
  void TearDown() override {
    for (auto& [name, font] : fonts_)
      dv::dv_ttf_font_free(font);
  }

  // The font `name` loaded once with `options` (0: the standard loader).
  void* font(const std::string& name, unsigned int options) {
    const std::string key = name + (options != 0 ? " extended" : "");
    auto found = fonts_.find(key);
    if (found != fonts_.end())
      return found->second;
    bytes_[key] = fonttools_fixtures::read(name);
    const std::vector<unsigned char>& bytes = bytes_[key];
    void* loaded =
        options != 0
            ? dv::dv_ttf_font_load_memory_ex(bytes.data(), bytes.size(), kPixelSize, options)
            : dv::dv_ttf_font_load_memory(bytes.data(), bytes.size(), kPixelSize);
    fonts_[key] = loaded;
    return loaded;
  }

  // The image's width and pixels; empty when nothing was drawn.
  static std::vector<unsigned char> render(void* font, const std::string& text) {
    TextImage* image = dv::dv_ttf_font_render(font, text.c_str(), 0, 0, 0, 255.0);
    std::vector<unsigned char> drawn;
    if (image == nullptr)
      return drawn;
    drawn.assign(image->pixels, image->pixels + 4 * image->width * image->height);
    drawn.push_back(static_cast<unsigned char>(image->width));
    drawn.push_back(static_cast<unsigned char>(image->height));
    delete[] image->pixels;
    delete image;
    return drawn;
  }

  // A text drawing nothing still makes an image a line tall: all of it transparent.
  static bool without_ink(const std::vector<unsigned char>& drawn) {
    for (size_t alpha = 3; alpha + 2 < drawn.size(); alpha += 4)
      if (drawn[alpha] != 0)
        return false;
    return !drawn.empty();
  }

  std::map<std::string, std::vector<unsigned char>> bytes_;
  std::map<std::string, void*> fonts_;
};

TEST_F(FontToolsCharacterMaps, EachTextDrawsAsItsReference) {
  const auto lines = fonttools_fixtures::listing("character_map_fonts.txt");
  ASSERT_FALSE(lines.empty()) << "no " << fonttools_fixtures::path("character_map_fonts.txt");
  std::map<std::string, int> compared;
  for (const auto& fields : lines) {
    ASSERT_EQ(fields.size(), 4u);
    void* extended = font(fields[0], load_option::kExtendedCmaps);
    void* reference = font(fields[2], 0);
    ASSERT_NE(extended, nullptr) << fields[0];
    ASSERT_NE(reference, nullptr) << fields[2];
    const std::vector<unsigned char> drawn = render(extended, text_of(fields[1]));
    if (fields[3] == "-")
      EXPECT_TRUE(without_ink(drawn)) << fields[0] << " " << fields[1];
    else
      EXPECT_EQ(drawn, render(reference, text_of(fields[3])))
          << fields[0] << " " << fields[1] << " against " << fields[2] << " " << fields[3];
    ++compared[fields[0]];
  }
  // Every font of the generator took part (the Macintosh ones with every byte from 0x20).
  for (const char* name : {"mac_roman.ttf", "mac_cyrillic.ttf", "mac_central_european.ttf"})
    EXPECT_EQ(compared[name], 0x100 - 0x20) << name;
  EXPECT_GT(compared["many_to_one.ttf"], 0);
  EXPECT_GT(compared["sequences.ttf"], 0);
}

// The standard loaders keep their choice of character map: a font mapping only through
// format 0 or 13 is refused without the option.
TEST_F(FontToolsCharacterMaps, FontsWithOnlyTheNewFormatsNeedTheOption) {
  for (const char* name :
       {"mac_roman.ttf", "mac_cyrillic.ttf", "mac_central_european.ttf", "many_to_one.ttf"}) {
    EXPECT_EQ(font(name, 0), nullptr) << name;
    EXPECT_NE(font(name, load_option::kExtendedCmaps), nullptr) << name;
  }
}

} // namespace
