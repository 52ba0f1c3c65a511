// What every laid-out entry point does first: check its arguments, lay the text out on the
// handle's scratch, and give back scratch a very long text grew when it is done.
#pragma once
#include <stdint.h>

#include "font/text/image.h"
#include "font/text/paragraph_layout.h"

class LaidOutText {
public:
  LaidOutText(void* handle, const char* text, const DvTtfLayout* layout)
      : font_(static_cast<FontHandle*>(handle)), text_(text),
        layout_(text_layout::resolve(layout)) {}
  ~LaidOutText() {
    if (scratch_ != nullptr)
      trim_text_scratch(*scratch_);
  }
  LaidOutText(const LaidOutText&) = delete;
  LaidOutText& operator=(const LaidOutText&) = delete;

  // False for a null handle or text and for a layout with an unknown alignment or flag.
  bool usable() const {
    return font_ != nullptr && font_->backend != nullptr && text_ != nullptr &&
           text_layout::known(layout_);
  }

  // Lays out the text (not empty), measuring new glyphs into `boxes` when given; false
  // exactly where the laid-out render gives null.
  bool lay_out(GlyphBoxes* boxes) {
    scratch_ = &text_scratch_of(*font_);
    FontChain chain(font_);
    return lay_out_paragraphs(chain, text_, layout_, boxes, *scratch_, laid_);
  }

  const LaidText& laid() const { return laid_; }
  const TextScratch& scratch() const { return *scratch_; }
  TextScratch& scratch() { return *scratch_; }
  int32_t line_gap() const { return layout_.line_gap > 0 ? layout_.line_gap : 0; }

private:
  FontHandle* font_;
  const char* text_;
  DvTtfLayout layout_;
  TextScratch* scratch_ = nullptr;
  LaidText laid_;
};

namespace dv {

// The exported functions, with the types include/DovrelTTF.h declares for their public
// names.
decltype(::dv_ttf_font_render_layout) dv_ttf_font_render_layout;
decltype(::dv_ttf_font_measure_layout) dv_ttf_font_measure_layout;
decltype(::dv_ttf_font_draw) dv_ttf_font_draw;
decltype(::dv_ttf_font_caret_positions) dv_ttf_font_caret_positions;

} // namespace dv
