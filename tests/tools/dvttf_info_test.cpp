// dvttf-info on every font file of the Debian font packages the project uses: each one
// either prints its facts or is refused with the reason, and the names, metrics, glyph
// counts and mapped code points it prints agree with what FreeType reads from the same
// file. Then its command line: several files, --has, --sheet, refusals and exit codes.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SFNT_NAMES_H
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/fonttools_fixtures.h"
#include "support/required_package.h"

namespace {

struct CommandResult {
  int status = -1;
  std::string output; // stdout and stderr
};

std::string shell_quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

CommandResult run(const std::string& command) {
  CommandResult result;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) {
    return result;
  }
  char buffer[4096];
  size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
    result.output.append(buffer, count);
  }
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

CommandResult info(const std::string& font) {
  return run(shell_quote(DVTTF_INFO_PATH) + " " + shell_quote(font));
}

// With options before the font.
CommandResult info(const std::string& options, const std::string& font) {
  return run(shell_quote(DVTTF_INFO_PATH) + " " + options + " " + shell_quote(font));
}

// "key: value" lines of the output.
std::map<std::string, std::string> facts(const std::string& output) {
  std::map<std::string, std::string> result;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    const size_t colon = line.find(": ");
    if (colon != std::string::npos) {
      result[line.substr(0, colon)] = line.substr(colon + 2);
    }
  }
  return result;
}

long number(const std::map<std::string, std::string>& facts, const std::string& key) {
  const auto found = facts.find(key);
  return found == facts.end() ? -999999 : std::stol(found->second);
}

// The font files a Debian package installs.
std::vector<std::string> package_fonts(const std::string& package) {
  std::vector<std::string> fonts;
  std::istringstream lines(run("dpkg -L " + package).output);
  for (std::string line; std::getline(lines, line);) {
    for (const char* suffix : {".ttf", ".otf", ".pfb", ".pfa", ".t1"}) {
      const std::string ending(suffix);
      if (line.size() > ending.size() &&
          line.compare(line.size() - ending.size(), ending.size(), ending) == 0) {
        fonts.push_back(line);
      }
    }
  }
  return fonts;
}

struct FaceCloser {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using Face = std::unique_ptr<FT_FaceRec_, FaceCloser>;

class DvttfInfoTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_EQ(FT_Init_FreeType(&library_), 0); }
  void TearDown() override { FT_Done_FreeType(library_); }

  Face open(const std::string& path) {
    FT_Face face = nullptr;
    EXPECT_EQ(FT_New_Face(library_, path.c_str(), 0, &face), 0) << path;
    return Face(face);
  }

  FT_Library library_ = nullptr;
};

// Code points FreeType's Unicode character map gives a glyph, in and beyond the BMP.
std::pair<long, long> freetype_mapped(FT_Face face) {
  long bmp = 0;
  long beyond = 0;
  if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) {
    return {0, 0};
  }
  FT_UInt glyph = 0;
  for (FT_ULong code = FT_Get_First_Char(face, &glyph); glyph != 0;
       code = FT_Get_Next_Char(face, code, &glyph)) {
    ++(code <= 0xFFFF ? bmp : beyond);
  }
  return {bmp, beyond};
}

// True when the name table holds typographic names (IDs 16 and 17), which FreeType
// reports as the family and style instead of IDs 1 and 2.
bool has_typographic_names(FT_Face face) {
  for (FT_UInt i = 0; i < FT_Get_Sfnt_Name_Count(face); ++i) {
    FT_SfntName name;
    if (FT_Get_Sfnt_Name(face, i, &name) == 0 && (name.name_id == 16 || name.name_id == 17)) {
      return true;
    }
  }
  return false;
}

