// UTF-8 text read in place: code points one at a time, and the text's lines as byte
// ranges, so that a render never holds a decoded copy of its text.
#pragma once

inline constexpr unsigned int kReplacementCharacter = 0xFFFD;
inline constexpr unsigned int kCarriageReturn = 13;
inline constexpr unsigned int kLineFeed = 10;

// Decodes the sequence that starts at `at` (not the terminating 0) and moves `at` past it.
// Never fails: a byte that cannot start a sequence, or a sequence cut short by a byte
// that is not a continuation byte, yields U+FFFD (the cutting byte is then read again as
// a lead byte). Overlong forms, surrogates and values above U+10FFFF pass unchanged, so
// every result is below 2^21. Only continuation bytes are read past the lead, so a line
// feed or the terminating 0 ends every sequence.
unsigned int decode_next(const unsigned char*& at);

// One line of a NUL-terminated text: the bytes from `begin` up to `end`, which points at
// the line feed that ends the line or at the terminating 0.
struct TextLine {
  const unsigned char* begin;
  const unsigned char* end;

  unsigned long bytes() const { return static_cast<unsigned long>(end - begin); }
  bool is_last() const { return *end == 0; }
};

// The first line of `text`; a text always has at least one line.
TextLine first_line(const char* text);

// The line after `line`; the caller checks that `line` is not the last one.
TextLine next_line(const TextLine& line);

// Lines of the text: its line feeds + 1.
unsigned long count_lines(const char* text);

// Calls `visit(codepoint)` for each code point of the line, carriage returns dropped,
// until `visit` returns false. False when it stopped early.
template <typename Visit> bool for_each_codepoint(const TextLine& line, Visit&& visit) {
  const unsigned char* at = line.begin;
  while (at < line.end) {
    const unsigned int codepoint = decode_next(at);
    if (codepoint != kCarriageReturn && !visit(codepoint)) {
      return false;
    }
  }
  return true;
}
