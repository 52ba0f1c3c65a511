// Loading in the complete mode: binary eexec data after clear text, StandardEncoding
// resolved, and the rule that finds a glyph for a Unicode code point.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "font/type1/glyph.h"
#include "font/type1/unicode_names.h"
#include "support/type1_builder.h"

using testfont::Bytes;
using testfont::Charstring;
using testfont::Type1Builder;

namespace {

ByteVector to_dv(const Bytes& bytes) {
  return ByteVector(bytes.data(), bytes.data() + bytes.size());
}

// A glyph whose advance tells which one was drawn.
Bytes glyph_with_width(int width) {
  return Charstring().hsbw(0, width).rlineto(100, 0).rlineto(0, 100).closepath().endchar().bytes();
}

Type1Builder builder_with(const std::vector<std::string>& names) {
  Type1Builder builder;
  builder.charstrings.push_back({".notdef", glyph_with_width(1)});
  int width = 100;
  for (const std::string& name : names)
    builder.charstrings.push_back({name, glyph_with_width(width++)});
  return builder;
}

// The advance of the glyph drawn for `codepoint` at scale 1: which charstring was chosen.
double drawn(const Type1Font& font, unsigned codepoint) {
  return rasterize_type1_glyph(font, codepoint, 1.0).advance;
}

Type1Font load(const Bytes& bytes, Type1Mode mode = Type1Mode::kComplete) {
  Type1Font font;
  EXPECT_TRUE(load_type1_font(font, to_dv(bytes), mode));
  return font;
}

} // namespace

TEST(Type1CompleteLoading, BinaryEexecAfterClearTextLoadsOnlyInTheCompleteMode) {
  Type1Builder builder = builder_with({"A"});
  const Bytes t1 = builder.t1();
  const std::string clear = builder.clear_text();
  bool all_hex = true;
  for (size_t i = clear.size(); i < clear.size() + 4; ++i)
    all_hex = all_hex && std::isxdigit(t1[i]);
  ASSERT_FALSE(all_hex) << "the builder's eexec prefix must not look hexadecimal";

  Type1Font straight;
  EXPECT_FALSE(load_type1_font(straight, to_dv(t1)));
  Type1Font complete = load(t1);
  Type1Font from_pfb = load(builder.pfb());
  ASSERT_EQ(complete.charstrings.entries.size, from_pfb.charstrings.entries.size);
  EXPECT_EQ(drawn(complete, 'A'), 100);
  // The text form with hexadecimal data still loads as before.
  EXPECT_EQ(drawn(load(builder.pfa()), 'A'), 100);
}

TEST(Type1CompleteLoading, StandardEncodingIsResolvedOnlyInTheCompleteMode) {
  Type1Builder builder = builder_with({"A", "quoteright"});
  builder.standard_encoding = true;
  Type1Font straight = load(builder.pfb(), Type1Mode::kStraightLines);
  EXPECT_TRUE(straight.standard_encoding);
  EXPECT_EQ(straight.encoding[65].size, 0u);
  EXPECT_EQ(drawn(straight, 'A'), 1) << ".notdef, as before";

  Type1Font complete = load(builder.pfb());
  EXPECT_TRUE(complete.encoding[65] == "A");
  EXPECT_TRUE(complete.encoding[0x27] == "quoteright");
  EXPECT_TRUE(complete.encoding[0xC1] == "grave");
  EXPECT_EQ(complete.encoding[0x80].size, 0u);
}

// What the format allows and the straight-line mode refuses: a font without subroutines,
// the "-|" spelling of "RD", and a lenIV of -1 marking the charstrings as not encrypted.
TEST(Type1CompleteLoading, FormatVariantsTheStraightLineModeRefuses) {
  const Bytes triangle = glyph_with_width(321);
  struct Case {
    const char* what;
    Type1Builder builder;
  };
  std::vector<Case> cases;
  {
    Type1Builder b = builder_with({"A"});
    b.write_subrs = false;
    cases.push_back({"no Subrs", b});
  }
  {
    Type1Builder b = builder_with({"A"});
    b.rd_token = "-|";
    b.subrs = {{0, Charstring().ret().bytes()}};
    cases.push_back({"-| for RD", b});
  }
  {
    Type1Builder b = builder_with({"A"});
    b.len_iv = -1;
    b.write_len_iv = true;
    b.encrypt_charstrings = false;
    cases.push_back({"lenIV -1, plain charstrings", b});
  }
  for (Case& c : cases) {
    c.builder.charstrings.push_back({"B", triangle});
    Type1Font straight;
    const bool loaded = load_type1_font(straight, to_dv(c.builder.pfb()));
    const auto* b = straight.charstrings.find(dv::string_view("B"));
    const bool has_triangle =
        loaded && b != nullptr &&
        b != straight.charstrings.entries.data + straight.charstrings.entries.size &&
        Bytes(b->second.data, b->second.data + b->second.size) == triangle;
    EXPECT_FALSE(has_triangle) << c.what << ": the straight-line mode reads it as before";
    Type1Font complete = load(c.builder.pfb());
    EXPECT_EQ(drawn(complete, 'B'), 321) << c.what;
    EXPECT_GT(rasterize_type1_glyph(complete, 'B', 0.1).width, 0) << c.what;
  }
}

