#include "font/type1/glyph.h"

#include "font/hinting/light_hinting.h"
#include "font/type1/interpreter.h"
#include "font/type1/unicode_names.h"
#include "runtime/memory.h"
namespace {

bool row_is_blank(const GlyphBitmap& bitmap, int row) {
  const unsigned char* pixels = bitmap.pixels.data + static_cast<long>(row) * bitmap.width;
  for (int column = 0; column < bitmap.width; ++column) {
    if (pixels[column] != 0)
      return false;
  }
  return true;
}

bool column_is_blank(const GlyphBitmap& bitmap, int column, int first_row, int last_row) {
  for (int row = first_row; row <= last_row; ++row) {
    if (bitmap.pixels.data[static_cast<long>(row) * bitmap.width + column] != 0)
      return false;
  }
  return true;
}

void make_blank(GlyphBitmap& bitmap) {
  bitmap.left = 0;
  bitmap.top = 0;
  bitmap.width = 0;
  bitmap.height = 0;
  bitmap.pixels = ByteVector();
}

constexpr dv::string_view kNotdefName(".notdef", 7);

// The font's own encoding entry for a code up to 255, or null when there is none.
const dv::string* encoded_name(const Type1Font& font, unsigned int codepoint) {
  if (codepoint > 255 || font.encoding[codepoint].size == 0)
    return nullptr;
  return &font.encoding[codepoint];
}

const ByteView* find_charstring(const Type1Font& font, dv::string_view name) {
  const auto* entry = font.charstrings.find(name);
  return entry != font.charstrings.entries.data + font.charstrings.entries.size ? &entry->second
                                                                                : nullptr;
}

} // namespace

dv::string_view glyph_name_for_codepoint(const Type1Font& font, unsigned int codepoint) {
  const dv::string* name = encoded_name(font, codepoint);
  return name != nullptr ? dv::string_view(name->data, name->size) : kNotdefName;
}

void crop_to_ink(GlyphBitmap& bitmap) {
  if (bitmap.width <= 0 || bitmap.height <= 0 || bitmap.pixels.size == 0)
    return;
  int top = 0;
  while (top < bitmap.height && row_is_blank(bitmap, top))
    ++top;
  if (top == bitmap.height)
    return make_blank(bitmap);
  int bottom = 0;
  while (row_is_blank(bitmap, bitmap.height - 1 - bottom))
    ++bottom;
  int last_row = bitmap.height - 1 - bottom;
  int left = 0;
  while (left < bitmap.width && column_is_blank(bitmap, left, top, last_row))
    ++left;
  int right = 0;
  while (right < bitmap.width - left &&
         column_is_blank(bitmap, bitmap.width - 1 - right, top, last_row))
    ++right;
  int width = bitmap.width - left - right;
  int height = bitmap.height - top - bottom;
  if (width <= 0 || height <= 0)
    return make_blank(bitmap);

  // Row i moves from offset (top + i) * old width + left to i * width, never later, so
  // the rows are moved in place from the first on.
  for (int row = 0; row < height; ++row) {
    const unsigned char* from =
        bitmap.pixels.data + static_cast<long>(top + row) * bitmap.width + left;
    dv::memmove(bitmap.pixels.data + static_cast<long>(row) * width, from,
                static_cast<size_t>(width));
  }
  bitmap.pixels.resize(static_cast<unsigned long>(width) * height);
  bitmap.left += left;
  bitmap.top -= top;
  bitmap.width = width;
  bitmap.height = height;
  // Much of the storage left unused (a large blank frame) is given back: the ink moves to
  // storage of its own size, while the old storage is held no longer than that copy.
  if (bitmap.pixels.capacity > 2 * bitmap.pixels.size)
    bitmap.pixels = ByteVector(bitmap.pixels);
}

// The straight-line mode names a glyph through the font's own encoding only; the complete
// mode through Unicode (font/type1/unicode_names.h). Either falls back to ".notdef".
const ByteView* charstring_for_type1_glyph(const Type1Font& font, unsigned int codepoint) {
  const ByteView* named = nullptr;
  if (font.mode == Type1Mode::kComplete)
    named = charstring_for_codepoint(font, codepoint);
  else if (const dv::string* name = encoded_name(font, codepoint))
    named = find_charstring(font, name->view());
  return named != nullptr ? named : find_charstring(font, kNotdefName);
}

bool type1_names_codepoint(const Type1Font& font, unsigned int codepoint) {
  if (font.mode == Type1Mode::kComplete)
    return charstring_for_codepoint(font, codepoint) != nullptr;
  const dv::string* name = encoded_name(font, codepoint);
  if (name == nullptr)
    return false;
  // A code point the encoding names ".notdef" has no glyph of its own.
  return !(dv::string_view(name->data, name->size) == kNotdefName) &&
         find_charstring(font, name->view()) != nullptr;
}

GlyphBitmap rasterize_type1_glyph(const Type1Font& font, unsigned int codepoint, double scale,
                                  Type1GlyphScratch& scratch, GlyphBudget& budget,
                                  LightHinting* hinting) {
  GlyphBitmap bitmap = run_glyph_pipeline(
      scratch, GlyphOutput::kPixels, budget, [&](OutlineBuilder& outline, NoSourceScratch&) {
        OutlineDrawing drawing;
        const ByteView* charstring = charstring_for_type1_glyph(font, codepoint);
        if (charstring == nullptr)
          return drawing;
        Type1Interpreter interpreter(&font, scale, outline);
        drawing.drawn = interpreter.execute(*charstring, 0);
        drawing.advance = interpreter.advance();
        drawing.work = kWorkPerInterpreterStep * interpreter.steps();
        drawing.past_limits = interpreter.past_limits();
        hint_drawn_glyph(outline, drawing, scale, hinting, budget);
        return drawing;
      });
  crop_to_ink(bitmap);
  return bitmap;
}

GlyphBitmap rasterize_type1_glyph(const Type1Font& font, unsigned int codepoint, double scale,
                                  Type1GlyphScratch& scratch) {
  GlyphBudget budget = GlyphBudget::unlimited();
  return rasterize_type1_glyph(font, codepoint, scale, scratch, budget);
}

GlyphBitmap rasterize_type1_glyph(const Type1Font& font, unsigned int codepoint, double scale) {
  Type1GlyphScratch scratch;
  return rasterize_type1_glyph(font, codepoint, scale, scratch);
}
