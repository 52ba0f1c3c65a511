# Included by ctest (cmake/DvGtest.cmake): writes OUTPUT, the ctest entries of EXECUTABLE's
# suites, one NAME.SUITE per suite with ENVIRONMENT (a list of VAR=value).
execute_process(COMMAND ${EXECUTABLE} --gtest_list_tests
  OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${EXECUTABLE} --gtest_list_tests failed (${status}):\n${listing}")
endif()
# Suite lines start in the first column and end with '.' (a comment on the type or value
# parameter may follow); case lines are indented; gtest_main's greeting is neither.
string(REGEX MATCHALL "(^|\n)[A-Za-z0-9_/]+\\.(  #[^\n]*)?(\n|$)" suite_lines "${listing}")
set(entries "")
foreach(line ${suite_lines})
  string(REGEX REPLACE "^\n?([A-Za-z0-9_/]+)\\..*" "\\1" suite "${line}")
  string(APPEND entries "add_test([=[${NAME}.${suite}]=] [=[${EXECUTABLE}]=] "
    "[=[--gtest_filter=${suite}.*]=])\n")
  if(ENVIRONMENT)
    string(APPEND entries "set_tests_properties([=[${NAME}.${suite}]=] PROPERTIES "
      "ENVIRONMENT [=[${ENVIRONMENT}]=])\n")
  endif()
endforeach()
if(entries STREQUAL "")
  message(FATAL_ERROR "${EXECUTABLE} lists no tests")
endif()
file(WRITE ${OUTPUT} "${entries}")
