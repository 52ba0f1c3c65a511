// Caret positions: where each code point of a laid-out text starts, in the image the
// laid-out render gives, so that a caller can place a caret and map a point back to a
// character.
#include "abi/allocation_scope.h"
#include "font/text/laid_out_text.h"
#include "font/text/pixel_rounding.h"
#include "runtime/export.h"

using pixel_rounding::saturate_to_int32;

namespace {

// Writes the positions into the caller's array as far as it reaches, counting them all.
class CaretWriter {
public:
  CaretWriter(DvTtfCaret* carets, unsigned long capacity) : carets_(carets), capacity_(capacity) {}

  void write(uint32_t byte, int32_t line_index, int32_t x, const LaidLine& line) {
    if (carets_ != nullptr && count_ < capacity_)
      carets_[count_] =
          DvTtfCaret{byte,     line_index,  x,
                     line.top, line.height, saturate_to_int32(int64_t{line.top} + line.baseline)};
    ++count_;
  }
  long count() const { return static_cast<long>(count_); }

private:
  DvTtfCaret* carets_;
  unsigned long capacity_;
  unsigned long count_ = 0;
};

// The column of a pen position: the line's place and shift, and the pen rounded up, so
// that the position after a line's last character is the line's width when no ink
// reaches past the pen.
int32_t column(const LaidLine& line, const LinePen& pen) {
  return saturate_to_int32(int64_t{line.x} + line.shift_x + pixel_rounding::ceil_to_int64(pen.pen));
}

// The line's code points: each drawn one where the pen stands before it, every other one
// (spaces dropped at a wrap, characters an ellipsis hides, the line feed) after the last
// drawn one. Returns that last position.
int32_t write_line(const FontChain& chain, const TextScratch& scratch, int32_t index,
                   CaretWriter& writer) {
  const LaidLine& line = scratch.lines.data[index];
  LinePen pen;
  int64_t x = 0;
  for (uint32_t i = line.first_item; i < line.drawn_end; ++i) {
    writer.write(scratch.items.data[i].byte, index, column(line, pen), line);
    pen.advance(chain, scratch.items.data[i], nullptr, x);
  }
  const int32_t end = column(line, pen);
  for (uint32_t i = line.drawn_end; i < line.next_item; ++i)
    writer.write(scratch.items.data[i].byte, index, end, line);
  return end;
}

long caret_positions(void* handle, const char* text, const DvTtfLayout* record, DvTtfCaret* carets,
                     unsigned long capacity) {
  LaidOutText laid_out(handle, text, record);
  if (!laid_out.usable())
    return 0;
  CaretWriter writer(carets, capacity);
  if (text[0] == 0) {
    const LineMetrics metrics = line_metrics(*static_cast<FontHandle*>(handle));
    const LaidLine line{0,
                        0,
                        0,
                        0,
                        0,
                        false,
                        0,
                        static_cast<int32_t>(metrics.line_height),
                        static_cast<int32_t>(metrics.baseline),
                        0,
                        0,
                        0};
    writer.write(0, 0, 0, line);
    return writer.count();
  }
  GlyphBoxes boxes;
  if (!laid_out.lay_out(&boxes))
    return 0;
  const TextScratch& scratch = laid_out.scratch();
  const FontChain chain(static_cast<FontHandle*>(handle));
  int32_t end = 0;
  const auto lines = static_cast<int32_t>(scratch.lines.size);
  for (int32_t index = 0; index < lines; ++index)
    end = write_line(chain, scratch, index, writer);
  writer.write(scratch.ellipsis.byte, lines - 1, end, scratch.lines.data[lines - 1]);
  return writer.count();
}

} // namespace

namespace dv {

// In an allocation scope: positions the heap cannot hold room for give 0.
DV_FUNCTION_AS(long, dv_ttf_font_caret_positions,
               "_Z27dv_ttf_font_caret_positionsPvPKcPK11DvTtfLayoutP10DvTtfCaretm",
               (void* handle, const char* text, const DvTtfLayout* layout, DvTtfCaret* carets,
                unsigned long capacity)) {
  return null_on_allocation_failure(
      [&] { return caret_positions(handle, text, layout, carets, capacity); });
}

} // namespace dv
