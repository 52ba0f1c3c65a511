#include "font/text/line_breaking.h"

namespace {

bool in(unsigned int codepoint, unsigned int first, unsigned int last) {
  return codepoint >= first && codepoint <= last;
}

// Ideographs (the unified blocks, their extensions and compatibility forms), kana and the
// CJK punctuation block: characters between which East Asian text breaks freely.
bool is_ideographic(unsigned int c) {
  return in(c, 0x3000, 0x30FF) || in(c, 0x31F0, 0x31FF) || in(c, 0x3400, 0x4DBF) ||
         in(c, 0x4E00, 0x9FFF) || in(c, 0xF900, 0xFAFF) || in(c, 0xFF01, 0xFF60) ||
         in(c, 0x20000, 0x3FFFF);
}

// Characters a line never starts with: closing punctuation, the prolonged sound mark and
// small kana.
bool never_starts_line(unsigned int c) {
  switch (c) {
  case 0x3001:
  case 0x3002:
  case 0x3009:
  case 0x300B:
  case 0x300D:
  case 0x300F:
  case 0x3011:
  case 0x30FC:
  case 0x30FB:
  case 0xFF01:
  case 0xFF09:
  case 0xFF0C:
  case 0xFF0E:
  case 0xFF1A:
  case 0xFF1B:
  case 0xFF1F:
  case '!':
  case ')':
  case ',':
  case '.':
  case ':':
  case ';':
  case '?':
  case ']':
  case '}':
    return true;
  default:
    break;
  }
  const bool small_hiragana = c == 0x3041 || c == 0x3043 || c == 0x3045 || c == 0x3047 ||
                              c == 0x3049 || c == 0x3063 || c == 0x3083 || c == 0x3085 ||
                              c == 0x3087;
  const bool small_katakana = c == 0x30A1 || c == 0x30A3 || c == 0x30A5 || c == 0x30A7 ||
                              c == 0x30A9 || c == 0x30C3 || c == 0x30E3 || c == 0x30E5 ||
                              c == 0x30E7;
  return small_hiragana || small_katakana;
}

// Characters a line never ends with: opening brackets.
bool never_ends_line(unsigned int c) {
  return c == 0x3008 || c == 0x300A || c == 0x300C || c == 0x300E || c == 0x3010 || c == 0xFF08 ||
         c == '(' || c == '[' || c == '{';
}

} // namespace

namespace line_breaking {

bool is_space(unsigned int codepoint) {
  return codepoint == ' ' || codepoint == '\t' || codepoint == 0x3000;
}

bool may_break_between(unsigned int before, unsigned int after) {
  if (is_space(after))
    return false;
  if (is_space(before) || before == '-' || before == 0x2010 || before == 0x200B)
    return true;
  if (!is_ideographic(before) && !is_ideographic(after))
    return false;
  return !never_starts_line(after) && !never_ends_line(before);
}

} // namespace line_breaking
