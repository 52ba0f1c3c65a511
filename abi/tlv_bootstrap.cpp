#include "abi/tlv_bootstrap.h"

#include "runtime/export.h"

namespace dv {

DV_FUNCTION_AS(void*, tlv_bootstrap, "_tlv_bootstrap", () noexcept) {
  return nullptr;
}

} // namespace dv
