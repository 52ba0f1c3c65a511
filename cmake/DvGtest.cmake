# GoogleTest programs as ctest tests, one test per suite: when ctest starts it lists the
# program's tests (--gtest_list_tests, again only after the program was rebuilt) and makes
# one entry NAME.SUITE running --gtest_filter=SUITE.* (each instantiation of a
# parameterised suite is a suite of its own). A suite rather than a case per process: the
# artifact suites load the library into the stand-in once per process, and the real-font
# suites open their fonts once per suite. `ctest -j` runs the suites of every program side
# by side.

set(DV_GTEST_LIST_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/DvGtestSuites.cmake)

# dv_add_gtest_suites(TARGET [NAME name] [ENVIRONMENT VAR=value...])
function(dv_add_gtest_suites target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "NAME" "ENVIRONMENT")
  if(NOT arg_NAME)
    set(arg_NAME ${target})
  endif()
  set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${arg_NAME}_suites.cmake)
  set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${arg_NAME}_include.cmake)
  file(GENERATE OUTPUT ${include_file} CONTENT
"set(EXECUTABLE [=[$<TARGET_FILE:${target}>]=])
set(NAME [=[${arg_NAME}]=])
set(ENVIRONMENT [=[${arg_ENVIRONMENT}]=])
set(OUTPUT [=[${list_file}]=])
if(NOT EXISTS \"\${EXECUTABLE}\")
  add_test(\"\${NAME}_NOT_BUILT\" \"\${NAME}_NOT_BUILT\")
  return()
endif()
if(NOT EXISTS \"\${OUTPUT}\" OR \"\${EXECUTABLE}\" IS_NEWER_THAN \"\${OUTPUT}\"
   OR [=[${DV_GTEST_LIST_SCRIPT}]=] IS_NEWER_THAN \"\${OUTPUT}\")
  include([=[${DV_GTEST_LIST_SCRIPT}]=])
endif()
include(\"\${OUTPUT}\")
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endfunction()

# dv_test_program(TARGET): what every GoogleTest program of the tree shares. Most of a test
# file's compile time is GoogleTest's header, so each program parses it (and the standard
# headers most test files include) once, as a precompiled header. Tests keep line tables
# only: a failing test's backtrace still names files and lines, and the test programs
# compile markedly faster without full debug information (the library keeps its own).
function(dv_test_program target)
  dv_warnings(${target})
  target_precompile_headers(${target} PRIVATE
    <gtest/gtest.h> <vector> <string> <algorithm> <iterator> <fstream> <cmath>)
  target_compile_options(${target} PRIVATE -gline-tables-only)
endfunction()