// TrueType and OpenType CFF fonts: the sfnt facts.
void expect_sfnt_facts_match(const std::string& path, const std::string& output, FT_Face face) {
  const auto printed = facts(output);
  if (!has_typographic_names(face)) {
    EXPECT_EQ(printed.at("family"), face->family_name) << path;
    EXPECT_EQ(printed.at("style"), face->style_name) << path;
  }
  EXPECT_FALSE(printed.at("full name").empty()) << path;
  EXPECT_EQ(number(printed, "units per em"), face->units_per_EM) << path;
  EXPECT_EQ(number(printed, "ascent"), face->ascender) << path;
  EXPECT_EQ(number(printed, "descent"), -face->descender) << path;
  EXPECT_EQ(number(printed, "line gap"), face->height - face->ascender + face->descender) << path;
  EXPECT_EQ(number(printed, "glyphs"), face->num_glyphs) << path;
  const auto [bmp, beyond] = freetype_mapped(face);
  std::ostringstream mapped;
  mapped << bmp + beyond << " (BMP " << bmp << ", beyond the BMP " << beyond << ")";
  EXPECT_EQ(printed.at("mapped code points"), mapped.str()) << path;
}

void expect_type1_facts_match(const std::string& path, const std::string& output, FT_Face face) {
  const auto printed = facts(output);
  EXPECT_EQ(printed.at("format").rfind("Type 1 P", 0), 0u) << path;
  EXPECT_EQ(printed.at("family"), face->family_name) << path;
  EXPECT_FALSE(printed.at("font name").empty()) << path;
  EXPECT_EQ(number(printed, "units per em"), face->units_per_EM) << path;
  EXPECT_EQ(number(printed, "ascent"), face->bbox.yMax) << path;
  EXPECT_EQ(number(printed, "descent"), -face->bbox.yMin) << path;
  EXPECT_EQ(number(printed, "glyphs"), face->num_glyphs) << path;
  EXPECT_NE(printed.find("encoding"), printed.end()) << path;
  EXPECT_NE(printed.find("straight-line charstrings (drawn)"), printed.end()) << path;
  // Read in full, every charstring of the URW fonts draws.
  EXPECT_EQ(printed.at("complete Type 1 (option 4) charstrings drawn"),
            printed.at("glyphs") + " of " + printed.at("glyphs"))
      << path;
  EXPECT_NE(printed.find("complete Type 1 (option 4) code points of U+0020-U+024F with a glyph"),
            printed.end())
      << path;
}

TEST_F(DvttfInfoTest, EveryPackagedFontPrintsItsFactsOrIsRefusedWithTheReason) {
  int truetype = 0;
  int cff = 0;
  int type1 = 0;
  for (const char* package : {"fonts-dejavu-core", "fonts-liberation2", "fonts-urw-base35"}) {
    const std::vector<std::string> fonts = package_fonts(package);
    if (fonts.empty()) {
      DV_MISSING_PACKAGE(std::string("every font of ") + package, package);
    }
    for (const std::string& path : fonts) {
      const CommandResult result = info(path);
      const std::string ending = path.substr(path.rfind('.'));
      if (ending == ".otf") {
        const CommandResult standard = info("--standard", path);
        EXPECT_EQ(standard.status, 1) << path;
        EXPECT_NE(standard.output.find("CFF outlines (OTTO)"), std::string::npos)
            << standard.output;
      }
      if (ending == ".t1") {
        // Only the complete Type 1 option reads binary eexec data.
        EXPECT_EQ(result.status, 0) << path << "\n" << result.output;
        EXPECT_NE(result.output.find("complete Type 1 (option 4) charstrings drawn: "),
                  std::string::npos)
            << result.output;
        const CommandResult standard = info("--standard", path);
        EXPECT_EQ(standard.status, 1) << path;
        EXPECT_NE(standard.output.find("eexec part is binary"), std::string::npos)
            << standard.output;
        EXPECT_NE(standard.output.find("complete Type 1 option 4 does"), std::string::npos)
            << standard.output;
        continue;
      }
      ASSERT_EQ(result.status, 0) << path << "\n" << result.output;
      EXPECT_EQ(facts(result.output).at("file"), path);
      const Face face = open(path);
      ASSERT_TRUE(face) << path;
      if (ending == ".ttf" || ending == ".otf") {
        EXPECT_EQ(facts(result.output).at("format"),
                  ending == ".ttf" ? "TrueType" : "OpenType CFF");
        expect_sfnt_facts_match(path, result.output, face.get());
        ++(ending == ".ttf" ? truetype : cff);
      } else {
        expect_type1_facts_match(path, result.output, face.get());
        ++type1;
      }
    }
  }
  EXPECT_GT(truetype, 0);
  EXPECT_GT(cff, 0);
  EXPECT_GT(type1, 0);
}

