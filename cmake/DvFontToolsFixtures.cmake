# Test fonts built with fontTools at build time (tests/support/fonttools/): each generator
# NAME.py is run as `python3 NAME.py DIRECTORY` and writes its fonts into DIRECTORY
# (DV_FONTTOOLS_FIXTURE_DIR), NAME.txt last, which stands for all of them. The tests find
# the directory through the compile definition DV_FONTTOOLS_FIXTURES.
#
# The generators need Debian's python3 with python3-fonttools; /usr/bin/python3 is named
# outright, as another python3 earlier on PATH may lack fontTools.

set(DV_FONTTOOLS_FIXTURE_DIR ${CMAKE_BINARY_DIR}/fonttools-fixtures)

# Fails the configure when /usr/bin/python3 cannot import what the generators use.
function(dv_require_fonttools)
  find_program(DV_FONTTOOLS_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
  set(status 1)
  if(DV_FONTTOOLS_PYTHON)
    execute_process(
      COMMAND ${DV_FONTTOOLS_PYTHON} -c
        "import fontTools.fontBuilder, fontTools.varLib, fontTools.varLib.instancer"
      RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
  endif()
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "The tests build font fixtures with fontTools, which /usr/bin/python3 "
      "cannot import: install python3 and python3-fonttools (tools/install-deps.sh does).")
  endif()
endfunction()

# dv_fonttools_fixtures(GENERATOR...): the target fonttools_fixtures, which runs each
# GENERATOR (a name in tests/support/fonttools/) into the fixture directory, again when any
# generator or a module they share changes.
function(dv_fonttools_fixtures)
  dv_require_fonttools()
  set(directory ${CMAKE_SOURCE_DIR}/tests/support/fonttools)
  file(GLOB scripts CONFIGURE_DEPENDS ${directory}/*.py)
  set(manifests "")
  foreach(generator ${ARGN})
    set(manifest ${DV_FONTTOOLS_FIXTURE_DIR}/${generator}.txt)
    # -B: no bytecode caches in the source tree; -I: nothing from the user's environment.
    add_custom_command(OUTPUT ${manifest}
      COMMAND ${DV_FONTTOOLS_PYTHON} -B -I ${directory}/${generator}.py ${DV_FONTTOOLS_FIXTURE_DIR}
      DEPENDS ${scripts}
      COMMENT "Building the ${generator} test fonts with fontTools"
      VERBATIM)
    list(APPEND manifests ${manifest})
  endforeach()
  add_custom_target(fonttools_fixtures DEPENDS ${manifests})
endfunction()

# dv_use_fonttools_fixtures(TARGET): TARGET is built after the fixtures and finds them
# through DV_FONTTOOLS_FIXTURES.
function(dv_use_fonttools_fixtures target)
  add_dependencies(${target} fonttools_fixtures)
  target_compile_definitions(${target} PRIVATE DV_FONTTOOLS_FIXTURES="${DV_FONTTOOLS_FIXTURE_DIR}")
endfunction()
