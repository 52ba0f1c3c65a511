// Wrapping, shortening and aligning laid-out text, on a font whose glyph sizes the test
// chooses: where lines break, how wide they are and where they sit in the image.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "font/entry_points.h"
#include "font/text/image.h"
#include "font/text/laid_out_text.h"
#include "font/text/line_breaking.h"
#include "support/utf8_encode.h"
#include "unit/font/fake_font_backend.h"

using testfont::FakeBackend;
using testfont::FakeGlyph;

namespace {

// Pixel size 10 at 1000 units per em: baseline 8, line height 10. Letters are 6 pixels
// apart with 5 of ink, spaces 3, ideographs 10, the ellipsis 9.
FakeBackend* make_backend() {
  auto* backend = new FakeBackend;
  for (unsigned int letter = 'a'; letter <= 'z'; ++letter)
    backend->glyphs[letter] = FakeGlyph{0, 6, 5, 6, 6.0, 200};
  backend->glyphs[' '] = FakeGlyph{0, 0, 0, 0, 3.0, 0};
  backend->glyphs['-'] = FakeGlyph{0, 3, 4, 1, 5.0, 255};
  backend->glyphs[0x200B] = FakeGlyph{0, 0, 0, 0, 0.0, 0};
  for (unsigned int ideograph : {0x4E16u, 0x754Cu, 0x65E5u, 0x672Cu})
    backend->glyphs[ideograph] = FakeGlyph{0, 8, 9, 9, 10.0, 255};
  backend->glyphs[0x3002] = FakeGlyph{0, 2, 3, 3, 10.0, 255};
  backend->glyphs[0x2026] = FakeGlyph{0, 1, 8, 1, 9.0, 255};
  return backend;
}

struct Laid {
  LaidText text;
  std::vector<std::u32string> lines; // the drawn characters of each line
  std::vector<LaidLine> boxes;
};

class ParagraphLayout : public testing::Test {
protected:
  void SetUp() override { handle_ = testfont::make_fake_handle(make_backend(), 10.0f); }
  void TearDown() override { dv::dv_ttf_font_free(handle_); }

  Laid lay_out(const std::string& text, DvTtfLayout layout) {
    Laid laid;
    FontChain chain(handle_);
    TextScratch scratch;
    EXPECT_TRUE(lay_out_paragraphs(chain, text.c_str(), layout, nullptr, scratch, laid.text));
    for (const LaidLine& line : scratch.lines) {
      std::u32string drawn;
      for (uint32_t i = line.first_item; i < line.drawn_end; ++i)
        drawn += static_cast<char32_t>(scratch.items.data[i].codepoint);
      if (line.ellipsis)
        drawn += U'\u2026';
      laid.lines.push_back(drawn);
      laid.boxes.push_back(line);
    }
    return laid;
  }

