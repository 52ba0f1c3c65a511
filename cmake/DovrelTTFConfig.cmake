# find_package(DovrelTTF) for a module of the boot environment. Gives
# - DovrelTTF::DovrelTTF: the headers, the ELF artifact and a module's freestanding
#   compile and link flags (no C or C++ library: the library is the module's runtime);
# - dovrelttf_add_module(NAME SOURCE... [MACHO]): libNAME.so, an ELF module linked against
#   the artifact, and with MACHO also NAME.bundle, the Mach-O form the machine loads,
#   compiled with the same flags and linked by ld64.lld against DovrelTTF.dylib.
# The compiler must be clang++ (for -fsjlj-exceptions and the Mach-O target). Paths are
# taken from this file's place, so a moved installation works.
get_filename_component(DOVRELTTF_PREFIX "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
set(DOVRELTTF_INCLUDE_DIR "${DOVRELTTF_PREFIX}/include")
set(DOVRELTTF_LIBRARY "${DOVRELTTF_PREFIX}/lib/dovrelttf/libDovrelTTF.so")
set(DOVRELTTF_DYLIB "${DOVRELTTF_PREFIX}/lib/dovrelttf/DovrelTTF.dylib")
set(DOVRELTTF_MODULE_FLAGS -ffreestanding -fno-builtin -nostdlibinc -nostdinc++
    -fno-stack-protector -fvisibility=hidden -fexceptions -fsjlj-exceptions)

if(NOT TARGET DovrelTTF::DovrelTTF)
  add_library(DovrelTTF::DovrelTTF SHARED IMPORTED)
  set_target_properties(DovrelTTF::DovrelTTF PROPERTIES
    IMPORTED_LOCATION "${DOVRELTTF_LIBRARY}"
    IMPORTED_SONAME "/lib/DovrelTTF.dylib"
    INTERFACE_INCLUDE_DIRECTORIES "${DOVRELTTF_INCLUDE_DIR}"
    INTERFACE_COMPILE_OPTIONS "${DOVRELTTF_MODULE_FLAGS}"
    INTERFACE_LINK_OPTIONS "-nostdlib;-fuse-ld=lld;LINKER:--no-undefined;LINKER:-z,noexecstack")
endif()

function(dovrelttf_add_module name)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "MACHO" "" "")
  set(sources ${ARG_UNPARSED_ARGUMENTS})
  add_library(${name} SHARED ${sources})
  target_link_libraries(${name} PRIVATE DovrelTTF::DovrelTTF)
  set_target_properties(${name} PROPERTIES CXX_STANDARD 20 CXX_EXTENSIONS OFF)
  if(NOT ARG_MACHO)
    return()
  endif()
  find_program(DOVRELTTF_LD64 NAMES ld64.lld-14 ld64.lld REQUIRED)
  set(object_dir "${CMAKE_CURRENT_BINARY_DIR}/${name}.macho")
  set(objects)
  foreach(source IN LISTS sources)
    get_filename_component(path "${source}" ABSOLUTE)
    get_filename_component(stem "${source}" NAME_WE)
    set(object "${object_dir}/${stem}.o")
    add_custom_command(OUTPUT "${object}"
      COMMAND ${CMAKE_COMMAND} -E make_directory "${object_dir}"
      COMMAND ${CMAKE_CXX_COMPILER} --target=x86_64-apple-macos11 -march=x86-64 -std=c++20 -O2
              -fPIC ${DOVRELTTF_MODULE_FLAGS} "-I${DOVRELTTF_INCLUDE_DIR}" -c "${path}"
              -o "${object}"
      DEPENDS "${path}" VERBATIM)
    list(APPEND objects "${object}")
  endforeach()
  set(bundle "${CMAKE_CURRENT_BINARY_DIR}/${name}.bundle")
  add_custom_command(OUTPUT "${bundle}"
    COMMAND ${DOVRELTTF_LD64} -bundle -arch x86_64 -platform_version macos 11.0 11.0
            -U dyld_stub_binder ${objects} "${DOVRELTTF_DYLIB}" -o "${bundle}"
    DEPENDS ${objects} VERBATIM)
  add_custom_target(${name}_bundle ALL DEPENDS "${bundle}")
endfunction()
