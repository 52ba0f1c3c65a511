// The library's formatter: a bounded printf subset.
//
// Conversions: %% %d %i %I %u %x %X %c %s %p %f; any other letter prints '?'. Width and
// precision digits and the length letters h, l, t, z are accepted and ignored; integer
// arguments use the low 32 bits of their argument slot. %f prints the 32-bit truncation
// of the integer part and six truncated (never rounded) fraction digits.
//
// At most size - 1 characters are stored and, when size is not 0, the stored text is
// NUL-terminated. The result is the length of the whole output whether it fit or not
// (saturated at INT_MAX). A format that ends right after '%' (or after '%' and its width,
// precision or length letters) emits nothing for that dangling conversion. A null buffer
// is treated as size 0 and a null format as an empty one.
#pragma once
#include <stdarg.h>
#include <stddef.h>

namespace dv {

int vsnprintf(char* buffer, size_t size, const char* format, va_list arguments);
int snprintf(char* buffer, size_t size, const char* format, ...);

} // namespace dv
