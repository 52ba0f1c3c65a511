// One definition, two builds.
//
// Every entry point of the runtime is an ordinary function in namespace dv.
// In the hosted build (dvcore) that is all it is. In the artifact build the
// function is also reachable under its public link name, so library code calling
// dv::name and outside modules calling the public name reach the same code:
//
// - ELF: the body is emitted under the public name (an asm label with default
//   visibility) and dv::name becomes an alias of it.
// - Mach-O, which has no aliases: the body is dv::name, and an assembler `.set`
//   gives the public name the same address. The `.set` sits in a tiny unused
//   function because only a statement-level asm can name dv::name's mangled symbol
//   (as an operand); the directives themselves emit no code there.
//
// Use inside namespace dv, after the header that declares dv::name:
//   DV_FUNCTION(void*, malloc, (size_t size)) { ... }
//   DV_FUNCTION_AS(void*, operator_new, "_Znwm", (size_t size)) { ... }
#pragma once

#define DV_STRINGIFY_(text) #text
#define DV_STRINGIFY(text) DV_STRINGIFY_(text)
// The link name of a C-level `symbol`: Mach-O puts an underscore before every C name,
// ELF nothing. Asm labels are taken literally, so every one that names a public symbol
// goes through this.
#define DV_LINK_NAME(symbol) DV_STRINGIFY(__USER_LABEL_PREFIX__) symbol

#if defined(DV_ARTIFACT) && defined(__MACH__)
// Publishes `object` (a function or data object of namespace dv) under `symbol`.
#define DV_PUBLISH_AS(object, symbol)                                                              \
  [[gnu::used]] static void object##_publish_() {                                                  \
    __asm__(".globl " DV_LINK_NAME(symbol) "\n\t.set " DV_LINK_NAME(symbol) ", %c0" ::"i"(         \
        &::dv::object));                                                                           \
  }
#define DV_FUNCTION_AS(type, name, symbol, arglist)                                                \
  DV_PUBLISH_AS(name, symbol)                                                                      \
  type name arglist
#define DV_EXPORTED_DATA [[gnu::visibility("default")]]
#elif defined(DV_ARTIFACT)
#define DV_FUNCTION_AS(type, name, symbol, arglist)                                                \
  [[gnu::visibility("default")]] decltype(::dv::name) name##_export_ __asm__(symbol);              \
  decltype(::dv::name) name [[gnu::alias(symbol)]];                                                \
  type name##_export_ arglist
#define DV_EXPORTED_DATA [[gnu::visibility("default")]]
#else
#define DV_FUNCTION_AS(type, name, symbol, arglist) type name arglist
#define DV_EXPORTED_DATA
#endif

#define DV_FUNCTION(type, name, arglist) DV_FUNCTION_AS(type, name, #name, arglist)