// A variable font with CFF2 outlines (fontTools builds it from the test generator's
// masters): its format, axes and CFF2 structure.
TEST_F(DvttfInfoTest, Cff2Details) {
  const CommandResult cff2 = info(fonttools_fixtures::path("cff2_variable.otf"));
  ASSERT_EQ(cff2.status, 0) << cff2.output;
  const auto printed = facts(cff2.output);
  EXPECT_EQ(printed.at("format"), "OpenType CFF2");
  EXPECT_EQ(number(printed, "variation axes"), 2);
  EXPECT_EQ(printed.at("CFF2"), "1 Font DICTs (no FDSelect), an item variation store");
  EXPECT_EQ(number(printed, "charstrings"), number(printed, "glyphs"));
}

// OpenType CFF details, a collection's faces, --face and --standard.
TEST_F(DvttfInfoTest, CffDetailsAndCollectionFaces) {
  const std::string otf = "/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf";
  const std::string ttc = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc";
  const CommandResult cff = info(otf);
  if (cff.output.find("font file not found") != std::string::npos) {
    DV_MISSING_PACKAGE(otf, "fonts-urw-base35");
  }
  ASSERT_EQ(cff.status, 0) << cff.output;
  const auto printed = facts(cff.output);
  EXPECT_EQ(printed.at("CFF"), "not CID-keyed (one Private DICT)");
  EXPECT_EQ(number(printed, "charstrings"), number(printed, "glyphs"));
  EXPECT_GT(number(printed, "global subroutines"), 0);
  EXPECT_GT(number(printed, "local subroutines"), 0);

  const CommandResult collection = info("--face 2", ttc);
  if (collection.output.find("font file not found") != std::string::npos) {
    DV_MISSING_PACKAGE(ttc, "fonts-wqy-zenhei");
  }
  ASSERT_EQ(collection.status, 0) << collection.output;
  const auto faces = facts(collection.output);
  EXPECT_EQ(faces.at("format"), "font collection");
  EXPECT_EQ(number(faces, "faces"), 3);
  EXPECT_EQ(faces.at("face 1"), "TrueType, WenQuanYi Zen Hei Mono");
  EXPECT_EQ(number(faces, "face read"), 2);
  EXPECT_EQ(faces.at("full name"), "WenQuanYi Zen Hei Sharp");

  const CommandResult past = info("--face 3", ttc);
  EXPECT_EQ(past.status, 1);
  EXPECT_NE(past.output.find("it has no face 3 (3 faces)"), std::string::npos) << past.output;
  const CommandResult standard = info("--standard", ttc);
  EXPECT_EQ(standard.status, 1);
  EXPECT_NE(standard.output.find("a font collection (ttcf)"), std::string::npos) << standard.output;
}

TEST_F(DvttfInfoTest, StandardEncodingTypeOneFontsAreShownToDrawNotdef) {
  const std::string path = "/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb";
  const CommandResult result = info(path);
  if (result.output.find("font file not found") != std::string::npos) {
    DV_MISSING_PACKAGE(path, dvtest::package_of(path));
  }
  ASSERT_EQ(result.status, 0) << result.output;
  const auto printed = facts(result.output);
  EXPECT_EQ(printed.at("encoding"), "no explicit entries (the font declares StandardEncoding, "
                                    "which the library does not map): every character draws "
                                    ".notdef");
  EXPECT_EQ(printed.count("encoded characters drawn"), 0u);
}

