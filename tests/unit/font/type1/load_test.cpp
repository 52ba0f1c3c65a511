#include <gtest/gtest.h>

#include <string>

#include "font/type1/eexec.h"
#include "font/type1/font.h"
#include "font/type1/token_scan.h"
#include "support/type1_builder.h"

using testfont::Bytes;
using testfont::Charstring;
using testfont::Type1Builder;

namespace {

ByteVector to_dv(const Bytes& bytes) {
  return ByteVector(bytes.data(), bytes.data() + bytes.size());
}

ByteVector to_dv(const std::string& text) {
  auto* p = reinterpret_cast<const unsigned char*>(text.data());
  return ByteVector(p, p + text.size());
}

Bytes from_dv(ByteView bytes) {
  return Bytes(bytes.data, bytes.data + bytes.size);
}

// The charstring cipher over a whole entry, as the loader runs it on each.
Bytes decrypt_charstring(const Bytes& cipher, int len_iv) {
  Bytes plain(decrypted_entry_size(cipher.size(), len_iv));
  decrypt_entry(to_dv(cipher), 0, cipher.size(), len_iv, plain.data());
  return plain;
}

std::string name_at(const Type1Font& font, int code) {
  const dv::string& name = font.encoding[code];
  return std::string(name.data ? name.data : "", name.size);
}

const ByteView* charstring(Type1Font& font, const char* name) {
  auto* found = font.charstrings.find(dv::string_view(name));
  return found == font.charstrings.entries.data + font.charstrings.entries.size ? nullptr
                                                                                : &found->second;
}

Type1Builder simple_font() {
  Type1Builder b;
  b.encoding = {{65, "A"}};
  b.subrs = {{0, Charstring().ret().bytes()}};
  b.charstrings = {{".notdef", Charstring().hsbw(0, 250).endchar().bytes()},
                   {"A", Charstring().hsbw(50, 500).rmoveto(100, 100).rlineto(200, 0).bytes()}};
  return b;
}

bool load(const Bytes& bytes, Type1Font& font) {
  return load_type1_font(font, to_dv(bytes));
}

bool load(const Bytes& bytes) {
  Type1Font font;
  return load(bytes, font);
}

Bytes segment_font(std::initializer_list<uint8_t> types) {
  Type1Builder b = simple_font();
  std::string clear = b.clear_text();
  std::string tail = testfont::trailer();
  Bytes out;
  for (uint8_t type : types) {
    if (type == 1)
      testfont::append_pfb_segment(out, 1, Bytes(clear.begin(), clear.end()));
    else if (type == 2)
      testfont::append_pfb_segment(out, 2, testfont::eexec_encrypt(b.private_part()));
    else if (type == 3)
      out.insert(out.end(), {0x80, 3});
    else
      testfont::append_pfb_segment(out, type, Bytes(tail.begin(), tail.end()));
  }
  return out;
}

} // namespace

TEST(Type1Load, BinaryFormSegmentWalk) {
  EXPECT_TRUE(load(segment_font({1, 2, 1, 3})));
  EXPECT_TRUE(load(segment_font({1, 7, 2, 3}))) << "a segment of an unknown type is skipped";
  EXPECT_FALSE(load(segment_font({1, 1, 3}))) << "no encrypted segment";
  EXPECT_FALSE(load(segment_font({2, 3}))) << "no clear text";

  Bytes cut = segment_font({1, 2});
  cut.insert(cut.end(), {0x80, 1, 0x10, 0}); // a header cut short ends the walk
  EXPECT_TRUE(load(cut));

  Bytes marker_only = segment_font({1, 2});
  marker_only.insert(marker_only.end(), {0x80, 3});
  EXPECT_TRUE(load(marker_only));

  Bytes marker_with_length = segment_font({1, 2});
  marker_with_length.insert(marker_with_length.end(), {0x80, 3, 0x10, 0, 0, 0});
  EXPECT_FALSE(load(marker_with_length)) << "the end marker's length runs past the end";

  // The encrypted segment, the last one, claims one byte more than the file holds.
  Bytes too_long = segment_font({1, 2});
  size_t second = 6 + (too_long[2] | too_long[3] << 8 | too_long[4] << 16);
  ASSERT_EQ(too_long[second + 1], 2);
  too_long[second + 2] += 1;
  EXPECT_FALSE(load(too_long));
}

