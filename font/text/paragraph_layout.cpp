#include "font/text/paragraph_layout.h"

#include "font/render_limits.h"
#include "font/text/line_breaking.h"
#include "font/text/pixel_rounding.h"
#include "font/text/utf8.h"

using line_breaking::is_space;
using pixel_rounding::max64;
using pixel_rounding::saturate_to_int32;
using pixel_rounding::saturating_add;

namespace {

// Scratch vectors holding more than this many bytes are given back after a call.
constexpr uint64_t kKeptScratchBytes = uint64_t{1} << 18;

template <typename T> void trim(dv::vector<T>& vector) {
  if (vector.capacity * sizeof(T) > kKeptScratchBytes)
    vector = dv::vector<T>();
}

// Reads the text into items, every glyph made (or measured) on the way: the whole budget
// of new glyphs is spent here, in the order of the text, before any line is laid out.
bool gather_items(FontChain& chain, const char* text, const DvTtfLayout& layout, GlyphBoxes* boxes,
                  TextScratch& scratch, GlyphBudget& budget) {
  uint64_t made = 0;
  const auto provide = [&](const TextItem& item) {
    return chain.provide(item.font, item.codepoint, budget, boxes, made) &&
           made <= render_limits::kMaxNewGlyphs;
  };
  const auto* start = reinterpret_cast<const unsigned char*>(text);
  const unsigned char* at = start;
  while (*at != 0) {
    const auto byte = static_cast<uint32_t>(at - start);
    if (*at == kLineFeed) {
      scratch.items.push_back(TextItem{kLineFeed, byte, 0, nullptr});
      ++at;
      continue;
    }
    const unsigned int codepoint = decode_next(at);
    if (codepoint == kCarriageReturn)
      continue;
    const TextItem item{codepoint, byte, chain.font_for(codepoint), nullptr};
    if (!provide(item))
      return false;
    scratch.items.push_back(item);
  }
  const auto length = static_cast<uint32_t>(at - start);
  scratch.ellipsis = TextItem{text_layout::kEllipsisCharacter, length, 0, nullptr};
  if (layout.max_width > 0 && (layout.flags & text_layout::kEllipsis) != 0) {
    scratch.ellipsis.font = chain.font_for(text_layout::kEllipsisCharacter);
    if (!provide(scratch.ellipsis))
      return false;
  }
  return true;
}

// The glyph pointers, once no glyph joins the caches any more.
void attach_glyphs(const FontChain& chain, const GlyphBoxes* boxes, TextScratch& scratch) {
  for (TextItem& item : scratch.items)
    if (item.codepoint != kLineFeed)
      item.glyph = chain.find(item.font, item.codepoint, boxes);
  TextItem& ellipsis = scratch.ellipsis;
  ellipsis.glyph = chain.find(ellipsis.font, ellipsis.codepoint, boxes);
}

// The line metrics of the fonts in `fonts` (a bit per chain place; none: the handle's
// own): the highest baseline above the deepest descent.
void union_metrics(const FontChain& chain, uint32_t fonts, int64_t& baseline, int64_t& height) {
  fonts = fonts == 0 ? 1 : fonts;
  int64_t below = INT64_MIN;
  baseline = INT64_MIN;
  for (uint32_t place = 0; place < kMaxChainFonts; ++place) {
    if ((fonts & (1u << place)) == 0)
      continue;
    const LineMetrics& metrics = chain.font(place).metrics;
    baseline = max64(baseline, metrics.baseline);
    below = max64(below, metrics.line_height - metrics.baseline);
  }
  height = max64(1, baseline + below);
}

class LineBreaker {
public:
  LineBreaker(FontChain& chain, const DvTtfLayout& layout, TextScratch& scratch,
              GlyphBudget& budget)
      : chain_(chain), layout_(layout), scratch_(scratch), budget_(budget) {}

  // Every line of the text, in order.
  bool lay_out_all() {
    const auto count = static_cast<uint32_t>(scratch_.items.size);
    uint32_t begin = 0;
    for (;;) {
      uint32_t end = begin;
      while (end < count && scratch_.items.data[end].codepoint != kLineFeed)
        ++end;
      const uint32_t after = end < count ? end + 1 : end;
      if (!lay_out_hard_line(begin, end, after))
        return false;
      if (end == count)
        return true;
      begin = after;
    }
  }

private:
  const TextItem& item(uint32_t index) const { return scratch_.items.data[index]; }

  // The items [begin, end) of a line without its trailing spaces.
  uint32_t trimmed_end(uint32_t begin, uint32_t end) const {
    while (end > begin && is_space(item(end - 1).codepoint))
      --end;
    return end;
  }

  // The width of items [begin, end) as one line, or -1 when the budget ran out.
  int64_t width_of(uint32_t begin, uint32_t end) {
    LinePen pen;
    int64_t x = 0;
    for (uint32_t i = begin; i < end; ++i)
      if (!pen.advance(chain_, item(i), &budget_, x))
        return -1;
    return pen.width();
  }

