// The console's error hook: one caller format with one string, cut to a fixed buffer.
#include "runtime/console.h"
#include "runtime/error_format.h"
#include "runtime/export.h"
#include "runtime/format.h"

namespace dv {

DV_FUNCTION(void, dv_lua_write_errorf, (const char* format, const char* text)) {
  // A format that would read more than the one string passed is not trusted; the text
  // is written on its own instead.
  if (format == nullptr || !format_takes_at_most_one_string(format))
    format = "%s";
  if (text == nullptr)
    text = "";
  char message[kConsoleErrorCapacity];
  int length = snprintf(message, sizeof message, format, text);
  if (length <= 0)
    return;
  size_t stored = size_t(length) < sizeof message ? size_t(length) : sizeof message - 1;
  dv_lua_write(message, stored);
}

} // namespace dv
