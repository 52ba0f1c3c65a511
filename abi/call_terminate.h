// __clang_call_terminate: where the compiler sends an exception that reaches a noexcept
// boundary. It catches the exception (so it counts as handled) and terminates.
//
// The artifact build force-includes this header into every translation unit
// (-include). The reason is symbol visibility: wherever clang needs this function and
// finds no definition in the translation unit, it emits its own copy as a weak HIDDEN
// definition, and an ELF linker gives the final symbol the most restrictive visibility
// of all copies, so one such copy would keep the exported definition out of the dynamic
// symbol table. With a weak, default-visibility definition present from the first line
// of every translation unit, clang uses it instead of emitting a hidden one, and the
// linker keeps one copy, exported. (Per-file visibility flags cannot help: clang marks
// its copy hidden regardless of -fvisibility.)
#pragma once

#if defined(DV_ARTIFACT)

#include "abi/exception_alloc.h"
#include "abi/terminate.h"

extern "C" [[gnu::weak, gnu::visibility("default"), gnu::noinline]] void
__clang_call_terminate(void* exception) noexcept {
  dv::cxa_begin_catch(exception);
  dv::terminate();
}

#endif
