# The C runtime: console, memory, strings, formatting, number parsing and math.
dv_sources(DV_LIBRARY_SOURCES runtime
  console.cpp
  console_error.cpp
  ctype.cpp
  errno.cpp
  error_format.cpp
  decimal_digits.cpp
  format.cpp
  int64.cpp
  locale.cpp
  malloc.cpp
  math.cpp
  math_classify.cpp
  math_rounding.cpp
  memory.cpp
  number_parse.cpp
  probe_heap.cpp
  program_api.cpp
  services.cpp
  string.cpp
)
