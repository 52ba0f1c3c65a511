// Where a wrapped line may end: the character classes the line breaker needs.
#pragma once

namespace line_breaking {

// Spaces end a line without counting toward its width: U+0020, tab and U+3000.
bool is_space(unsigned int codepoint);

// True when a line may end between `before` and `after` (neither a line feed):
//   - after a run of spaces, before the next character that is no space;
//   - after a hyphen (U+002D, U+2010) or a zero-width space (U+200B);
//   - before or after an ideograph or kana, except before closing punctuation and
//     small kana, and after opening brackets.
bool may_break_between(unsigned int before, unsigned int after);

} // namespace line_breaking
