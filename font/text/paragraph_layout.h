// Laying out a text through a font chain into lines: explicit line feeds, wrapping at
// break opportunities or shortening with an ellipsis, one baseline per line, alignment
// and the gap between lines. The laid-out renders, measures, draws and caret positions
// all read the result, so they agree on every position.
#pragma once
#include <stdint.h>

#include "containers/vector.h"
#include "font/text/font_chain.h"
#include "font/text/layout.h"
#include "font/text/layout_record.h"

// One code point of the text (carriage returns are left out, as renders drop them).
struct TextItem {
  unsigned int codepoint;
  uint32_t byte;            // where its sequence starts in the text
  uint32_t font;            // its font's place in the chain
  const GlyphBitmap* glyph; // null for a line feed
};

// A laid-out line. Items [first_item, drawn_end) are drawn, followed by the ellipsis when
// `ellipsis`; the items up to next_item (spaces dropped at a wrap, the characters an
// ellipsis hides, the line feed) belong to the line without being drawn.
struct LaidLine {
  uint32_t first_item;
  uint32_t drawn_end;
  uint32_t next_item;
  uint32_t first_glyph; // its glyphs in TextScratch::placed, positioned in the line box
  uint32_t glyph_end;
  bool ellipsis;
  int32_t width;
  int32_t height;
  int32_t baseline; // row in the line box
  int32_t shift_x;  // columns the line moved right to keep ink left of its pen inside
  int32_t x;        // the line box's place in the image
  int32_t top;
};

// Storage a handle keeps between laid-out calls, so that a text laid out before is laid
// out again without asking the heap for anything.
struct TextScratch {
  dv::vector<TextItem> items;
  TextItem ellipsis{};
  dv::vector<PlacedGlyph> placed;
  dv::vector<LaidLine> lines;
  dv::vector<unsigned char> strip; // coverage of a line being drawn
};

// The handle's scratch, made on first use.
TextScratch& text_scratch_of(FontHandle& font);

// Gives back scratch storage that a very long text left larger than everyday texts need.
void trim_text_scratch(TextScratch& scratch);

// The pen across one line: its position, the columns its ink reaches, and the previous
// glyph for kerning.
struct LinePen {
  double pen = 0.0;
  bool inked = false;
  int64_t ink_left = 0;
  int64_t ink_right = 0;
  uint32_t previous_font = UINT32_MAX;
  unsigned int previous = 0;
  uint32_t fonts = 0; // a bit for each chain place whose glyphs the line holds

  // Places `item`: kerning first when the previous item came from the same kerning font
  // (paid from `budget` unless it is null; false when it runs out), then the glyph.
  // `x` receives the glyph's column 0 before the line is shifted.
  bool advance(const FontChain& chain, const TextItem& item, GlyphBudget* budget, int64_t& x);
  int64_t shift_x() const { return inked && ink_left < 0 ? -ink_left : 0; }
  // The width of a line ending here: its advance, rounded up, or its ink when that
  // reaches further, plus the shift; at least 1.
  int64_t width() const;
};

// The image: its size and the first line's baseline row.
struct LaidText {
  int32_t width = 0;
  int32_t height = 0;
  int32_t baseline = 0;
};

// Lays out a text that is not empty into `scratch`, within the limits of one render
// (font/render_limits.h). Glyphs the chain lacks are rasterized into the handle's
// caches, or with `boxes` measured into them. False exactly where a laid-out render
// gives null. The layout must be known (text_layout::known).
bool lay_out_paragraphs(FontChain& chain, const char* text, const DvTtfLayout& layout,
                        GlyphBoxes* boxes, TextScratch& scratch, LaidText& laid);
