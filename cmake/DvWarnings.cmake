# The warnings every target of the tree is built with, as errors. dv_warnings(TARGET) sets
# them on one target; PEDANTIC adds -Wpedantic (code built the way a module's author builds
# it against the public header).
set(DV_WARNING_FLAGS
  -Wall -Wextra -Werror
  -Wshadow-all
  -Wimplicit-fallthrough
  -Wextra-semi
  -Wnon-virtual-dtor
  -Wsuggest-override
  -Wnewline-eof
  -Wundef
  -Wcast-qual
  -Wformat=2
  -Wcomma
  -Wconditional-uninitialized
  -Wloop-analysis
  -Wmissing-variable-declarations
  -Wunreachable-code-aggressive
  -Wzero-as-null-pointer-constant
  -Wold-style-cast)

function(dv_warnings target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "PEDANTIC" "" "")
  target_compile_options(${target} PRIVATE ${DV_WARNING_FLAGS})
  if(arg_PEDANTIC)
    target_compile_options(${target} PRIVATE -Wpedantic)
  endif()
endfunction()