TEST_F(DvttfInfoTest, RefusedFilesAndBadOptionsGiveTheReason) {
  const std::string dir = ::testing::TempDir();
  auto write = [&](const std::string& name, const std::string& bytes) {
    const std::string path = dir + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return path;
  };
  const std::string text = write("info-text.ttf", "not a font");
  const std::string empty = write("info-empty.ttf", "");
  const std::string bare_sfnt = write("info-bare.ttf", std::string("\0\1\0\0\0\0", 6));
  const std::string bare_type1 = write("info-bare.pfa", "%!PS-AdobeFont-1.0: X\n");
  const std::string collection = write("info-collection.ttc", "ttcf\0\1\0\0");
  struct Case {
    std::string arguments;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {"", 2, "no FONT given"},
      {"--bold x", 2, "unknown option '--bold'"},
      {"--has", 2, "--has needs a value"},
      {"--has U+41 --has=00G1 x", 2,
       "--has wants code points (U+4E2D, 4E2D or the character itself, separated by commas) up "
       "to U+10FFFF, not '00G1'"},
      {"--has 1234567 x", 2, "not '1234567'"},
      {"--has U+ x", 2, "not 'U+'"},
      {"--has \"$(printf '\\355\\240\\200')\" x", 2, "up to U+10FFFF, not '"}, // a surrogate
      {"--max-glyphs 0 x", 2, "--max-glyphs wants a count from 1 to 1114112, not '0'"},
      {"--has U+110000 x", 2, "not 'U+110000'"},
      {"--has U+41,,U+42 x", 2, "not ''"},
      {"--sheet a.png x y", 2, "--sheet draws one FONT"},
      {"--help", 0, "usage: dvttf-info [OPTION]... FONT..."},
      {"--version", 0, "dvttf-info (DovrelTTF) "},
      {shell_quote(dir + "missing.ttf"), 1, "font file not found: " + dir + "missing.ttf"},
      {shell_quote(dir), 1, "font path is not a regular file"},
      {text, 1, "cannot load font " + text + ": not a font file the library reads"},
      {empty, 1, "cannot load font " + empty + ": not a font file the library reads"},
      {collection, 1, "it has no face 0 (0 faces)"},
      {"--standard " + collection, 1, "a font collection (ttcf)"},
      {"--face -1 x", 2, "--face wants a face number from 0 to 65535, not '-1'"},
      {"--face 65536 x", 2, "not '65536'"},
      {"--face 1 " + bare_type1, 1, "it has no face 1 (1 face)"},
      {bare_sfnt, 1, "refuses it as a TrueType font"},
      {bare_type1, 1, "refuses it as a Type 1 font (no charstrings found)"},
      // Every file gets its answer; one refused makes the exit code 1.
      {text + " " + empty, 1, "cannot load font " + empty},
      {text + " " + collection, 1, "it has no face 0"},
  };
  for (const Case& c : cases) {
    const CommandResult result = run(shell_quote(DVTTF_INFO_PATH) + " " + c.arguments);
    EXPECT_EQ(result.status, c.status) << c.arguments << "\n" << result.output;
    EXPECT_NE(result.output.find(c.message), std::string::npos) << c.arguments << "\n"
                                                                << result.output;
  }
}

constexpr const char* kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* kNimbusSansPfb = "/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb";
constexpr const char* kLiberationSans =
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";

// The facts of each file a call printed, in order (files are separated by a blank line).
std::vector<std::map<std::string, std::string>> facts_per_file(const std::string& output) {
  std::vector<std::map<std::string, std::string>> files;
  size_t start = 0;
  for (;;) {
    const size_t end = output.find("\n\n", start);
    files.push_back(facts(output.substr(start, end - start)));
    if (end == std::string::npos) {
      return files;
    }
    start = end + 2;
  }
}

