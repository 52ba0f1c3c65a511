#include "abi/terminate.h"

#include "abi/abort.h"
#include "runtime/export.h"

namespace dv {

DV_FUNCTION_AS(void, terminate, "_ZSt9terminatev", () noexcept) {
  dv::abort();
}

DV_FUNCTION_AS(void, cxa_pure_virtual, "__cxa_pure_virtual", () noexcept) {
  dv::abort();
}

} // namespace dv
