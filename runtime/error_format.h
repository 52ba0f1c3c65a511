// Checks a caller's format for the console error hook, which passes exactly one string.
#pragma once

namespace dv {

// True when formatting `format` with the library's formatter consumes no argument, or
// exactly one argument and that one through a string conversion ("%s" with any width,
// precision and length letters). Any other format would read arguments that were never
// passed.
bool format_takes_at_most_one_string(const char* format);

} // namespace dv