TEST_F(DvttfInfoTest, SeveralFontsInOneCallWithTheCodePointsAsked) {
  struct Case {
    std::string arguments;
    int status;
    // Per file: the "has U+XXXX" answers expected.
    std::vector<std::map<std::string, std::string>> answers;
  };
  const std::string dejavu = shell_quote(kDejaVuSans);
  const std::string liberation = shell_quote(kLiberationSans);
  const Case cases[] = {
      {"--has U+0041 " + dejavu, 0, {{{"has U+0041", "yes"}}}},
      {"--has=u+4e2d,U+41 " + dejavu, 3, {{{"has U+4E2D", "no"}, {"has U+0041", "yes"}}}},
      // Beyond the BMP (format 12) and below it; options after the files.
      {dejavu + " " + liberation + " --has U+1F600,U+20AC",
       3,
       {{{"has U+1F600", "yes"}, {"has U+20AC", "yes"}},
        {{"has U+1F600", "no"}, {"has U+20AC", "yes"}}}},
      {dejavu + " " + liberation, 0, {{}, {}}},
      // The forms of a code point: U+XXXX, bare hex digits and the character itself (a lone
      // character is itself even when it is a hex digit: "A" is U+0041).
      {"--has 4E2D,20ac,中,A,7 " + dejavu,
       3,
       {{{"has U+4E2D", "no"},
         {"has U+20AC", "yes"},
         {"has U+0041", "yes"},
         {"has U+0037", "yes"}}}},
      // A refused file between two others prints its message and no blank line.
      {dejavu + " /dev/null " + liberation, 1, {{}, {}}},
  };
  for (const Case& c : cases) {
    const CommandResult result = run(shell_quote(DVTTF_INFO_PATH) + " " + c.arguments);
    if (result.output.find("font file not found") != std::string::npos) {
      DV_MISSING_PACKAGE("DejaVu Sans or Liberation Sans",
                         "fonts-dejavu-core and fonts-liberation2");
    }
    EXPECT_EQ(result.status, c.status) << c.arguments << "\n" << result.output;
    const auto files = facts_per_file(result.output);
    ASSERT_EQ(files.size(), c.answers.size()) << c.arguments << "\n" << result.output;
    for (size_t i = 0; i < files.size(); ++i) {
      EXPECT_EQ(files[i].count("units per em"), 1u) << c.arguments;
      const Face face = open(files[i].at("file"));
      for (const auto& [key, answer] : c.answers[i]) {
        // The table's answers are FreeType's as well.
        const FT_ULong codepoint = std::stoul(key.substr(6), nullptr, 16);
        EXPECT_EQ(FT_Get_Char_Index(face.get(), codepoint) != 0, answer == "yes") << key;
        EXPECT_EQ(files[i].count(key) ? files[i].at(key) : "(missing)", answer)
            << c.arguments << "\n"
            << result.output;
      }
    }
  }
}

struct PngImage {
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  std::vector<uint8_t> rgba;
};

PngImage read_png(const std::string& path) {
  PngImage image;
  png_image reader{};
  reader.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&reader, path.c_str()) == 0) {
    return image;
  }
  reader.format = PNG_FORMAT_RGBA;
  image.rgba.resize(PNG_IMAGE_SIZE(reader));
  if (png_image_finish_read(&reader, nullptr, image.rgba.data(), 0, nullptr) != 0) {
    image.width = reader.width;
    image.height = reader.height;
  }
  return image;
}

