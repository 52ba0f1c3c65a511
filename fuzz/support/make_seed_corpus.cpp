// Writes the fuzzers' seed corpora: small valid inputs built by the test-side font
// builders, so the fuzzers start from well-formed fonts and mutate from there.
// Usage: fuzz_seed_corpus OUTPUT_DIR  (one subdirectory per fuzzer).
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/cff2_builder.h"
#include "support/cff_builder.h"
#include "support/gpos_builder.h"
#include "support/macho_builder.h"
#include "support/sfnt_builder.h"
#include "support/type1_builder.h"
#include "support/variation_builder.h"

namespace {

using testfont::Bytes;
namespace fs = std::filesystem;

struct Seed {
  std::string name;
  Bytes bytes;
};

Bytes text_bytes(uint8_t first, const std::string& text) {
  Bytes bytes{first};
  bytes.insert(bytes.end(), text.begin(), text.end());
  return bytes;
}

testfont::GlyphShape glyph(const Bytes& data, uint16_t advance = 600) {
  return {data, advance, 0};
}

// A curved contour: on- and off-curve points alternating, with implied on-curve points.
testfont::Contour curved_contour() {
  return {{100, 0, true},   {400, 0, false},   {500, 300, false},
          {400, 600, true}, {100, 600, false}, {0, 300, false}};
}

Bytes composite_of_glyph_one() {
  testfont::Component shifted;
  shifted.glyph = 1;
  shifted.arg1 = 50;
  shifted.arg2 = -20;
  testfont::Component scaled;
  scaled.glyph = 1;
  scaled.matrix = {0x2000, 0, 0, 0x4000};
  return testfont::composite_glyph({shifted, scaled});
}

// Glyphs of every kind: A a box (1), a curved contour (2 is space), B a composite (3).
testfont::FontParams outline_font() {
  using testfont::box;
  testfont::FontParams outlines;
  outlines.index_to_loc_format = 1;
  outlines.glyphs = {glyph(testfont::simple_glyph({box(0, 0, 500, 700)})),
                     glyph(testfont::simple_glyph({curved_contour(), box(150, 150, 250, 450)})),
                     glyph({}, 300), glyph(composite_of_glyph_one())};
  outlines.cmaps = {{3, 1, testfont::cmap_format4_for({{'A', 1}, {' ', 2}, {'B', 3}})},
                    {3, 10, testfont::cmap_format12({{0x41, 0x43, 1}, {0x1F600, 0x1F600, 3}})}};
  return outlines;
}

std::vector<Seed> truetype_seeds() {
  std::vector<Seed> seeds;
  seeds.push_back({"default", testfont::build_font({})});

  const testfont::FontParams outlines = outline_font();
  seeds.push_back({"outlines_long_loca", testfont::build_font(outlines)});

  testfont::FontParams shared_metrics = outlines;
  shared_metrics.index_to_loc_format = 0;
  shared_metrics.num_hmetrics = 2;
  shared_metrics.units_per_em = 2048;
  seeds.push_back({"shared_metrics", testfont::build_font(shared_metrics)});
  return seeds;
}

// A square drawn with every kind of path operator, through subroutines, with hints.
testfont::CffParams cff_outlines() {
  using testfont::Type2Code;
  testfont::CffParams cff;
  cff.global_subrs = {Type2Code().n(100).n(0).n(100).n(100).n(0).n(100).op(8).op(11)};
  cff.local_subrs = {Type2Code().n(-300).op(6).n(-107).op(29).op(11)};
  cff.charstrings = {Type2Code().n(500).op(14),
                     Type2Code()
                         .n(600)
                         .n(0)
                         .n(50)
                         .n(700)
                         .n(50)
                         .op(18)
                         .n(0)
                         .n(40)
                         .op(19)
                         .raw({0xC0})
                         .n(50)
                         .n(50)
                         .op(21)
                         .n(300)
                         .op(6)
                         .n(-107)
                         .op(10)
                         .n(10)
                         .n(20)
                         .n(30)
                         .n(40)
                         .n(50)
                         .n(60)
                         .n(70)
                         .n(80)
                         .n(90)
                         .n(100)
                         .n(110)
                         .n(-520)
                         .n(50)
                         .esc(35)
                         .op(14),
                     Type2Code().n(250).op(14)};
  return cff;
}

// A CFF2 font on two axes: blends in a charstring, a subroutine and a Private DICT, a
// second data set chosen by vsindex, two Font DICTs through FDSelect, and HVAR advances.
Bytes cff2_variable_font() {
  using testfont::Type2Code;
  const Bytes blended_square = Type2Code()
                                   .n(50)
                                   .n(0)
                                   .op(21)
                                   .n(400)
                                   .n(100)
                                   .n(-50)
                                   .n(1)
                                   .op(16)
                                   .n(0)
                                   .op(5)
                                   .n(0)
                                   .n(600)
                                   .op(5)
                                   .n(-400)
                                   .n(-100)
                                   .n(50)
                                   .n(1)
                                   .op(16)
                                   .n(0)
                                   .op(5);
  testfont::Cff2Params cff2;
  cff2.charstrings = {Bytes{}, blended_square, Type2Code().n(1).op(15).n(-107).op(10),
                      Type2Code().n(0).n(100).n(200).n(-30).n(2).op(16).op(21).n(-107).op(29)};
  cff2.global_subrs = {Type2Code().n(300).op(6).n(300).op(7).n(-300).op(6)};
  Bytes vsindex1 = testfont::dict_int(1);
  vsindex1.push_back(22);
  cff2.font_dicts = {
      {{}, {}},
      {{Type2Code().n(0).n(0).n(20).n(10).n(5).n(2).op(16).op(21).raw(blended_square)}, vsindex1}};
  cff2.fd_select = {0, 0, 1, 0};
  cff2.fd_select_format = 4;
  cff2.variation_store = testfont::cff2_variation_store({{1, 0}, {0, -1}}, {{0, 1}, {1, 0}});
  testfont::FontParams sfnt;
  sfnt.glyphs.resize(4);
  sfnt.extra_tables = {
      {"fvar", testfont::fvar_table({{"wght", 100, 400, 900}, {"wdth", 50, 100, 100}})},
      {"HVAR", testfont::hvar_table({{1, 0}, {0, -1}}, {{0, 0}, {100, -50}, {0, 0}, {20, 20}})}};
  return testfont::build_cff2_font(sfnt, cff2);
}

std::vector<Seed> cff_seeds() {
  using testfont::Type2Code;
  const Bytes simple = testfont::build_cff_font({}, cff_outlines());
  testfont::CffParams cid = cff_outlines();
  cid.font_dict_subrs = {cid.local_subrs, {Type2Code().op(11)}};
  cid.local_subrs.clear();
  cid.fd_select = {1, 0, 1};
  testfont::CffParams accented = cff_outlines();
  accented.charstrings.push_back(Type2Code().n(100).n(50).n(65).n(66).op(14));
  accented.charset_sids = {34, 35, 36};
  return {{"cff", simple},
          {"cid_keyed", testfont::build_cff_font({}, cid)},
          {"accented", testfont::build_cff_font({}, accented)},
          {"cff2", cff2_variable_font()},
          {"collection", testfont::collection_file({simple, testfont::build_font({})})}};
}

std::vector<Seed> format_seeds() {
  return {{"plain", text_bytes(16, "hello %s world")},
          {"widths", text_bytes(5, "%-8s|%08.3s|%*s|%.*s")},
          {"numbers", text_bytes(64, "%d %i %u %x %X %o %c %p %%")},
          {"floats", text_bytes(200, "%f %.2e %g %10.4G %a")},
          {"lengths", text_bytes(1, "%ld %lld %hhd %zu %jd %td")}};
}

std::vector<Seed> number_parse_seeds() {
  return {
      {"decimal", text_bytes(10, "  -12345xyz")}, {"hex", text_bytes(16, "0x7fffFFFFffffFFFF1")},
      {"auto_base", text_bytes(0, "0777")},       {"base36", text_bytes(36, "+zz9")},
      {"double", text_bytes(10, "-1.25e-308")},   {"special", text_bytes(10, "InFinity nan(0x1)")},
      {"hex_float", text_bytes(10, "0x1.8p+3")}};
}

Bytes math_input(double x, double y, int32_t n) {
  Bytes bytes(20);
  std::memcpy(bytes.data(), &x, 8);
  std::memcpy(bytes.data() + 8, &y, 8);
  std::memcpy(bytes.data() + 16, &n, 4);
  return bytes;
}

std::vector<Seed> math_seeds() {
  return {{"ordinary", math_input(2.5, -0.75, 3)},
          {"large", math_input(1e300, 1e-300, 1100)},
          {"negative_shift", math_input(-9.5e18, 3.0, -1)},
          {"zero", math_input(0.0, -0.0, 64)}};
}

testfont::Type1Builder type1_font() {
  testfont::Type1Builder font;
  font.encoding = {{65, "A"}, {66, "B"}, {32, "space"}};
  font.subrs = {{0, testfont::Charstring().rlineto(0, 100).ret().bytes()}};
  font.charstrings = {{".notdef", testfont::Charstring().hsbw(0, 500).endchar().bytes()},
                      {"A", testfont::Charstring()
                                .hsbw(20, 600)
                                .rmoveto(0, 0)
                                .rlineto(500, 0)
                                .rlineto(0, 700)
                                .hlineto(-500)
                                .closepath()
                                .endchar()
                                .bytes()},
                      {"B", testfont::Charstring()
                                .hsbw(0, 550)
                                .rmoveto(50, 50)
                                .callsubr(0)
                                .hlineto(300)
                                .vlineto(-100)
                                .closepath()
                                .endchar()
                                .bytes()},
                      {"space", testfont::Charstring().hsbw(0, 250).endchar().bytes()}};
  return font;
}

// Every operator of the complete mode: curves, flex and hint replacement through the
// standard subroutines 0-3, seac, div and the hint operators, on StandardEncoding.
testfont::Type1Builder type1_complete_font() {
  using testfont::Charstring;
  testfont::Type1Builder font;
  font.standard_encoding = true;
  font.subrs = {{0, Charstring().callothersubr(3, 0).pop().pop().esc(33).ret().bytes()},
                {1, Charstring().callothersubr(0, 1).ret().bytes()},
                {2, Charstring().callothersubr(0, 2).ret().bytes()},
                {3, Charstring().ret().bytes()},
                {4, Charstring().num(10).num(20).op(1).ret().bytes()}};
  Charstring flex;
  flex.hsbw(30, 600).rmoveto(0, 0).rlineto(100, 0).callsubr(1);
  for (int i = 0; i < 7; ++i)
    flex.rmoveto(20, i % 2 == 0 ? 5 : -5).callsubr(2);
  flex.num(50).num(240).num(5).callsubr(0).num(4).callothersubr(1, 3).pop().callsubr(4);
  flex.rrcurveto(0, 100, -50, 50, -100, 0).num(30).num(40).num(50).num(60).op(30);
  flex.num(1000).num(4).esc(12).num(0).op(5).esc(0).closepath().endchar();
  font.charstrings = {
      {".notdef", Charstring().hsbw(0, 500).endchar().bytes()},
      {"A", flex.bytes()},
      {"grave", Charstring()
                    .hsbw(10, 300)
                    .rmoveto(0, 500)
                    .rlineto(50, 100)
                    .hlineto(20)
                    .closepath()
                    .endchar()
                    .bytes()},
      {"Agrave",
       Charstring().hsbw(30, 600).num(10).num(200).num(150).num(65).num(193).esc(6).bytes()},
      {"uni0416", Charstring()
                      .hsbw(0, 500)
                      .num(1)
                      .num(2)
                      .num(3)
                      .num(4)
                      .num(5)
                      .num(6)
                      .esc(1)
                      .rlineto(100, 100)
                      .hlineto(-100)
                      .endchar()
                      .bytes()},
      {"space", Charstring().hsbw(0, 250).endchar().bytes()}};
  return font;
}

std::vector<Seed> type1_seeds() {
  testfont::Type1Builder font = type1_font();
  std::vector<Seed> seeds = {{"pfb", font.pfb()}, {"pfa", font.pfa()}};
  font.len_iv = 0;
  font.write_len_iv = true;
  font.subrs_after_charstrings = true;
  seeds.push_back({"pfb_len_iv_0", font.pfb()});
  const testfont::Type1Builder complete = type1_complete_font();
  seeds.push_back({"complete_pfb", complete.pfb()});
  seeds.push_back({"complete_pfa", complete.pfa()});
  seeds.push_back({"complete_t1", complete.t1()});
  return seeds;
}

std::vector<Seed> macho_seeds() {
  machotest::Parts no_fixups = machotest::default_parts();
  no_fixups.bind = no_fixups.lazy_bind = no_fixups.weak_bind = {};
  return {{"dylib", machotest::build().bytes},
          {"dylib_no_binds", machotest::build(no_fixups).bytes}};
}

// Render inputs: two pixel-size selectors, the text's length, the text, then the font.
Bytes render_input(uint8_t first_size, uint8_t second_size, const std::string& text,
                   const Bytes& font) {
  Bytes bytes{first_size, second_size, static_cast<uint8_t>(text.size()),
              static_cast<uint8_t>(text.size() >> 8)};
  bytes.insert(bytes.end(), text.begin(), text.end());
  bytes.insert(bytes.end(), font.begin(), font.end());
  return bytes;
}

std::vector<Seed> render_seeds() {
  const Bytes truetype = truetype_seeds()[1].bytes;
  testfont::FontParams kerned = outline_font();
  kerned.extra_tables = {
      {"GPOS",
       testfont::gpos_table({{{testfont::pair_pos_glyphs({{1, {{3, -200}}}, {3, {{1, -150}}}}),
                               testfont::pair_pos_classes({1}, {}, {}, {{-30}})}}},
                            {0})},
      {"kern", testfont::kern_table({{{{1, 3, -40}}}})}};
  const testfont::Type1Builder type1 = type1_font();
  return {
      {"truetype_lines", render_input(2, 5, "AB A\nBA\r\n\xF0\x9F\x98\x80", truetype)},
      {"truetype_kerned", render_input(0x80 | 2, 5, "ABBA AB\nBA A", testfont::build_font(kerned))},
      {"truetype_huge", render_input(9, 0, "ABBA", truetype)},
      {"pfb", render_input(3, 8, "AB\nB A", type1.pfb())},
      {"pfa_invalid_utf8", render_input(4, 1,
                                        "A\xC3 \xFF\xE2\x82"
                                        "B",
                                        type1.pfa())}};
}

// Variation inputs: an instance (four axis values, two bytes each), then the font.
Bytes variation_input(const Bytes& instance, const Bytes& font) {
  Bytes bytes = instance;
  bytes.insert(bytes.end(), font.begin(), font.end());
  return bytes;
}

// The outline font made variable on two axes: point, intermediate and composite tuples,
// avar, HVAR and MVAR; a CFF2 font; and a font whose character maps only the extended
// loaders read.
std::vector<Seed> variation_seeds() {
  testfont::FontParams params = outline_font();
  const testfont::Tuple wider{
      {1, 0}, {}, {}, {}, {0, 0, 200, 200, 0, 200, 0, 0}, std::vector<int16_t>(8)};
  const testfont::Tuple listed{{0, -1}, {}, {}, {0, 2, 5}, {0, -100, 40}, {0, 0, 30}};
  const testfont::Tuple between{
      {0.5, 0}, {0, 0}, {1, 0}, {}, std::vector<int16_t>(8), {0, 100, 100, 0, 0, 0, 0, 0}};
  const testfont::Tuple moved{{1, 0}, {}, {}, {}, {100, 0, 0, 0, 0, 0}, std::vector<int16_t>(6)};
  params.extra_tables = {
      {"fvar", testfont::fvar_table({{"wght", 100, 400, 900}, {"wdth", 50, 100, 100}},
                                    {{258, {700, 100}}})},
      {"avar", testfont::avar_table({{{-1, -1}, {0, 0}, {0.5, 0.25}, {1, 1}}, {}})},
      {"gvar", testfont::gvar_table(2, 4, {{1, {wider, listed}}, {2, {between}}, {3, {moved}}})},
      {"HVAR", testfont::hvar_table({{1, 0}, {0, -1}}, {{0, 0}, {30, -20}, {5, 5}, {0, 0}})},
      {"MVAR", testfont::mvar_table({{1, 0}}, {{"hasc", {100}}, {"hlgp", {-50}}})}};
  testfont::FontParams maps;
  maps.cmaps = {{1, 0, testfont::cmap_format0({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                               0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0,
                                               0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                               0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1})},
                {3, 10, testfont::cmap_format13({{0x4E00, 0x9FFF, 1}})},
                {0, 5, testfont::cmap_format14({{0xFE00, {{0x4E00, 3}}, {{0x41, 1}}}})}};
  const Bytes font = testfont::build_font(params);
  return {{"default_instance", variation_input(Bytes(8, 0x80), font)},
          {"heavy_narrow", variation_input({0xFF, 0xFF, 0, 0, 0, 0, 0, 0}, font)},
          {"between", variation_input({0x90, 0, 0x60, 0, 0, 0, 0, 0}, font)},
          {"cff2", variation_input({0xC0, 0, 0x40, 0, 0, 0, 0, 0}, cff2_variable_font())},
          {"character_maps", variation_input(Bytes(8, 0), testfont::build_font(maps))}};
}

// Kerning inputs: the GPOS table's length in two bytes, the GPOS table, the kern table.
Bytes kerning_input(const Bytes& gpos, const Bytes& kern) {
  Bytes bytes{static_cast<uint8_t>(gpos.size() >> 8), static_cast<uint8_t>(gpos.size())};
  bytes.insert(bytes.end(), gpos.begin(), gpos.end());
  bytes.insert(bytes.end(), kern.begin(), kern.end());
  return bytes;
}

std::vector<Seed> kerning_seeds() {
  const Bytes glyphs =
      testfont::pair_pos_glyphs({{1, {{2, -80}, {3, -60}}}, {5, {{4, -120}}}}, {2, 1, true, true});
  const Bytes classes =
      testfont::pair_pos_classes({1, 5}, {{1, 1}, {5, 2}}, {{2, 1}, {4, 2}},
                                 {{0, 0, 0}, {0, -70, -5}, {0, -15, -110}}, {1, 1, false, false});
  const Bytes kern = testfont::kern_table({{{{1, 2, -40}, {5, 4, -90}}}, {{{1, 2, 3}}, 1 | 8}});
  return {{"glyph_and_class_pairs",
           kerning_input(testfont::gpos_table({{{glyphs, classes}}, {{classes}}}, {1, 0}), {})},
          {"extension", kerning_input(testfont::gpos_table({{{classes, glyphs}, true}}, {0}), {})},
          {"legacy", kerning_input({}, kern)},
          {"gpos_without_kerning_and_legacy",
           kerning_input(testfont::gpos_table({{{glyphs}}}, {}, "DFLT"), kern)}};
}

// Laid-out text inputs: the header of fuzz/layout_fuzzer.cpp, the text, then the fonts
// (each but the last after its 3-byte length).
Bytes layout_input(const Bytes& header, const std::string& text, const std::vector<Bytes>& fonts) {
  Bytes bytes = header;
  bytes.push_back(static_cast<uint8_t>(text.size()));
  bytes.push_back(static_cast<uint8_t>(text.size() >> 8));
  bytes.insert(bytes.end(), text.begin(), text.end());
  for (size_t i = 0; i < fonts.size(); ++i) {
    if (i + 1 < fonts.size()) {
      const size_t length = fonts[i].size();
      bytes.insert(bytes.end(), {static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
                                 static_cast<uint8_t>(length >> 16)});
    }
    bytes.insert(bytes.end(), fonts[i].begin(), fonts[i].end());
  }
  return bytes;
}

std::vector<Seed> layout_seeds() {
  const Bytes latin = testfont::build_font(outline_font());
  // A fallback with taller lines that maps what the main font lacks: B, a hyphen and
  // ideographs.
  testfont::FontParams ideographs = outline_font();
  ideographs.ascender = 1100;
  ideographs.descender = -400;
  ideographs.cmaps = {
      {3, 1,
       testfont::cmap_format4_for(
           {{0x20, 2}, {0x2D, 3}, {0x42, 1}, {0x4E00, 3}, {0x4E01, 1}, {0x2026, 1}})}};
  const Bytes cjk = testfont::build_font(ideographs);
  // Bytes 0-12: size, fonts/format/order, width (2), align, gap, flags, x (2), y (2), w, h.
  return {
      {"wrapped_centred", layout_input({3, 1 | 1 << 2, 40, 0, 2, 3, 0, 2, 0, 1, 0, 40, 30},
                                       "AB A-B \xE4\xB8\x80\xE4\xB8\x81"
                                       "AAAA\nB  A",
                                       {latin, cjk})},
      {"ellipsis_right",
       layout_input({0x80 | 4, 2 | 2 << 2 | 0x10, 30, 0, 3, 0, 1, 0xFB, 0xFF, 3, 0, 20, 20},
                    "AAAA BBBB \xE4\xB8\x80\xE4\xB8\x80", {latin, cjk, latin})},
      {"rgba_clipped", layout_input({2, 1 | 3 << 2, 0, 0, 1, 0, 0, 0xF0, 0xFF, 0xF8, 0xFF, 8, 8},
                                    "A\xE4\xB8\x80\r\nB", {cjk, latin})},
      {"one_font_narrow",
       layout_input({5, 0 | 1 << 2, 1, 0, 1, 0, 0, 0, 0, 0, 0, 5, 5}, "AAA AAA", {latin})}};
}

bool write_seeds(const fs::path& directory, const std::vector<Seed>& seeds) {
  fs::create_directories(directory);
  for (const Seed& seed : seeds) {
    std::ofstream out(directory / seed.name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(seed.bytes.data()),
              static_cast<std::streamsize>(seed.bytes.size()));
    if (!out)
      return false;
  }
  return true;
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  const fs::path root = argv[1];
  const bool ok = write_seeds(root / "truetype_load_fuzzer", truetype_seeds()) &&
                  write_seeds(root / "truetype_glyph_fuzzer", truetype_seeds()) &&
                  write_seeds(root / "format_fuzzer", format_seeds()) &&
                  write_seeds(root / "number_parse_fuzzer", number_parse_seeds()) &&
                  write_seeds(root / "math_fuzzer", math_seeds()) &&
                  write_seeds(root / "type1_fuzzer", type1_seeds()) &&
                  write_seeds(root / "cff_fuzzer", cff_seeds()) &&
                  write_seeds(root / "macho_loader_fuzzer", macho_seeds()) &&
                  write_seeds(root / "render_fuzzer", render_seeds()) &&
                  write_seeds(root / "kerning_fuzzer", kerning_seeds()) &&
                  write_seeds(root / "layout_fuzzer", layout_seeds()) &&
                  write_seeds(root / "variation_fuzzer", variation_seeds());
  if (!ok) {
    std::fprintf(stderr, "cannot write the seed corpus under %s\n", argv[1]);
    return 1;
  }
  return 0;
}