TEST(Type1Load, TextFormLineBreaksAndHexDigits) {
  Type1Builder b = simple_font();
  EXPECT_TRUE(load(b.pfa()));
  EXPECT_TRUE(load(b.pfa(64, "\r\n")));
  EXPECT_TRUE(load(b.pfa(64, "\n\n\r\n\n")));
  EXPECT_TRUE(load(b.pfa(7))) << "digits split by line breaks at odd places";

  // Spaces and stray bytes between digits are ignored; an odd digit at the end is dropped.
  std::string clear = b.clear_text();
  Bytes cipher = testfont::eexec_encrypt(b.private_part());
  std::string spaced = clear;
  static const char kDigits[] = "0123456789ABCDEF";
  for (uint8_t c : cipher) {
    spaced += kDigits[c >> 4];
    spaced += ' ';
    spaced += kDigits[c & 15];
    spaced += "\t";
  }
  spaced += "F\ncleartomark\n";
  Type1Font font;
  ASSERT_TRUE(load_type1_font(font, to_dv(spaced)));
  EXPECT_NE(charstring(font, "A"), nullptr);

  EXPECT_FALSE(load(Bytes{'%', '!', 'x'})) << "no currentfile eexec";
  std::string no_digits = clear + "\nzz\ncleartomark\n";
  EXPECT_FALSE(load_type1_font(font, to_dv(no_digits)));
}

TEST(Type1Load, FontBoundingBox) {
  struct Case {
    const char* line;
    double ascent;
    double descent;
  } cases[] = {
      {"/FontBBox {-50 -250 1050 900} readonly def\n", 900, 250},
      {"/FontBBox [0 100 500 700] readonly def\n", 700, 0},
      {"/FontBBox {0 -100 500} readonly def\n", 800, 200},
      {"/FontBBox {0 -100 500 -20} readonly def\n", 0, 100},
      {"/FontBBox{ -1.5e1 -2.5E1 10 1e2}def\n", 100, 25},
      {"", 800, 200},
  };
  for (const Case& c : cases) {
    Type1Builder b = simple_font();
    b.font_bbox = c.line;
    Type1Font font;
    ASSERT_TRUE(load(b.pfb(), font)) << c.line;
    EXPECT_EQ(font.ascent, c.ascent) << c.line;
    EXPECT_EQ(font.descent, c.descent) << c.line;
    EXPECT_EQ(font.units_per_em, 1000.0);
  }
}

TEST(Type1Load, EncodingEntries) {
  Type1Builder b = simple_font();
  b.encoding = {{65, "A"}, {300, "Big"}, {-1, "Neg"}, {66, "B"}, {66, "C"}, {255, "last"}};
  b.header += "dup 67 Bad put dup 68 /D\n";
  Type1Font font;
  ASSERT_TRUE(load(b.pfb(), font));
  EXPECT_EQ(name_at(font, 65), "A");
  EXPECT_EQ(name_at(font, 66), "C") << "a later entry for a code replaces an earlier one";
  EXPECT_EQ(name_at(font, 67), "") << "no slash: rejected";
  EXPECT_EQ(name_at(font, 68), "D") << "a name ending at the next white space";
  EXPECT_EQ(name_at(font, 255), "last");
  for (int code : {0, 44, 254})
    EXPECT_EQ(name_at(font, code), "");
}

TEST(Type1Load, LenIVControlsTheDroppedPrefix) {
  Bytes plain = Charstring().hsbw(0, 500).endchar().bytes();
  for (int len_iv : {-1, 0, 4, 2}) {
    Type1Builder b = simple_font();
    b.len_iv = len_iv;
    b.write_len_iv = true;
    b.charstrings = {{"A", plain}};
    Type1Font font;
    ASSERT_TRUE(load(b.pfb(), font)) << len_iv;
    EXPECT_EQ(font.len_iv, len_iv);
    const ByteView* a = charstring(font, "A");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(from_dv(*a), plain) << "lenIV " << len_iv;
  }
}

