// The library's formatter: printf's conversions as a C library prints them, bounded.
//
// A conversion is %[flags][width][.precision][length]letter:
// - flags '-' (left-justify), '0' (pad with zeros), '+' and ' ' (sign of a positive
//   number), '#' (0x for %x, a leading 0 for %o, a point that stays for %f %e %g);
// - width and precision as digits or '*' (taken from an int argument);
// - length hh, h, l, ll, j, z, t (and L, accepted for the floating conversions);
// - letters d i u o x X c s p f F e E g G and %%; %I is %d. Any other letter (%n, %a
//   among them) prints '?' and takes no argument.
// Floating conversions print the exact decimal value rounded half to even, as a C
// library does, for every double and any precision; infinities print "inf", NaN "nan"
// (upper case for F, E, G). %p prints 0x and the pointer's hex digits.
//
// At most size - 1 characters are stored and, when size is not 0, the stored text is
// NUL-terminated. The result is the length of the whole output whether it fit or not
// (saturated at INT_MAX, where a C library would fail). A format that ends inside a
// conversion emits nothing for it. A null buffer is treated as size 0, a null format as
// an empty one, and a null string for %s prints "(null)".
#pragma once
#include <stdarg.h>
#include <stddef.h>

namespace dv {

int vsnprintf(char* buffer, size_t size, const char* format, va_list arguments);
int snprintf(char* buffer, size_t size, const char* format, ...);

} // namespace dv
