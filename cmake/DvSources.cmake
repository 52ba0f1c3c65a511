# Source lists. Every directory of sources keeps its files in a sources.cmake of its own
# (runtime/sources.cmake, font/sources.cmake, tests/sources.cmake, ...), written out by
# name: a file that is not listed is not built. dv_check_sources_listed() fails the
# configure when a .cpp, .c or .S under the source directories is in no list, naming the
# sources.cmake it belongs in, so a new file cannot be forgotten.

# dv_sources(VARIABLE DIRECTORY FILE...): appends DIRECTORY/FILE... (DIRECTORY relative to
# the source root) to VARIABLE in the caller's scope, as full paths, and records them as
# listed.
function(dv_sources variable directory)
  set(listed "")
  set(paths "")
  foreach(file ${ARGN})
    list(APPEND listed ${directory}/${file})
    list(APPEND paths ${CMAKE_SOURCE_DIR}/${directory}/${file})
  endforeach()
  set_property(GLOBAL APPEND PROPERTY DV_LISTED_SOURCES ${listed})
  set(${variable} ${${variable}} ${paths} PARENT_SCOPE)
endfunction()

# Fails the configure for every source file under DIRECTORY... that no dv_sources call
# listed.
function(dv_check_sources_listed)
  get_property(listed GLOBAL PROPERTY DV_LISTED_SOURCES)
  set(unlisted "")
  foreach(directory ${ARGN})
    file(GLOB_RECURSE found RELATIVE ${CMAKE_SOURCE_DIR}
      ${CMAKE_SOURCE_DIR}/${directory}/*.cpp ${CMAKE_SOURCE_DIR}/${directory}/*.c
      ${CMAKE_SOURCE_DIR}/${directory}/*.S)
    foreach(file ${found})
      if(NOT file IN_LIST listed)
        dv_sources_file_for(${file} list_file)
        string(APPEND unlisted "\n  ${file}: add it to ${list_file}")
      endif()
    endforeach()
  endforeach()
  if(unlisted)
    message(FATAL_ERROR "Source files that no source list names (each is built only when "
      "listed):${unlisted}")
  endif()
endfunction()

# The sources.cmake nearest above FILE (relative to the source root).
function(dv_sources_file_for file result)
  get_filename_component(directory ${file} DIRECTORY)
  while(directory AND NOT EXISTS ${CMAKE_SOURCE_DIR}/${directory}/sources.cmake)
    get_filename_component(directory ${directory} DIRECTORY)
  endwhile()
  set(${result} ${directory}/sources.cmake PARENT_SCOPE)
endfunction()