  FontHandle* handle_ = nullptr;
};

struct WrapCase {
  std::u32string text;
  int32_t max_width;
  uint32_t flags;
  std::vector<std::u32string> lines;
};

const WrapCase kWrapCases[] = {
    {U"aaa bbb ccc", 50, 0, {U"aaa bbb", U"ccc"}},
    {U"aaa bbb ccc", 20, 0, {U"aaa", U"bbb", U"ccc"}},
    {U"aaa bbb ccc", 0, 0, {U"aaa bbb ccc"}},
    // One word wider than the line breaks between characters.
    {U"aaaaaaaaaa", 25, 0, {U"aaaa", U"aaaa", U"aa"}},
    // Trailing spaces neither count nor wrap; spaces at a wrap are dropped.
    {U"aaa      ", 20, 0, {U"aaa"}},
    {U"aaa    bbb  ", 20, 0, {U"aaa", U"bbb"}},
    {U"aa\nbbb ccc", 40, 0, {U"aa", U"bbb ccc"}},
    {U"aa\n\nb", 40, 0, {U"aa", U"", U"b"}},
    // Ideographs break anywhere, but a line never starts with closing punctuation.
    {U"\u4E16\u754C\u65E5\u672C", 25, 0, {U"\u4E16\u754C", U"\u65E5\u672C"}},
    {U"\u4E16\u754C\u3002\u65E5", 25, 0, {U"\u4E16", U"\u754C\u3002", U"\u65E5"}},
    {U"aa\u4E16\u754Cbb", 30, 0, {U"aa\u4E16", U"\u754Cbb"}},
    {U"aaa-bbb", 30, 0, {U"aaa-", U"bbb"}},
    {U"aaa\u200Bbbb", 25, 0, {U"aaa\u200B", U"bbb"}},
    // A character wider than the line stands alone on it.
    {U"\u4E16a", 5, 0, {U"\u4E16", U"a"}},
    // Shortening: the longest start that fits with the ellipsis, no trailing space kept.
    {U"aaaaaaaaaa", 30, text_layout::kEllipsis, {U"aaa\u2026"}},
    {U"aa bbbbbbbb", 30, text_layout::kEllipsis, {U"aa b\u2026"}},
    {U"aa bbbbbbbb", 26, text_layout::kEllipsis, {U"aa\u2026"}},
    {U"ab\naaaaaaaaaa", 30, text_layout::kEllipsis, {U"ab", U"aaa\u2026"}},
    {U"aaaa", 5, text_layout::kEllipsis, {U"\u2026"}},
};

TEST_F(ParagraphLayout, BreaksWhereTheRulesAllowAndNoLineIsTooWide) {
  for (const WrapCase& row : kWrapCases) {
    for (int32_t align :
         {text_layout::kAlignLeft, text_layout::kAlignCentre, text_layout::kAlignRight}) {
      const std::string text = textref::utf8(row.text);
      SCOPED_TRACE(text + " at " + std::to_string(row.max_width));
      const Laid laid = lay_out(text, DvTtfLayout{row.max_width, align, 0, row.flags});
      EXPECT_EQ(laid.lines, row.lines);
      for (size_t i = 0; i < laid.boxes.size(); ++i) {
        const LaidLine& line = laid.boxes[i];
        if (row.max_width > 0 && laid.lines[i].size() > 1) {
          EXPECT_LE(line.width, row.max_width) << "line " << i;
        }
        if (row.max_width > 0) {
          EXPECT_GE(laid.text.width, row.max_width);
        }
      }
    }
  }
}

// Widths: "aaa bbb" is 39 pixels, "ccc" 18; the image is max_width (50) wide, or the
// widest line's width without one.
TEST_F(ParagraphLayout, AlignsEachLineWithinTheWiderOfMaxWidthAndTheWidestLine) {
  struct Row {
    int32_t max_width;
    int32_t align;
    int32_t image_width;
    std::vector<int32_t> x;
  };
  const Row rows[] = {
      {50, text_layout::kAlignLeft, 50, {0, 0}},    {50, text_layout::kAlignCentre, 50, {5, 16}},
      {50, text_layout::kAlignRight, 50, {11, 32}}, {0, text_layout::kAlignCentre, 39, {0, 10}},
      {0, text_layout::kAlignRight, 39, {0, 21}},
  };
  for (const Row& row : rows) {
    const Laid laid = lay_out("aaa bbb\nccc", DvTtfLayout{row.max_width, row.align, 0, 0});
    ASSERT_EQ(laid.boxes.size(), 2u);
    EXPECT_EQ(laid.text.width, row.image_width);
    EXPECT_EQ((std::vector<int32_t>{laid.boxes[0].x, laid.boxes[1].x}), row.x);
    EXPECT_EQ(laid.boxes[0].width, 39);
    EXPECT_EQ(laid.boxes[1].width, 18);
  }
}

TEST_F(ParagraphLayout, LineGapSeparatesLinesAndNegativeGapsCountAsNone) {
  for (const auto& [gap, second_top] : {std::pair{7, 17}, std::pair{0, 10}, std::pair{-5, 10}}) {
    const Laid laid = lay_out("ab\ncd\nef", DvTtfLayout{0, 0, gap, 0});
    ASSERT_EQ(laid.boxes.size(), 3u);
    EXPECT_EQ(laid.boxes[1].top, second_top);
    EXPECT_EQ(laid.text.height, 30 + 2 * (second_top - 10));
  }
}

TEST_F(ParagraphLayout, UnknownAlignmentsAndFlagsAreRefused) {
  for (const DvTtfLayout layout : {DvTtfLayout{0, 3, 0, 0}, DvTtfLayout{0, -1, 0, 0},
                                   DvTtfLayout{0, 0, 0, 2}, DvTtfLayout{10, 0, 0, 0x80000001u}}) {
    EXPECT_EQ(dv::dv_ttf_font_render_layout(handle_, "ab", &layout, 0, 0, 0, 255), nullptr);
    int width = -7;
    EXPECT_EQ(dv::dv_ttf_font_measure_layout(handle_, "ab", &layout, &width, nullptr, nullptr), 0);
    EXPECT_EQ(width, -7);
  }
}

// Every case of the table: the measure gives the render's size, and with no layout the
// render is dv_ttf_font_render's image to the byte.
TEST_F(ParagraphLayout, MeasureMatchesRenderAndNoLayoutMatchesThePlainRender) {
  for (const WrapCase& row : kWrapCases) {
    const std::string text = textref::utf8(row.text);
    const DvTtfLayout layout{row.max_width, text_layout::kAlignCentre, 2, row.flags};
    int size[3] = {};
    ASSERT_EQ(dv::dv_ttf_font_measure_layout(handle_, text.c_str(), &layout, &size[0], &size[1],
                                             &size[2]),
              1);
    TextImage* image = dv::dv_ttf_font_render_layout(handle_, text.c_str(), &layout, 1, 2, 3, 200);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(size[0], image->width) << text;
    EXPECT_EQ(size[1], image->height) << text;
    delete[] image->pixels;
    delete image;

    TextImage* plain = dv::dv_ttf_font_render(handle_, text.c_str(), 1, 2, 3, 200);
    TextImage* laid = dv::dv_ttf_font_render_layout(handle_, text.c_str(), nullptr, 1, 2, 3, 200);
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(laid, nullptr);
    ASSERT_EQ(plain->width, laid->width);
    ASSERT_EQ(plain->height, laid->height);
    const size_t bytes = static_cast<size_t>(plain->width) * plain->height * 4;
    EXPECT_EQ(std::vector<uint8_t>(plain->pixels, plain->pixels + bytes),
              std::vector<uint8_t>(laid->pixels, laid->pixels + bytes))
        << text;
    for (TextImage* done : {plain, laid}) {
      delete[] done->pixels;
      delete done;
    }
  }
}

} // namespace