TEST_F(DvttfInfoTest, SheetDrawsEveryMappedGlyphInItsOwnLabelledCell) {
  const std::string sheet = ::testing::TempDir() + "info-sheet.png";
  const CommandResult result = run(shell_quote(DVTTF_INFO_PATH) + " --sheet " + shell_quote(sheet) +
                                   " " + shell_quote(kLiberationSans));
  if (result.output.find("font file not found") != std::string::npos) {
    DV_MISSING_PACKAGE(kLiberationSans, "fonts-liberation2");
  }
  ASSERT_EQ(result.status, 0) << result.output;
  const auto printed = facts(result.output);
  const long mapped = number(printed, "mapped code points");
  // Sixteen cells of 64 x 62 pixels to a row, pages of at most 4096 pixel rows: 66 rows.
  constexpr long kPerPage = 4096 / 62 * 16;
  const long pages = (mapped + kPerPage - 1) / kPerPage;
  ASSERT_GT(pages, 1) << "the font fills more than one page";
  const std::string last = ::testing::TempDir() + "info-sheet-" + std::to_string(pages) + ".png";
  EXPECT_EQ(printed.at("sheet"), sheet + " (" + std::to_string(mapped) + " glyphs on " +
                                     std::to_string(pages) +
                                     " pages of at most 4096 pixel rows, through " + last + ")");
  for (long page = 0; page < pages; ++page) {
    const std::string path =
        page == 0 ? sheet
                  : ::testing::TempDir() + "info-sheet-" + std::to_string(page + 1) + ".png";
    const long cells = std::min(kPerPage, mapped - page * kPerPage);
    const PngImage image = read_png(path);
    EXPECT_EQ(image.width, 16u * 64u) << path;
    EXPECT_EQ(image.height, static_cast<png_uint_32>((cells + 15) / 16 * 62)) << path;
  }
  // Each cell of the first page holds dark pixels: its label at the top, and below it the
  // glyph, which for most mapped code points has ink.
  const PngImage image = read_png(sheet);
  ASSERT_EQ(image.height, 66u * 62u);
  long inked_cells = 0;
  for (long cell = 0; cell < kPerPage; ++cell) {
    const long x0 = cell % 16 * 64;
    const long y0 = cell / 16 * 62;
    bool label = false;
    bool ink = false;
    for (long y = y0; y < y0 + 61; ++y) {
      for (long x = x0; x < x0 + 63; ++x) {
        const bool dark = image.rgba[(y * image.width + x) * 4] < 128;
        (y < y0 + 14 ? label : ink) |= dark;
      }
    }
    EXPECT_TRUE(label) << "cell " << cell;
    inked_cells += ink;
  }
  EXPECT_GT(inked_cells, kPerPage * 9 / 10);
}

// A font that maps nothing gets no sheet and exit code 1; --max-glyphs keeps one page.
TEST_F(DvttfInfoTest, SheetOfNothingIsRefusedAndMaxGlyphsLimitsIt) {
  const std::string empty = ::testing::TempDir() + "info-empty-sheet.png";
  std::remove(empty.c_str());
  const CommandResult standard = run(shell_quote(DVTTF_INFO_PATH) + " --standard --sheet " +
                                     shell_quote(empty) + " " + shell_quote(kNimbusSansPfb));
  if (standard.output.find("font file not found") != std::string::npos) {
    DV_MISSING_PACKAGE(kNimbusSansPfb, "fonts-urw-base35");
  }
  EXPECT_EQ(standard.status, 1) << standard.output;
  EXPECT_NE(standard.output.find("warning: the font maps no code point to a glyph of its own, so "
                                 "no sheet was written to " +
                                 empty),
            std::string::npos)
      << standard.output;
  EXPECT_EQ(read_png(empty).width, 0u) << "no file was written";

  const std::string few = ::testing::TempDir() + "info-few.png";
  const CommandResult limited = run(shell_quote(DVTTF_INFO_PATH) + " --max-glyphs 20 --sheet " +
                                    shell_quote(few) + " " + shell_quote(kDejaVuSans));
  ASSERT_EQ(limited.status, 0) << limited.output;
  const auto printed = facts(limited.output);
  const long mapped = number(printed, "mapped code points");
  EXPECT_EQ(printed.at("sheet"), few + " (20 glyphs; " + std::to_string(mapped - 20) +
                                     " more mapped, beyond --max-glyphs)");
  EXPECT_EQ(read_png(few).height, 2u * 62u);
}

} // namespace
