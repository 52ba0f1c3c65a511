// The module headers (include/DovrelTTF/) declare each function with the type the library
// defines it with: a declaration that drifts from the definition fails to compile here.
#include "DovrelTTF/runtime.h"
#include "dvfs/dvfs.h"
#include "runtime/console.h"
#include "runtime/ctype.h"
#include "runtime/errno.h"
#include "runtime/format.h"
#include "runtime/malloc.h"
#include "runtime/math.h"
#include "runtime/memory.h"
#include "runtime/number_parse.h"
#include "runtime/string.h"

#define DV_SAME_TYPE(name)                                                                         \
  static_assert(__is_same(decltype(&::name), decltype(&dv::name)), #name " is declared as "        \
                                                                         "defined")

// The console.
DV_SAME_TYPE(dv_lua_write);
DV_SAME_TYPE(dv_lua_writeline);
DV_SAME_TYPE(dv_lua_flush_output);
DV_SAME_TYPE(dv_lua_readline);
DV_SAME_TYPE(dv_lua_write_errorf);
// Memory.
DV_SAME_TYPE(malloc);
DV_SAME_TYPE(free);
DV_SAME_TYPE(realloc);
DV_SAME_TYPE(memcpy);
DV_SAME_TYPE(memmove);
DV_SAME_TYPE(memset);
DV_SAME_TYPE(memcmp);
DV_SAME_TYPE(memchr);
// Strings and characters.
DV_SAME_TYPE(strlen);
DV_SAME_TYPE(strcmp);
DV_SAME_TYPE(strncmp);
DV_SAME_TYPE(strchr);
DV_SAME_TYPE(strstr);
DV_SAME_TYPE(strpbrk);
DV_SAME_TYPE(strspn);
DV_SAME_TYPE(strcpy);
DV_SAME_TYPE(strdup);
DV_SAME_TYPE(strerror);
DV_SAME_TYPE(isalnum);
DV_SAME_TYPE(isalpha);
DV_SAME_TYPE(isblank);
DV_SAME_TYPE(isdigit);
DV_SAME_TYPE(islower);
DV_SAME_TYPE(isprint);
DV_SAME_TYPE(isspace);
DV_SAME_TYPE(isupper);
DV_SAME_TYPE(isxdigit);
DV_SAME_TYPE(tolower);
DV_SAME_TYPE(toupper);
// Formatted output.
DV_SAME_TYPE(snprintf);
DV_SAME_TYPE(vsnprintf);
// Number parsing.
DV_SAME_TYPE(strtod);
DV_SAME_TYPE(strtof);
DV_SAME_TYPE(strtol);
DV_SAME_TYPE(strtoll);
DV_SAME_TYPE(strtoul);
DV_SAME_TYPE(strtoull);
// Math.
DV_SAME_TYPE(abs);
DV_SAME_TYPE(fabs);
DV_SAME_TYPE(ceil);
DV_SAME_TYPE(floor);
DV_SAME_TYPE(floorf);
DV_SAME_TYPE(trunc);
DV_SAME_TYPE(round);
DV_SAME_TYPE(lround);
DV_SAME_TYPE(llround);
DV_SAME_TYPE(fmod);
DV_SAME_TYPE(fmodf);
DV_SAME_TYPE(frexp);
DV_SAME_TYPE(ldexp);
DV_SAME_TYPE(sqrt);
DV_SAME_TYPE(pow);
DV_SAME_TYPE(log);
DV_SAME_TYPE(sin);
DV_SAME_TYPE(cos);
// dvfs: the functions without the stream type (the header's DvfsFile is opaque).
DV_SAME_TYPE(dvfs_remove);
DV_SAME_TYPE(dvfs_rename);
DV_SAME_TYPE(dvfs_read_entire_file);
DV_SAME_TYPE(dvfs_write_entire_file);
static_assert(DVFS_SEEK_SET == 0 && DVFS_SEEK_CUR == 1 && DVFS_SEEK_END == 2,
              "the whence values dvfs_fseek reads");
