# Building code of the boot environment: the artifact itself, and modules that bind to it
# (the example module, the exception client). All of them are compiled freestanding, with
# hidden symbols and the SjLj exception model the library's runtime dispatches, in two
# forms: an ELF shared object and x86-64 Mach-O linked by ld64.lld.

# No system headers, only the compiler's freestanding ones, and no calls the compiler
# invents on its own. The hosted build of the library (dvcore) uses these too.
set(DV_FREESTANDING_FLAGS
  -ffreestanding -fno-builtin -nostdlibinc -nostdinc++ -fno-stack-protector)
set(DV_MODULE_FLAGS ${DV_FREESTANDING_FLAGS}
  -fPIC -fvisibility=hidden -frtti -fexceptions -fsjlj-exceptions)
# An ELF module links against nothing but what it names.
set(DV_MODULE_LINK_FLAGS -nostdlib -Wl,--no-undefined -Wl,-z,noexecstack)

# Mach-O: the baseline CPU (the Mach-O driver's default is newer than the machine).
find_program(DV_LD64_LLD NAMES ld64.lld-14 ld64.lld REQUIRED)
set(DV_MACHO_TARGET_FLAGS --target=x86_64-apple-macos11 -march=x86-64)
set(DV_MACHO_LINK_FLAGS -arch x86_64 -platform_version macos 11.0 11.0 -fatal_warnings)

# dv_module_compile_options(TARGET OPTIMIZATION [MACHO]): the module flags on TARGET, at
# OPTIMIZATION (-O1, -O2), for Mach-O with MACHO.
function(dv_module_compile_options target optimization)
  cmake_parse_arguments(PARSE_ARGV 2 arg "MACHO" "" "")
  if(arg_MACHO)
    target_compile_options(${target} PRIVATE ${DV_MACHO_TARGET_FLAGS})
  endif()
  target_compile_options(${target} PRIVATE ${optimization} ${DV_MODULE_FLAGS})
endfunction()

# dv_macho_link(NAME OUTPUT FILE OBJECTS OBJECT_LIBRARY KIND -dylib|-bundle
#               [ARGS ld64 options...] [INPUTS files after the objects...]
#               [FINISH script run on the linked file before it takes FILE's name]
#               [DEPENDS more files the link reads] [ALL])
# Links OBJECT_LIBRARY's objects into FILE with ld64.lld, built by custom target NAME.
function(dv_macho_link name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "ALL" "OUTPUT;OBJECTS;KIND;FINISH" "ARGS;INPUTS;DEPENDS")
  set(linked ${arg_OUTPUT})
  set(finish "")
  if(arg_FINISH)
    set(linked ${arg_OUTPUT}.linked)
    set(finish COMMAND ${arg_FINISH} ${linked}
      COMMAND ${CMAKE_COMMAND} -E rename ${linked} ${arg_OUTPUT})
  endif()
  add_custom_command(
    OUTPUT ${arg_OUTPUT}
    COMMAND ${DV_LD64_LLD} ${arg_KIND} ${DV_MACHO_LINK_FLAGS} ${arg_ARGS}
      $<TARGET_OBJECTS:${arg_OBJECTS}> ${arg_INPUTS} -o ${linked}
    ${finish}
    DEPENDS $<TARGET_OBJECTS:${arg_OBJECTS}> ${arg_INPUTS} ${arg_DEPENDS} ${arg_FINISH}
    COMMAND_EXPAND_LISTS
    COMMENT "Linking Mach-O ${arg_KIND} ${name}")
  set(all "")
  if(arg_ALL)
    set(all ALL)
  endif()
  add_custom_target(${name} ${all} DEPENDS ${arg_OUTPUT})
endfunction()
