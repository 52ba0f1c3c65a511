#include "abi/sjlj_context.h"
#include "runtime/export.h"

namespace dv {

DovrelSjLjContext* gSjLjHead = nullptr;

DV_FUNCTION_AS(void, unwind_sjlj_register, "_Unwind_SjLj_Register",
               (DovrelSjLjContext * context) noexcept) {
  context->prev = gSjLjHead;
  gSjLjHead = context;
}

DV_FUNCTION_AS(void, unwind_sjlj_unregister, "_Unwind_SjLj_Unregister",
               (DovrelSjLjContext * context) noexcept) {
  if (gSjLjHead == context) {
    gSjLjHead = context->prev;
    return;
  }
  for (DovrelSjLjContext* newer = gSjLjHead; newer != nullptr; newer = newer->prev) {
    if (newer->prev == context) {
      newer->prev = context->prev;
      return;
    }
  }
}

} // namespace dv
