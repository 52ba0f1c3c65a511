// Pair kerning of installed fonts against independent readings. FreeType reads only the
// legacy kern table, so the GPOS values come from the test's own linear-scan reader
// (kerning_reference.h); stb_truetype's kern advance, which reads GPOS pair lookups too
// (every type-2 lookup of the font, first hit wins, value format 4 only), cross-checks
// the fonts whose kerning lies within what it reads. Advances are FreeType's unhinted ones.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#define STB_TRUETYPE_IMPLEMENTATION
#include <stb/stb_truetype.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "font/entry_points.h"
#include "font/font_handle.h"
#include "font/load_options.h"
#include "font/render_limits.h"
#include "font/sfnt/kerning.h"
#include "font/text/layout.h"
#include "support/sfnt_builder.h"
#include "unit/font/sfnt/kerning_reference.h"

namespace {

// Common Latin pairs: capitals against capitals, lowercase and punctuation, lowercase
// against punctuation, figures, quotes.
const char32_t* const kPairs[] = {
    U"AV",      U"AW",      U"AY",      U"AT",      U"AC", U"AG",  U"AO", U"AQ",  U"AU", U"Av",
    U"Aw",      U"Ay",      U"At",      U"Au",      U"A'", U"A\"", U"FA", U"Fa",  U"Fe", U"Fo",
    U"Fr",      U"F.",      U"F,",      U"F:",      U"F;", U"F-",  U"LT", U"LV",  U"LW", U"LY",
    U"Ly",      U"Lv",      U"Lw",      U"Lu",      U"L'", U"L\"", U"PA", U"Pa",  U"Pe", U"Po",
    U"P.",      U"P,",      U"RT",      U"RV",      U"RW", U"RY",  U"Ru", U"Ro",  U"Ra", U"TA",
    U"Ta",      U"Tc",      U"Te",      U"To",      U"Tr", U"Ts",  U"Tu", U"Tw",  U"Ty", U"Ti",
    U"Tm",      U"T.",      U"T,",      U"T:",      U"T;", U"T-",  U"VA", U"Va",  U"Ve", U"Vo",
    U"Vu",      U"Vi",      U"Vr",      U"Vy",      U"V.", U"V,",  U"V:", U"V;",  U"V-", U"WA",
    U"Wa",      U"We",      U"Wo",      U"Wu",      U"Wi", U"Wr",  U"Wy", U"W.",  U"W,", U"W:",
    U"W;",      U"W-",      U"YA",      U"Ya",      U"Ye", U"Yo",  U"Yp", U"Yq",  U"Yu", U"Yv",
    U"Yi",      U"Y.",      U"Y,",      U"Y:",      U"Y;", U"Y-",  U"KO", U"Ko",  U"Ke", U"Ky",
    U"Kv",      U"Kw",      U"OA",      U"OV",      U"OW", U"OX",  U"OY", U"OT",  U"O.", U"O,",
    U"DA",      U"DV",      U"DW",      U"DY",      U"D.", U"D,",  U"QU", U"JA",  U"Ja", U"J.",
    U"J,",      U"UA",      U"U.",      U"U,",      U"XO", U"Xe",  U"Xo", U"Xy",  U"BV", U"BW",
    U"BY",      U"GT",      U"GY",      U"CA",      U"Ca", U"SA",  U"Sa", U"ZO",  U"ZZ", U"av",
    U"aw",      U"ay",      U"at",      U"ev",      U"ew", U"ey",  U"ex", U"ov",  U"ow", U"oy",
    U"ox",      U"o.",      U"o,",      U"rv",      U"ry", U"rt",  U"r.", U"r,",  U"r-", U"r:",
    U"r;",      U"ra",      U"rc",      U"rd",      U"re", U"rg",  U"ro", U"rq",  U"va", U"ve",
    U"vo",      U"v.",      U"v,",      U"wa",      U"we", U"wo",  U"w.", U"w,",  U"ya", U"ye",
    U"yo",      U"y.",      U"y,",      U"ff",      U"fi", U"fl",  U"fo", U"fa",  U"f.", U"f,",
    U"f'",      U"f\"",     U"f)",      U"ke",      U"ko", U"ky",  U"kv", U"xe",  U"xo", U"LO",
    U"11",      U"17",      U"71",      U"74",      U"77", U"41",  U"7.", U"7,",  U"1.", U"1,",
    U"'A",      U"''",      U"\"A",     U"\"\"",    U",'", U",\"", U".'", U".\"", U"(j", U"(J",
    U"\u2018A", U"\u2019s", U"\u201CA", U"A\u201D", U"AB", U"AA"};

struct KernedFont {
  const char* path;
  bool stb_reads_all;            // its kerning lies within what stb_truetype reads
  unsigned int load_options = 0; // what the extended loader needs beyond kerning
};

const KernedFont kFonts[] = {
    {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", true},
    // Lookup 0 (Hebrew, value format 5) is met first by stb_truetype, which then gives 0.
    {"/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf", false},
    {"/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf", true},
    {"/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf", true},
    // CFF outlines: the same GPOS, read from the sfnt the CFF backend keeps.
    {"/usr/share/fonts/opentype/linux-libertine/LinLibertine_R.otf", true,
     load_option::kOpenTypeCff},
};

testfont::Bytes read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return testfont::Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string utf8(const char32_t* pair) {
  std::string out;
  for (const char32_t* c = pair; *c != 0; ++c) {
    if (*c < 0x80) {
      out += char(*c);
    } else if (*c < 0x800) {
      out += char(0xC0 | *c >> 6);
      out += char(0x80 | (*c & 0x3F));
    } else {
      out += char(0xE0 | *c >> 12);
      out += char(0x80 | (*c >> 6 & 0x3F));
      out += char(0x80 | (*c & 0x3F));
    }
  }
  return out;
}

dv::vector<unsigned char> library_bytes(const testfont::Bytes& bytes) {
  return dv::vector<unsigned char>(bytes.data(), bytes.data() + bytes.size());
}

TableRecord table_record(const testfont::Bytes& bytes, const char* tag) {
  const testfont::TableLocation location = testfont::find_table(bytes, tag);
  return TableRecord{location.offset, location.length};
}

class KerningRealFont : public testing::TestWithParam<KernedFont> {
protected:
  void SetUp() override {
    bytes_ = read_file(GetParam().path);
    ASSERT_FALSE(bytes_.empty()) << GetParam().path;
    ASSERT_EQ(FT_Init_FreeType(&library_), 0);
    ASSERT_EQ(FT_New_Memory_Face(library_, bytes_.data(), FT_Long(bytes_.size()), 0, &face_), 0);
    ASSERT_EQ(FT_Select_Charmap(face_, FT_ENCODING_UNICODE), 0);
  }
  void TearDown() override {
    if (face_ != nullptr)
      FT_Done_Face(face_);
    if (library_ != nullptr)
      FT_Done_FreeType(library_);
  }
  uint16_t glyph(char32_t c) const { return uint16_t(FT_Get_Char_Index(face_, c)); }

  // FreeType's unhinted advance of `glyph` at `pixel_size`, in pixels (16.16, unrounded).
  double unhinted_advance(uint16_t glyph, int pixel_size) const {
    EXPECT_EQ(FT_Set_Pixel_Sizes(face_, 0, FT_UInt(pixel_size)), 0);
    EXPECT_EQ(FT_Load_Glyph(face_, glyph, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP), 0);
    return face_->glyph->linearHoriAdvance / 65536.0;
  }

  // The pen after laying out `text` as one line on `font`.
  static double pen_after(void* font, const std::string& text) {
    auto* handle = static_cast<FontHandle*>(font);
    handle->bitmap_cache.reserve(handle->bitmap_cache.count() + text.size());
    RenderBudget budget{render_limits::kMaxImagePixels, GlyphBudget::unlimited(), 1, 0};
    LineLayout layout;
    EXPECT_TRUE(
        layout_line(handle, first_line(text.c_str()), line_metrics(*handle), budget, layout))
        << text;
    return layout.pen;
  }

  testfont::Bytes bytes_;
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

// The library's value of every pair equals the independent reader's, in font units.
TEST_P(KerningRealFont, PairValuesMatchIndependentReading) {
  const kernref::FontKerning reference(bytes_);
  const dv::vector<unsigned char> data = library_bytes(bytes_);
  const PairKerning ours =
      read_pair_kerning(data, table_record(bytes_, "GPOS"), table_record(bytes_, "kern"));
  EXPECT_EQ(ours.subtables.size != 0, reference.from_gpos());
  int kerned = 0;
  for (const char32_t* pair : kPairs) {
    const uint16_t left = glyph(pair[0]);
    const uint16_t right = glyph(pair[1]);
    const int expected = reference.pair(left, right);
    GlyphBudget budget = GlyphBudget::unlimited();
    EXPECT_EQ(pair_kerning(data, ours, left, right, budget), expected) << utf8(pair);
    EXPECT_LT(GlyphBudget::unlimited().work - budget.work, 1000u) << utf8(pair);
    kerned += expected != 0;
  }
  EXPECT_GT(kerned, 40) << "the pair table should exercise real kerning";
}

// The pen after each pair, laid out by the library with kerning, is FreeType's unhinted
// advances of the two glyphs plus the independent reader's kerning scaled like them, to
// 1/64 pixel; the standard loader never kerns.
TEST_P(KerningRealFont, PenAfterPairIsAdvancesPlusScaledKerning) {
  const kernref::FontKerning reference(bytes_);
  for (const int pixel_size : {12, 48}) {
    const unsigned int options = GetParam().load_options;
    void* kerned = dv::dv_ttf_font_load_memory_ex(bytes_.data(), bytes_.size(), float(pixel_size),
                                                  options | load_option::kKerning);
    void* plain =
        dv::dv_ttf_font_load_memory_ex(bytes_.data(), bytes_.size(), float(pixel_size), options);
    ASSERT_NE(kerned, nullptr);
    ASSERT_NE(plain, nullptr);
    const double scale = double(pixel_size) / face_->units_per_EM;
    for (const char32_t* pair : kPairs) {
      const uint16_t left = glyph(pair[0]);
      const uint16_t right = glyph(pair[1]);
      const double advances =
          unhinted_advance(left, pixel_size) + unhinted_advance(right, pixel_size);
      const double kerning = reference.pair(left, right) * scale;
      EXPECT_NEAR(pen_after(kerned, utf8(pair)), advances + kerning, 1.0 / 64)
          << utf8(pair) << " at " << pixel_size << " px";
      EXPECT_NEAR(pen_after(plain, utf8(pair)), advances, 1.0 / 64)
          << utf8(pair) << " at " << pixel_size << " px";
    }
    dv::dv_ttf_font_free(kerned);
    dv::dv_ttf_font_free(plain);
  }
}

// stb_truetype agrees wherever the font's kerning lies within what it reads.
TEST_P(KerningRealFont, PairValuesMatchStbTruetype) {
  if (!GetParam().stb_reads_all)
    GTEST_SKIP() << "stb_truetype reads a lookup outside the kern feature first";
  stbtt_fontinfo info;
  ASSERT_NE(stbtt_InitFont(&info, bytes_.data(), 0), 0);
  const dv::vector<unsigned char> data = library_bytes(bytes_);
  const PairKerning ours =
      read_pair_kerning(data, table_record(bytes_, "GPOS"), table_record(bytes_, "kern"));
  for (const char32_t* pair : kPairs) {
    const uint16_t left = glyph(pair[0]);
    const uint16_t right = glyph(pair[1]);
    GlyphBudget budget = GlyphBudget::unlimited();
    EXPECT_EQ(pair_kerning(data, ours, left, right, budget),
              stbtt_GetGlyphKernAdvance(&info, left, right))
        << utf8(pair);
  }
}

INSTANTIATE_TEST_SUITE_P(Fonts, KerningRealFont, testing::ValuesIn(kFonts),
                         [](const testing::TestParamInfo<KernedFont>& case_info) {
                           std::string name = std::filesystem::path(case_info.param.path).stem();
                           name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
                           return name;
                         });

} // namespace
