// One definition, two builds.
//
// Every entry point of the runtime is an ordinary function in namespace dv.
// In the hosted build (dvcore) that is all it is. In the artifact build the
// body is emitted under the public link name (an asm label with default
// visibility) and dv::name becomes an alias of it, so library code calling
// dv::name and outside modules calling the public name reach the same code.
//
// Use inside namespace dv, after the header that declares dv::name:
//   DV_FUNCTION(void*, malloc, (size_t size)) { ... }
//   DV_FUNCTION_AS(void*, operator_new, "_Znwm", (size_t size)) { ... }
#pragma once

#if defined(DV_ARTIFACT)
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