  // The line between two line feeds, items [begin, end); `after` starts the next one.
  bool lay_out_hard_line(uint32_t begin, uint32_t end, uint32_t after) {
    const int64_t limit = layout_.max_width;
    if (limit <= 0)
      return place_line(begin, end, after, false);
    const uint32_t drawn_end = trimmed_end(begin, end);
    if ((layout_.flags & text_layout::kEllipsis) != 0) {
      const int64_t width = width_of(begin, drawn_end);
      if (width < 0)
        return false;
      if (width <= limit)
        return place_line(begin, drawn_end, after, false);
      uint32_t kept = begin;
      return longest_prefix_before_ellipsis(begin, drawn_end, kept) &&
             place_line(begin, kept, after, true);
    }
    uint32_t start = begin;
    for (;;) {
      uint32_t stop = end;
      if (!find_wrap(start, end, stop))
        return false;
      if (!place_line(start, trimmed_end(start, stop), stop == end ? after : stop, false))
        return false;
      if (stop == end)
        return true;
      start = stop;
    }
  }

  // Where the line that starts at `start` wraps: before the first item that would make it
  // wider than max_width, moved back to the last break opportunity when the line has one
  // after its first character that is no space. A line holds at least that character.
  // Trailing spaces do not count, so spaces never wrap.
  bool find_wrap(uint32_t start, uint32_t end, uint32_t& stop) {
    LinePen pen;
    int64_t x = 0;
    bool holds_character = false;
    uint32_t last_break = 0;
    for (uint32_t i = start; i < end; ++i) {
      const unsigned int codepoint = item(i).codepoint;
      if (holds_character && line_breaking::may_break_between(item(i - 1).codepoint, codepoint))
        last_break = i;
      LinePen trial = pen;
      if (!trial.advance(chain_, item(i), &budget_, x))
        return false;
      if (!is_space(codepoint)) {
        if (holds_character && trial.width() > layout_.max_width) {
          stop = last_break != 0 ? last_break : i;
          return true;
        }
        holds_character = true;
      }
      pen = trial;
    }
    stop = end;
    return true;
  }

  // The end of the longest prefix of [begin, end), ending in a character that is no space,
  // that still fits max_width with the ellipsis after it; `begin` when none does.
  bool longest_prefix_before_ellipsis(uint32_t begin, uint32_t end, uint32_t& kept) {
    LinePen pen;
    int64_t x = 0;
    kept = begin;
    for (uint32_t i = begin; i < end; ++i) {
      if (!pen.advance(chain_, item(i), &budget_, x))
        return false;
      if (is_space(item(i).codepoint))
        continue;
      LinePen with_ellipsis = pen;
      if (!with_ellipsis.advance(chain_, scratch_.ellipsis, &budget_, x))
        return false;
      if (with_ellipsis.width() <= layout_.max_width)
        kept = i + 1;
    }
    return true;
  }

  // Places items [first, drawn_end) (and the ellipsis) as one line: every glyph on the
  // line's one baseline, the box grown and shifted to hold all ink.
  bool place_line(uint32_t first, uint32_t drawn_end, uint32_t next, bool ellipsis) {
    LaidLine line{};
    line.first_item = first;
    line.drawn_end = drawn_end;
    line.next_item = next;
    line.ellipsis = ellipsis;
    line.first_glyph = static_cast<uint32_t>(scratch_.placed.size);
    LinePen pen;
    const auto place = [&](const TextItem& placed) {
      int64_t x = 0;
      if (!pen.advance(chain_, placed, &budget_, x))
        return false;
      scratch_.placed.push_back(PlacedGlyph{placed.glyph, saturate_to_int32(x), 0});
      return true;
    };
    for (uint32_t i = first; i < drawn_end; ++i)
      if (!place(item(i)))
        return false;
    if (ellipsis && !place(scratch_.ellipsis))
      return false;
    line.glyph_end = static_cast<uint32_t>(scratch_.placed.size);
    finish(pen, line);
    scratch_.lines.push_back(line);
    return true;
  }

  // Rows: every glyph's top below the line's baseline, then the line moved down (and
  // right) by what ink reaches above (and left of) its box, which grows to hold the ink.
  void finish(const LinePen& pen, LaidLine& line) {
    int64_t baseline = 0;
    int64_t height = 0;
    union_metrics(chain_, pen.fonts, baseline, height);
    bool inked = false;
    int64_t ink_top = 0;
    int64_t ink_bottom = 0;
    for (uint32_t i = line.first_glyph; i < line.glyph_end; ++i) {
      const GlyphBitmap& bitmap = *scratch_.placed.data[i].bitmap;
      if (!has_ink(bitmap))
        continue;
      const int64_t top = baseline - bitmap.top;
      ink_top = inked && ink_top < top ? ink_top : top;
      const int64_t bottom = top + bitmap.height;
      ink_bottom = inked && ink_bottom > bottom ? ink_bottom : bottom;
      inked = true;
    }
    const int64_t shift_y = inked && ink_top < 0 ? -ink_top : 0;
    const int64_t shift_x = pen.shift_x();
    height = saturating_add(inked ? max64(height, ink_bottom) : height, shift_y);
    for (uint32_t i = line.first_glyph; i < line.glyph_end; ++i) {
      PlacedGlyph& glyph = scratch_.placed.data[i];
      glyph.x = saturate_to_int32(glyph.x + shift_x);
      glyph.y = saturate_to_int32(baseline - glyph.bitmap->top + shift_y);
    }
    line.width = saturate_to_int32(pen.width());
    line.height = saturate_to_int32(max64(1, height));
    line.baseline = saturate_to_int32(baseline + shift_y);
    line.shift_x = saturate_to_int32(shift_x);
  }

