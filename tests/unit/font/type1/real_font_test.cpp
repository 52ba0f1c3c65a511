// Type 1 fonts from Debian's fonts-urw-base35, checked against independent tools:
// t1ascii (PFB to PFA), t1disasm (decryption) and FreeType (advances and ink boxes).
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "font/raster/rasterizer.h"
#include "font/type1/glyph.h"
#include "font/type1/interpreter.h"
#include "support/required_package.h"
#include "unit/font/raster/reference_rasterizer.h"

namespace fs = std::filesystem;

namespace {

const char* const kPfbDirectory = "/usr/share/fonts/X11/Type1";
const char* const kT1Directory = "/usr/share/fonts/type1/urw-base35";

std::vector<fs::path> files_with_extension(const char* directory, const char* extension) {
  std::vector<fs::path> files;
  if (!fs::is_directory(directory))
    return files;
  for (const auto& entry : fs::directory_iterator(directory)) {
    if (entry.path().extension() == extension)
      files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<uint8_t> read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string run_command(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::string output;
  char buffer[65536];
  size_t n;
  while (pipe && (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0)
    output.append(buffer, n);
  return output;
}

bool load(Type1Font& font, const std::vector<uint8_t>& bytes) {
  return load_type1_font(font, ByteVector(bytes.data(), bytes.data() + bytes.size()));
}

std::string as_string(dv::string_view s) {
  return std::string(s.data ? s.data : "", s.size);
}

std::string as_string(const dv::string& s) {
  return as_string(s.view());
}

std::vector<uint8_t> as_bytes(ByteView v) {
  return std::vector<uint8_t>(v.data, v.data + v.size);
}

std::map<std::string, std::vector<uint8_t>> charstring_map(const Type1Font& font) {
  std::map<std::string, std::vector<uint8_t>> out;
  const auto& entries = font.charstrings.entries;
  for (unsigned long i = 0; i < entries.size; ++i)
    out[as_string(entries.data[i].first)] = as_bytes(entries.data[i].second);
  return out;
}

// The operator stream of a decrypted charstring, written the way t1disasm writes it.
std::vector<std::string> disassemble(const std::vector<uint8_t>& bytes) {
  static const std::map<int, std::string> kOperators = {
      {1, "hstem"},     {3, "vstem"},    {4, "vmoveto"},    {5, "rlineto"},
      {6, "hlineto"},   {7, "vlineto"},  {8, "rrcurveto"},  {9, "closepath"},
      {10, "callsubr"}, {11, "return"},  {13, "hsbw"},      {14, "endchar"},
      {21, "rmoveto"},  {22, "hmoveto"}, {30, "vhcurveto"}, {31, "hvcurveto"}};
  static const std::map<int, std::string> kEscapes = {
      {0, "dotsection"},     {1, "vstem3"}, {2, "hstem3"},
      {6, "seac"},           {7, "sbw"},    {12, "div"},
      {16, "callothersubr"}, {17, "pop"},   {33, "setcurrentpoint"}};
  std::vector<std::string> tokens;
  for (size_t i = 0; i < bytes.size();) {
    int v = bytes[i];
    if (v >= 32 && v <= 246) {
      tokens.push_back(std::to_string(v - 139));
      i += 1;
    } else if (v >= 247 && v <= 250 && i + 1 < bytes.size()) {
      tokens.push_back(std::to_string((v - 247) * 256 + bytes[i + 1] + 108));
      i += 2;
    } else if (v >= 251 && v <= 254 && i + 1 < bytes.size()) {
      tokens.push_back(std::to_string(-(v - 251) * 256 - bytes[i + 1] - 108));
      i += 2;
    } else if (v == 255 && i + 4 < bytes.size()) {
      uint32_t u =
          uint32_t(bytes[i + 1]) << 24 | bytes[i + 2] << 16 | bytes[i + 3] << 8 | bytes[i + 4];
      tokens.push_back(std::to_string(static_cast<int32_t>(u)));
      i += 5;
    } else if (v == 12 && i + 1 < bytes.size()) {
      auto found = kEscapes.find(bytes[i + 1]);
      tokens.push_back(found != kEscapes.end() ? found->second
                                               : "escape" + std::to_string(bytes[i + 1]));
      i += 2;
    } else {
      auto found = kOperators.find(v);
      tokens.push_back(found != kOperators.end() ? found->second : "op" + std::to_string(v));
      i += 1;
    }
  }
  return tokens;
}

// t1disasm's charstrings: "/name {" then one line per operator, closed by "}ND" or "} |-".
std::map<std::string, std::vector<std::string>> t1disasm_charstrings(const fs::path& font) {
  std::istringstream text(run_command("t1disasm '" + font.string() + "'"));
  std::map<std::string, std::vector<std::string>> out;
  std::string line;
  bool in_charstrings = false;
  std::string name;
  std::vector<std::string>* tokens = nullptr;
  while (std::getline(text, line)) {
    if (line.find("/CharStrings") != std::string::npos)
      in_charstrings = true;
    if (!in_charstrings)
      continue;
    if (tokens == nullptr) {
      if (line.size() > 3 && line[0] == '/' && line.compare(line.size() - 2, 2, " {") == 0) {
        name = line.substr(1, line.size() - 3);
        tokens = &out[name];
      }
      continue;
    }
    std::istringstream words(line);
    std::string word;
    while (words >> word) {
      if (word[0] == '}') {
        tokens = nullptr;
        break;
      }
      tokens->push_back(word);
    }
  }
  return out;
}

class FreeTypeFace {
public:
  explicit FreeTypeFace(const fs::path& path) {
    FT_Init_FreeType(&library_);
    if (FT_New_Face(library_, path.c_str(), 0, &face_) != 0)
      face_ = nullptr;
  }
  ~FreeTypeFace() {
    if (face_)
      FT_Done_Face(face_);
    FT_Done_FreeType(library_);
  }
  FT_Face get() const { return face_; }

private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

struct InkBox {
  int left, right, top, bottom; // pixels; top and bottom measured upward
};

bool freetype_ink_box(FT_Face face, FT_UInt index, InkBox& box) {
  if (FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING) != 0 ||
      FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0)
    return false;
  const FT_Bitmap& bitmap = face->glyph->bitmap;
  int min_x = INT32_MAX, max_x = -1, min_y = INT32_MAX, max_y = -1;
  for (unsigned row = 0; row < bitmap.rows; ++row) {
    for (unsigned column = 0; column < bitmap.width; ++column) {
      if (bitmap.buffer[row * bitmap.pitch + column] != 0) {
        min_x = std::min<int>(min_x, column);
        max_x = std::max<int>(max_x, column);
        min_y = std::min<int>(min_y, row);
        max_y = std::max<int>(max_y, row);
      }
    }
  }
  if (max_x < 0)
    return false;
  int left = face->glyph->bitmap_left;
  int top = face->glyph->bitmap_top;
  box = {left + min_x, left + max_x + 1, top - min_y, top - max_y - 1};
  return true;
}

class Type1RealFonts : public ::testing::Test {
protected:
  void SetUp() override {
    pfb_files_ = files_with_extension(kPfbDirectory, ".pfb");
    if (pfb_files_.empty())
      DV_MISSING_PACKAGE(kPfbDirectory, "fonts-urw-base35");
  }
  std::vector<fs::path> pfb_files_;
};

} // namespace

TEST_F(Type1RealFonts, EveryPfbLoadsAndItsPfaFormLoadsTheSame) {
  fs::path scratch = fs::temp_directory_path() / ("dvttf-t1ascii-" + std::to_string(getpid()));
  fs::create_directories(scratch);
  int inked_glyphs = 0;
  for (const fs::path& path : pfb_files_) {
    Type1Font binary;
    ASSERT_TRUE(load(binary, read_file(path))) << path;
    EXPECT_GT(binary.charstrings.entries.size, 100u) << path;

    fs::path pfa = scratch / path.filename().replace_extension(".pfa");
    ASSERT_EQ(std::system(("t1ascii '" + path.string() + "' '" + pfa.string() + "'").c_str()), 0);
    Type1Font text;
    ASSERT_TRUE(load(text, read_file(pfa))) << pfa;
    EXPECT_EQ(charstring_map(text), charstring_map(binary)) << path;
    ASSERT_EQ(text.subrs.size, binary.subrs.size) << path;
    for (unsigned long i = 0; i < text.subrs.size; ++i)
      EXPECT_EQ(as_bytes(text.subrs.data[i]), as_bytes(binary.subrs.data[i]))
          << path << " subr " << i;
    EXPECT_EQ(text.ascent, binary.ascent);
    EXPECT_EQ(text.descent, binary.descent);
    EXPECT_EQ(text.len_iv, binary.len_iv);
    for (int code = 0; code < 256; ++code)
      EXPECT_EQ(as_string(text.encoding[code]), as_string(binary.encoding[code]));

    // Same glyph images: draw every glyph through an explicit encoding in both forms.
    const auto& entries = binary.charstrings.entries;
    for (unsigned long i = 0; i < entries.size; ++i) {
      binary.encoding[0] = dv::string(entries.data[i].first);
      text.encoding[0] = dv::string(entries.data[i].first);
      GlyphBitmap a = rasterize_type1_glyph(binary, 0, 0.024);
      GlyphBitmap b = rasterize_type1_glyph(text, 0, 0.024);
      ASSERT_EQ(a.width, b.width);
      ASSERT_EQ(a.height, b.height);
      EXPECT_EQ(a.left, b.left);
      EXPECT_EQ(a.top, b.top);
      EXPECT_EQ(a.advance, b.advance);
      EXPECT_TRUE(std::equal(a.pixels.data, a.pixels.data + a.pixels.size, b.pixels.data));
      inked_glyphs += a.width > 0;
    }
  }
  EXPECT_GT(inked_glyphs, 100) << "the straight-line glyphs of all fonts";
  fs::remove_all(scratch);
}

TEST_F(Type1RealFonts, ClearTextFilesWithABinaryEexecSectionAreRefused) {
  std::vector<fs::path> t1_files = files_with_extension(kT1Directory, ".t1");
  ASSERT_FALSE(t1_files.empty());
  for (const fs::path& path : t1_files) {
    Type1Font font;
    EXPECT_FALSE(load(font, read_file(path))) << path;
  }
}

TEST_F(Type1RealFonts, DecryptionMatchesT1disasm) {
  for (const fs::path& path : pfb_files_) {
    Type1Font font;
    ASSERT_TRUE(load(font, read_file(path)));
    auto reference = t1disasm_charstrings(path);
    auto ours = charstring_map(font);
    ASSERT_EQ(reference.size(), ours.size()) << path;
    for (const auto& [name, bytes] : ours) {
      auto found = reference.find(name);
      ASSERT_NE(found, reference.end()) << path << " /" << name;
      EXPECT_EQ(disassemble(bytes), found->second) << path << " /" << name;
    }
  }
}

TEST_F(Type1RealFonts, AdvancesAndStraightLineInkMatchFreeType) {
  const double pixel_size = 32;
  const double scale = pixel_size / 1000.0;
  int straight_glyphs = 0;
  int worst = 0;
  for (const fs::path& path : pfb_files_) {
    Type1Font font;
    ASSERT_TRUE(load(font, read_file(path)));
    FreeTypeFace face(path);
    ASSERT_NE(face.get(), nullptr) << path;
    FT_Set_Pixel_Sizes(face.get(), 0, static_cast<FT_UInt>(pixel_size));
    const auto& entries = font.charstrings.entries;
    for (unsigned long i = 0; i < entries.size; ++i) {
      std::string name = as_string(entries.data[i].first);
      FT_UInt index = FT_Get_Name_Index(face.get(), name.c_str());
      ASSERT_TRUE(index != 0 || name == ".notdef") << path << " /" << name;
      ASSERT_EQ(FT_Load_Glyph(face.get(), index, FT_LOAD_NO_SCALE), 0);
      double unscaled = face.get()->glyph->advance.x;

      Type1Interpreter interpreter(&font, scale);
      bool straight = interpreter.execute(entries.data[i].second, 0);
      EXPECT_EQ(interpreter.advance(), unscaled * scale) << path << " /" << name;

      font.encoding[0] = dv::string(entries.data[i].first);
      GlyphBitmap ours = rasterize_type1_glyph(font, 0, scale);
      InkBox theirs;
      if (!straight || ours.width == 0 || !freetype_ink_box(face.get(), index, theirs))
        continue;
      ++straight_glyphs;
      int differences[] = {ours.left - theirs.left, ours.left + ours.width - theirs.right,
                           ours.top - theirs.top, ours.top - ours.height - theirs.bottom};
      for (int d : differences) {
        EXPECT_LE(std::abs(d), 1) << path << " /" << name;
        worst = std::max(worst, std::abs(d));
      }
    }
  }
  EXPECT_GT(straight_glyphs, 100);
  RecordProperty("straight_line_glyphs", straight_glyphs);
  RecordProperty("largest_ink_box_difference", worst);
}

// Type 1 glyphs go through the same rasterizer: byte for byte the reference's bitmaps.
TEST_F(Type1RealFonts, StraightLineGlyphsMatchTheReferenceRasterizer) {
  int compared = 0;
  for (const fs::path& path : pfb_files_) {
    Type1Font font;
    ASSERT_TRUE(load(font, read_file(path)));
    for (const double pixel_size : {12.0, 96.0}) {
      const auto& entries = font.charstrings.entries;
      for (unsigned long i = 0; i < entries.size; ++i) {
        Type1Interpreter interpreter(&font, pixel_size / 1000.0);
        if (!interpreter.execute(entries.data[i].second, 0))
          continue; // curves, hint replacement, seac or div: drawn blank
        ++compared;
        EXPECT_EQ(difference_from_reference(rasterize_outline(interpreter.outline(), 0),
                                            reference_rasterize(interpreter.outline())),
                  "")
            << path << " /" << as_string(entries.data[i].first) << " at " << pixel_size << " px";
      }
    }
  }
  EXPECT_GT(compared, 200);
  RecordProperty("straight_line_glyphs_compared", compared);
}
