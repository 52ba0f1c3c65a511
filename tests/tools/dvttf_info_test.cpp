// dvttf-info on every font file of the Debian font packages the project uses: each one
// either prints its facts or is refused with the reason, and the metrics, glyph counts
// and mapped code points it prints agree with what FreeType reads from the same file.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

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

void expect_truetype_facts_match(const std::string& path, const std::string& output, FT_Face face) {
  const auto printed = facts(output);
  EXPECT_EQ(printed.at("format"), "TrueType") << path;
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
  EXPECT_EQ(number(printed, "units per em"), face->units_per_EM) << path;
  EXPECT_EQ(number(printed, "ascent"), face->bbox.yMax) << path;
  EXPECT_EQ(number(printed, "descent"), -face->bbox.yMin) << path;
  EXPECT_EQ(number(printed, "glyphs"), face->num_glyphs) << path;
  EXPECT_NE(printed.find("encoding"), printed.end()) << path;
  EXPECT_NE(printed.find("straight-line charstrings (drawn)"), printed.end()) << path;
}

TEST_F(DvttfInfoTest, EveryPackagedFontPrintsItsFactsOrIsRefusedWithTheReason) {
  int truetype = 0;
  int type1 = 0;
  for (const char* package : {"fonts-dejavu-core", "fonts-liberation2", "fonts-urw-base35"}) {
    const std::vector<std::string> fonts = package_fonts(package);
    if (fonts.empty()) {
      GTEST_SKIP() << package << " is not installed (tools/install-deps.sh installs it)";
    }
    for (const std::string& path : fonts) {
      const CommandResult result = info(path);
      const std::string ending = path.substr(path.rfind('.'));
      if (ending == ".otf") {
        EXPECT_EQ(result.status, 1) << path;
        EXPECT_NE(result.output.find("CFF outlines (OTTO)"), std::string::npos) << result.output;
        continue;
      }
      if (ending == ".t1") {
        EXPECT_EQ(result.status, 1) << path;
        EXPECT_NE(result.output.find("eexec part is binary"), std::string::npos) << result.output;
        continue;
      }
      ASSERT_EQ(result.status, 0) << path << "\n" << result.output;
      EXPECT_EQ(facts(result.output).at("file"), path);
      const Face face = open(path);
      ASSERT_TRUE(face) << path;
      if (ending == ".ttf") {
        expect_truetype_facts_match(path, result.output, face.get());
        ++truetype;
      } else {
        expect_type1_facts_match(path, result.output, face.get());
        ++type1;
      }
    }
  }
  EXPECT_GT(truetype, 0);
  EXPECT_GT(type1, 0);
}

TEST_F(DvttfInfoTest, StandardEncodingTypeOneFontsAreShownToDrawNotdef) {
  const std::string path = "/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb";
  const CommandResult result = info(path);
  if (result.output.find("font file not found") != std::string::npos) {
    GTEST_SKIP() << path << " is not installed";
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
      {"a b", 2, "give one FONT"},
      {"--bold x", 2, "unknown option '--bold'"},
      {"--help", 0, "usage: dvttf-info FONT"},
      {"--version", 0, "dvttf-info (DovrelTTF) "},
      {shell_quote(dir + "missing.ttf"), 1, "font file not found: " + dir + "missing.ttf"},
      {shell_quote(dir), 1, "font path is not a regular file"},
      {text, 1, "cannot load font " + text + ": not a TrueType (glyf) or Type 1 font"},
      {empty, 1, "cannot load font " + empty + ": not a TrueType (glyf) or Type 1 font"},
      {collection, 1, "a font collection (ttcf)"},
      {bare_sfnt, 1, "refuses it as a TrueType font"},
      {bare_type1, 1, "refuses it as a Type 1 font (no charstrings found)"},
  };
  for (const Case& c : cases) {
    const CommandResult result = run(shell_quote(DVTTF_INFO_PATH) + " " + c.arguments);
    EXPECT_EQ(result.status, c.status) << c.arguments << "\n" << result.output;
    EXPECT_NE(result.output.find(c.message), std::string::npos) << c.arguments << "\n"
                                                                << result.output;
  }
}

} // namespace