// Text is Unicode: a code point draws the glyph whose name stands for it, whatever slot the
// encoding gives that glyph or whether it has one.
TEST(Type1CompleteNaming, CodePointsFindGlyphsByName) {
  Type1Builder builder =
      builder_with({"A", "eacute", "quoteright", "uni0416", "u1F600", "a.sc", "space"});
  builder.standard_encoding = true;
  Type1Font font = load(builder.pfb());
  EXPECT_FALSE(font.unicode.symbolic);
  const std::pair<unsigned, double> cases[] = {
      {'A', 100},
      {0xE9, 101},
      {0x2019, 102},
      {0x0416, 103},
      {0x1F600, 104},
      {0x20, 106},
      {0xA0, 106}, // no-break space: the space glyph, lacking one of
                   // its own
      {'a', 1},
      {0x27, 1}, // "a.sc" stands for nothing; no "quotesingle"
      {0xC1, 1},
      {0x110000, 1}, // StandardEncoding's 0xC1 is "grave": not used for text
  };
  for (const auto& [codepoint, advance] : cases)
    EXPECT_EQ(drawn(font, codepoint), advance) << std::hex << codepoint;
}

TEST(Type1CompleteNaming, FirstValuesWinOverSecondOnesAndEarlierGlyphsOverLaterOnes) {
  // "Omega" stands for U+2126 and, second, for U+03A9; "uni03A9" for U+03A9 first.
  Type1Font font = load(builder_with({"Omega", "uni03A9", "uni2126", "space", "uni00A0"}).pfb());
  EXPECT_EQ(drawn(font, 0x03A9), 101);
  EXPECT_EQ(drawn(font, 0x2126), 100) << "Omega comes before uni2126";
  EXPECT_EQ(drawn(font, 0x00A0), 104);
}

// A font whose names mean no characters (a dingbat font) maps codes 0-255 through its own
// encoding; the few names that do mean characters still come first.
TEST(Type1CompleteNaming, SymbolicFontsMapCodesThroughTheirEncoding) {
  Type1Builder builder = builder_with({"a1", "a2", "a3", "space", "uni0041"});
  builder.encoding = {{32, "space"}, {33, "a1"}, {34, "a2"}, {65, "a3"}, {200, "a2"}};
  Type1Font font = load(builder.pfb());
  EXPECT_TRUE(font.unicode.symbolic);
  EXPECT_EQ(drawn(font, '!'), 100);
  EXPECT_EQ(drawn(font, '"'), 101);
  EXPECT_EQ(drawn(font, 200), 101);
  EXPECT_EQ(drawn(font, 'A'), 104) << "the glyph named for U+0041 first";
  EXPECT_EQ(drawn(font, ' '), 103);
  EXPECT_EQ(drawn(font, '#'), 1) << "an empty slot";
  EXPECT_EQ(drawn(font, 0x121), 1) << "past 255";
}

// A text font with its own encoding does not fall back to it: a code point without a glyph
// named for it draws ".notdef" even when the encoding names some other glyph there.
TEST(Type1CompleteNaming, TextFontsDoNotFallBackToTheirEncoding) {
  Type1Builder builder = builder_with({"A", "B", "C", "g31"});
  builder.encoding = {{65, "A"}, {66, "B"}, {67, "C"}, {68, "g31"}};
  Type1Font font = load(builder.pfb());
  EXPECT_FALSE(font.unicode.symbolic);
  EXPECT_EQ(drawn(font, 'C'), 102);
  EXPECT_EQ(drawn(font, 'D'), 1);
}

TEST(Type1CompleteNaming, SymbolicMeansFewerThanHalfOfThePrintableCodesNamedForThemselves) {
  struct Case {
    std::vector<std::pair<int, std::string>> encoding;
    bool symbolic;
  } cases[] = {
      {{{65, "A"}, {66, "a1"}}, false},              // one of two: half is enough
      {{{65, "A"}, {66, "a1"}, {67, "a2"}}, true},   // one of three
      {{{65, "A"}, {66, "missing"}}, false},         // a name without a glyph does not count
      {{{32, "a1"}, {127, "a2"}, {65, "A"}}, false}, // only 0x21-0x7E count
      {{}, false},                                   // no entries at all
  };
  for (const Case& c : cases) {
    Type1Builder builder = builder_with({"A", "a1", "a2"});
    builder.encoding = c.encoding;
    EXPECT_EQ(load(builder.pfb()).unicode.symbolic, c.symbolic) << c.encoding.size();
  }
}
