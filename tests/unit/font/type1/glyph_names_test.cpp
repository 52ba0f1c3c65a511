// Glyph names to Unicode: the standard names of the Latin encodings, the "uni" and "u"
// forms, names that stand for nothing, and the table against the list it was made from.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "font/type1/glyph_name_table.h"
#include "font/type1/glyph_names.h"
#include "font/type1/standard_encoding.h"
#include "support/required_package.h"

namespace {

uint32_t codepoint_of(const std::string& name) {
  return glyph_name_codepoint(name.data(), name.size());
}

// The names of the PostScript ISOLatin1Encoding that StandardEncoding lacks, with the
// characters of ISO 8859-1 (and the accents of its 0x90-0x9F block) they stand for.
const std::pair<const char*, uint32_t> kIsoLatin1Names[] = {
    {"minus", 0x2212},         {"dotlessi", 0x0131},      {"ring", 0x02DA},
    {"brokenbar", 0x00A6},     {"copyright", 0x00A9},     {"logicalnot", 0x00AC},
    {"registered", 0x00AE},    {"degree", 0x00B0},        {"plusminus", 0x00B1},
    {"twosuperior", 0x00B2},   {"threesuperior", 0x00B3}, {"mu", 0x00B5},
    {"onesuperior", 0x00B9},   {"onequarter", 0x00BC},    {"onehalf", 0x00BD},
    {"threequarters", 0x00BE}, {"Agrave", 0x00C0},        {"Aacute", 0x00C1},
    {"Acircumflex", 0x00C2},   {"Atilde", 0x00C3},        {"Adieresis", 0x00C4},
    {"Aring", 0x00C5},         {"Ccedilla", 0x00C7},      {"Egrave", 0x00C8},
    {"Eacute", 0x00C9},        {"Ecircumflex", 0x00CA},   {"Edieresis", 0x00CB},
    {"Igrave", 0x00CC},        {"Iacute", 0x00CD},        {"Icircumflex", 0x00CE},
    {"Idieresis", 0x00CF},     {"Eth", 0x00D0},           {"Ntilde", 0x00D1},
    {"Ograve", 0x00D2},        {"Oacute", 0x00D3},        {"Ocircumflex", 0x00D4},
    {"Otilde", 0x00D5},        {"Odieresis", 0x00D6},     {"multiply", 0x00D7},
    {"Ugrave", 0x00D9},        {"Uacute", 0x00DA},        {"Ucircumflex", 0x00DB},
    {"Udieresis", 0x00DC},     {"Yacute", 0x00DD},        {"Thorn", 0x00DE},
    {"agrave", 0x00E0},        {"aacute", 0x00E1},        {"acircumflex", 0x00E2},
    {"atilde", 0x00E3},        {"adieresis", 0x00E4},     {"aring", 0x00E5},
    {"ccedilla", 0x00E7},      {"egrave", 0x00E8},        {"eacute", 0x00E9},
    {"ecircumflex", 0x00EA},   {"edieresis", 0x00EB},     {"igrave", 0x00EC},
    {"iacute", 0x00ED},        {"icircumflex", 0x00EE},   {"idieresis", 0x00EF},
    {"eth", 0x00F0},           {"ntilde", 0x00F1},        {"ograve", 0x00F2},
    {"oacute", 0x00F3},        {"ocircumflex", 0x00F4},   {"otilde", 0x00F5},
    {"odieresis", 0x00F6},     {"divide", 0x00F7},        {"ugrave", 0x00F9},
    {"uacute", 0x00FA},        {"ucircumflex", 0x00FB},   {"udieresis", 0x00FC},
    {"yacute", 0x00FD},        {"thorn", 0x00FE},         {"ydieresis", 0x00FF},
};

} // namespace