TEST(Type1Load, DecryptCharstring) {
  Bytes plain{1, 2, 3, 4, 5, 6};
  Bytes cipher = testfont::encrypt_charstring(plain, 0);
  EXPECT_EQ(decrypt_charstring(cipher, 0), plain);
  EXPECT_EQ(decrypt_charstring(cipher, -7), plain) << "negative: nothing dropped";
  EXPECT_EQ(decrypt_charstring(cipher, 2), (Bytes{3, 4, 5, 6}));
  EXPECT_EQ(decrypt_charstring(cipher, 6).size(), 0u);
  EXPECT_EQ(decrypt_charstring(cipher, 100).size(), 0u);

  Type1Builder b = simple_font();
  b.charstrings.push_back({"short", Bytes{}}); // 4 bytes encrypted with lenIV 4
  Type1Font font;
  ASSERT_TRUE(load(b.pfb(), font));
  ASSERT_NE(charstring(font, "short"), nullptr);
  EXPECT_EQ(charstring(font, "short")->size, 0u);
}

TEST(Type1Load, SparseSubroutines) {
  Type1Builder b = simple_font();
  b.subrs = {{0, Bytes{11}}, {5, Bytes{1, 11}}, {-3, Bytes{9, 11}}};
  Type1Font font;
  ASSERT_TRUE(load(b.pfb(), font));
  ASSERT_EQ(font.subrs.size, 6u);
  EXPECT_EQ(from_dv(font.subrs.data[0]), Bytes{11});
  for (int i = 1; i < 5; ++i)
    EXPECT_EQ(font.subrs.data[i].size, 0u);
  EXPECT_EQ(from_dv(font.subrs.data[5]), (Bytes{1, 11}));
}

// A subroutine index larger than the private part could ever fill would size the table
// to billions of entries; such an entry is ignored.
TEST(Type1Load, HugeSubroutineIndexIsIgnored) {
  Type1Builder b = simple_font();
  b.subrs = {{0, Bytes{11}}, {2000000000, Bytes{11}}};
  Type1Font font;
  ASSERT_TRUE(load(b.pfb(), font));
  EXPECT_EQ(font.subrs.size, 1u);
}

// A number below the private part's size but far beyond the entries present would size
// the table to that many slots; the table stays proportional to the entries present.
TEST(Type1Load, SubroutineTableStaysProportionalToItsEntries) {
  Type1Builder b = simple_font();
  const Bytes long_subroutine(300000, 11); // makes the private part larger than the numbers
  b.subrs = {{0, long_subroutine},
             {1, Bytes{11}},
             {19, Bytes{2, 11}},
             {20, Bytes{3, 11}},
             {200000, Bytes{11}}};
  Type1Font font;
  ASSERT_TRUE(load(b.pfb(), font));
  // Five entries allow numbers below 2 * 5 + 16 = 26: 19 and 20 stay, 200000 is left out.
  ASSERT_EQ(font.subrs.size, 21u);
  EXPECT_LE(font.subrs.capacity, 32u);
  EXPECT_EQ(font.subrs.data[0].size, long_subroutine.size());
  EXPECT_EQ(from_dv(font.subrs.data[19]), (Bytes{2, 11}));
  EXPECT_EQ(from_dv(font.subrs.data[20]), (Bytes{3, 11}));
}

TEST(Type1Load, RdSeparator) {
  Bytes plain = Charstring().hsbw(0, 500).endchar().bytes();
  for (const char* separator : {"", " "}) {
    Type1Builder b = simple_font();
    b.rd_separator = separator;
    b.charstrings = {{"A", plain}};
    b.len_iv = 0;
    b.write_len_iv = true;
    Type1Font font;
    ASSERT_TRUE(load(b.pfb(), font)) << '"' << separator << '"';
    ASSERT_NE(charstring(font, "A"), nullptr);
    EXPECT_EQ(from_dv(*charstring(font, "A")), plain);
  }
  // With two spaces the second one is the first data byte, and the last byte is cut off.
  Type1Builder b = simple_font();
  b.rd_separator = "  ";
  b.charstrings = {{"A", plain}};
  b.len_iv = 0;
  b.write_len_iv = true;
  Type1Font font;
  ASSERT_TRUE(load(b.pfb(), font));
  Bytes expected = decrypt_charstring(Bytes{' '}, 0); // the space decrypted as the first byte
  Bytes stored = from_dv(*charstring(font, "A"));
  ASSERT_EQ(stored.size(), plain.size());
  EXPECT_EQ(stored[0], expected[0]);
}

