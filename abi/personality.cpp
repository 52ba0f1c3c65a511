#include "abi/personality.h"

#include "runtime/export.h"

namespace dv {

DV_FUNCTION_AS(int, gxx_personality_sj0, "__gxx_personality_sj0", () noexcept) {
  return 0;
}

DV_FUNCTION_AS(int, gxx_personality_v0, "__gxx_personality_v0", () noexcept) {
  return 0;
}

} // namespace dv