TEST(GlyphNames, EveryStandardEncodingNameStandsForACharacter) {
  int names = 0;
  for (unsigned code = 0; code < 256; ++code) {
    const char* name = standard_encoding_name(code);
    if (name == nullptr)
      continue;
    ++names;
    const uint32_t value = codepoint_of(name);
    EXPECT_NE(value, kNoCodepoint) << name;
    // Printable ASCII stands for itself, except the two typographic quotes.
    if (code >= 0x20 && code <= 0x7E && code != 0x27 && code != 0x60)
      EXPECT_EQ(value, code) << name;
  }
  EXPECT_EQ(names, 149);
  const std::pair<const char*, uint32_t> samples[] = {
      {"quoteright", 0x2019}, {"quoteleft", 0x2018},  {"fi", 0xFB01},     {"fl", 0xFB02},
      {"Lslash", 0x0141},     {"florin", 0x0192},     {"emdash", 0x2014}, {"perthousand", 0x2030},
      {"OE", 0x0152},         {"germandbls", 0x00DF}, {"Euro", 0x20AC},   {"caron", 0x02C7},
  };
  for (const auto& [name, value] : samples)
    EXPECT_EQ(codepoint_of(name), value) << name;
}

TEST(GlyphNames, IsoLatin1Names) {
  for (const auto& [name, value] : kIsoLatin1Names)
    EXPECT_EQ(codepoint_of(name), value) << name;
}

TEST(GlyphNames, HexadecimalForms) {
  const std::pair<const char*, uint32_t> cases[] = {
      {"uni00E9", 0x00E9},       {"uni0416", 0x0416},           {"u00E9", 0x00E9},
      {"u1F600", 0x1F600},       {"u10FFFF", 0x10FFFF},         {"uni00e9", kNoCodepoint},
      {"uni00E", kNoCodepoint},  {"uni00E90301", kNoCodepoint}, // sequences stand for no one
      {"uniD800", kNoCodepoint}, {"uDFFF", kNoCodepoint},       {"u110000", kNoCodepoint},
      {"u123", kNoCodepoint},    {"u1234567", kNoCodepoint},    {"uniGHIJ", kNoCodepoint},
      {"u+00E9", kNoCodepoint},
  };
  for (const auto& [name, value] : cases)
    EXPECT_EQ(codepoint_of(name), value) << name;
}

TEST(GlyphNames, NamesThatStandForNothing) {
  for (const char* name :
       {"a.sc", "uni00E9.alt", "eacute.cap", ".notdef", "", "a1", "Eacutex", "eacut", "g31"})
    EXPECT_EQ(codepoint_of(name), kNoCodepoint) << name;
  // Any byte may occur in a name read from a font; the comparison never stops early at a
  // zero byte or reads past a listed name.
  EXPECT_EQ(codepoint_of(std::string("A\0", 2)), kNoCodepoint);
  EXPECT_EQ(codepoint_of(std::string("eacute\xff", 7)), kNoCodepoint);
  EXPECT_EQ(glyph_name_codepoint(nullptr, 0), kNoCodepoint);
}

TEST(GlyphNames, SecondValues) {
  EXPECT_EQ(glyph_name_second_codepoint("space", 5), 0x00A0u);
  EXPECT_EQ(glyph_name_second_codepoint("hyphen", 6), 0x00ADu);
  EXPECT_EQ(codepoint_of("hyphen"), 0x002Du);
  EXPECT_EQ(glyph_name_second_codepoint("spaces", 6), kNoCodepoint);
  EXPECT_EQ(glyph_name_second_codepoint("A", 1), kNoCodepoint);
}

TEST(GlyphNames, TableIsSortedWithoutDuplicates) {
  ASSERT_GT(kGlyphNameCount, 1000u);
  for (unsigned long i = 1; i < kGlyphNameCount; ++i) {
    const char* previous = kGlyphNameText + kGlyphNames[i - 1].name;
    const char* name = kGlyphNameText + kGlyphNames[i].name;
    ASSERT_LT(std::strcmp(previous, name), 0) << previous << " " << name;
  }
}

// The committed table is what the generator makes from the glyph list Debian ships in
// python3-fonttools.
TEST(GlyphNames, TableIsTheGeneratorsOutput) {
  const std::string generator = DV_SOURCE_DIR "/tools/type1/make-glyph-name-table.py";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(("'" + generator + "'").c_str(), "r"), pclose);
  ASSERT_NE(pipe, nullptr);
  std::string generated;
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0)
    generated.append(buffer, n);
  if (generated.empty())
    DV_MISSING_PACKAGE("fontTools (the generator's glyph list)", "python3-fonttools");
  std::ifstream committed(DV_SOURCE_DIR "/font/type1/glyph_name_table.cpp", std::ios::binary);
  EXPECT_TRUE(generated == std::string(std::istreambuf_iterator<char>(committed), {}))
      << "font/type1/glyph_name_table.cpp differs from the generator's output";
}