TEST(Type1Load, TableOrderAndTruncation) {
  Type1Builder no_subrs = simple_font();
  no_subrs.write_subrs = false;
  EXPECT_FALSE(load(no_subrs.pfb()));

  Type1Builder reversed = simple_font();
  reversed.subrs_after_charstrings = true;
  EXPECT_FALSE(load(reversed.pfb()));

  Type1Builder none = simple_font();
  none.charstrings.clear();
  EXPECT_FALSE(load(none.pfb())) << "no charstring stored";

  // A charstring announcing more bytes than remain fails the load.
  Type1Builder b = simple_font();
  std::string priv = b.private_part();
  size_t rd = priv.rfind(" RD ");
  size_t length_start = priv.rfind(' ', rd - 1) + 1;
  priv.replace(length_start, rd - length_start, "99999");
  Bytes out;
  std::string clear = b.clear_text();
  testfont::append_pfb_segment(out, 1, Bytes(clear.begin(), clear.end()));
  testfont::append_pfb_segment(out, 2, testfont::eexec_encrypt(priv));
  EXPECT_FALSE(load(out));

  // A private part of four bytes or fewer fails.
  Bytes tiny;
  testfont::append_pfb_segment(tiny, 1, Bytes(clear.begin(), clear.end()));
  testfont::append_pfb_segment(tiny, 2, Bytes{1, 2, 3, 4});
  EXPECT_FALSE(load(tiny));
}

TEST(Type1Load, EveryTruncationFailsOrLoadsCleanly) {
  Bytes pfb = simple_font().pfb();
  Bytes pfa = simple_font().pfa();
  for (const Bytes* whole : {&pfb, &pfa}) {
    for (size_t length = 0; length <= whole->size(); ++length) {
      Type1Font font;
      load(Bytes(whole->begin(), whole->begin() + length), font);
    }
  }
}

TEST(Type1Scan, FindBytes) {
  ByteVector data = to_dv(std::string("abcabc"));
  EXPECT_EQ(find_bytes(data, "bc", 0), 1u);
  EXPECT_EQ(find_bytes(data, "bc", 2), 4u);
  EXPECT_EQ(find_bytes(data, "abc", 3), 3u);
  EXPECT_EQ(find_bytes(data, "abcd", 3), kNotFound) << "longer than what remains";
  EXPECT_EQ(find_bytes(data, "", 0), kNotFound);
  EXPECT_EQ(find_bytes(data, nullptr, 0), kNotFound);
  EXPECT_EQ(find_bytes(data, "a", 6), kNotFound);
  EXPECT_EQ(find_bytes(ByteVector(), "a", 0), kNotFound);
}

TEST(Type1Scan, ParseAsciiInt) {
  struct Case {
    const char* text;
    bool ok;
    int value;
    unsigned long end;
  } cases[] = {
      {"  42 ", true, 42, 4}, {"-17x", true, -17, 3}, {"+5", true, 5, 2},
      {"-", false, 0, 1},     {"- 5", false, 0, 1},   {"", false, 0, 0},
      {"  ", false, 0, 2},    {"x1", false, 0, 0},    {"4294967297", true, 1, 10},
  };
  for (const Case& c : cases) {
    ByteVector data = to_dv(std::string(c.text));
    unsigned long position = 0;
    int value = 0;
    EXPECT_EQ(parse_ascii_int(data, position, value), c.ok) << c.text;
    EXPECT_EQ(position, c.end) << c.text;
    if (c.ok)
      EXPECT_EQ(value, c.value) << c.text;
  }
}

TEST(Type1Scan, ParseAsciiDoubleStopsAtTheEndOfTheData) {
  struct Case {
    const char* text;
    size_t length;
    bool ok;
    double value;
    unsigned long end;
  } cases[] = {
      {" 2.5e2 ", 7, true, 250, 6}, {"1e", 2, true, 1, 1},      {".", 1, false, 0, 0},
      {"-0.5]", 5, true, -0.5, 4},  {"12345", 3, true, 123, 3}, {"  ", 2, false, -1, 2},
  };
  for (const Case& c : cases) {
    auto* p = reinterpret_cast<const unsigned char*>(c.text);
    ByteVector data(p, p + c.length);
    unsigned long position = 0;
    double value = -1;
    EXPECT_EQ(parse_ascii_double(data, position, value), c.ok) << c.text;
    EXPECT_EQ(position, c.end) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
}