  FontChain& chain_;
  const DvTtfLayout& layout_;
  TextScratch& scratch_;
  GlyphBudget& budget_;
};

// Places the line boxes in the image: stacked with the gap between them, each aligned
// within the widest line or max_width, whichever is wider. False when the image would
// pass the render's image limit.
bool place_lines(const DvTtfLayout& layout, TextScratch& scratch, LaidText& laid) {
  const int64_t limit = render_limits::kMaxImagePixels;
  const int64_t gap = layout.line_gap > 0 ? layout.line_gap : 0;
  int64_t box_width = layout.max_width > 0 ? layout.max_width : 1;
  int64_t height = 0;
  for (const LaidLine& line : scratch.lines) {
    box_width = max64(box_width, line.width);
    height = saturating_add(height, line.height);
    if (&line != scratch.lines.data)
      height = saturating_add(height, gap);
    if (height > limit)
      return false;
  }
  if (box_width > limit || box_width * height > limit)
    return false;
  int64_t top = 0;
  for (LaidLine& line : scratch.lines) {
    const int64_t room = box_width - line.width;
    const int64_t x = layout.align == text_layout::kAlignRight    ? room
                      : layout.align == text_layout::kAlignCentre ? room / 2
                                                                  : 0;
    line.x = static_cast<int32_t>(x);
    line.top = static_cast<int32_t>(top);
    top += line.height + gap;
  }
  laid.width = static_cast<int32_t>(box_width);
  laid.height = static_cast<int32_t>(height);
  laid.baseline = scratch.lines.data[0].baseline;
  return true;
}

} // namespace

TextScratch& text_scratch_of(FontHandle& font) {
  if (font.text_scratch == nullptr)
    font.text_scratch = new TextScratch;
  return *font.text_scratch;
}

void delete_text_scratch(TextScratch* scratch) {
  delete scratch;
}

void trim_text_scratch(TextScratch& scratch) {
  trim(scratch.items);
  trim(scratch.placed);
  trim(scratch.lines);
  trim(scratch.strip);
}

bool LinePen::advance(const FontChain& chain, const TextItem& item, GlyphBudget* budget,
                      int64_t& x) {
  const ChainFont& font = chain.font(item.font);
  if (previous_font == item.font && font.kerns) {
    GlyphBudget unlimited = GlyphBudget::unlimited();
    GlyphBudget& payer = budget != nullptr ? *budget : unlimited;
    pen += font.backend->kerning(previous, item.codepoint, payer) * font.scale;
    if (payer.exhausted)
      return false;
  }
  previous_font = item.font;
  previous = item.codepoint;
  fonts |= 1u << item.font;
  const GlyphBitmap& bitmap = *item.glyph;
  x = pixel_rounding::floor_to_int64(pen) + bitmap.left;
  if (has_ink(bitmap)) {
    const int64_t right = saturating_add(x, bitmap.width);
    ink_left = inked && ink_left < x ? ink_left : x;
    ink_right = inked && ink_right > right ? ink_right : right;
    inked = true;
  }
  pen += bitmap.advance;
  return true;
}

int64_t LinePen::width() const {
  const int64_t advance_width = max64(1, pixel_rounding::ceil_to_int64(pen));
  if (!inked)
    return advance_width;
  return saturating_add(max64(advance_width, ink_right), shift_x());
}

bool lay_out_paragraphs(FontChain& chain, const char* text, const DvTtfLayout& layout,
                        GlyphBoxes* boxes, TextScratch& scratch, LaidText& laid) {
  uint64_t length = 0;
  while (length <= render_limits::kMaxTextBytes && text[length] != 0)
    ++length;
  if (length > render_limits::kMaxTextBytes)
    return false;
  scratch.items.clear();
  scratch.placed.clear();
  scratch.lines.clear();
  // A text has no more code points than bytes.
  scratch.items.reserve(length);
  GlyphBudget budget{render_limits::kMaxNewGlyphPixels, render_limits::kMaxRasterWork};
  if (!gather_items(chain, text, layout, boxes, scratch, budget))
    return false;
  attach_glyphs(chain, boxes, scratch);
  scratch.placed.reserve(scratch.items.size + 1);
  LineBreaker breaker(chain, layout, scratch, budget);
  return breaker.lay_out_all() && place_lines(layout, scratch, laid);
}
