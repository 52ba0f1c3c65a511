// The SjLj entry points compiled code refers to: the context chain works; raising and
// resuming exceptions is not supported here and halts.
#include "abi/abort.h"
#include "abi/sjlj_context.h"
#include "runtime/export.h"

namespace dv {

DovrelSjLjContext* gSjLjHead = nullptr;

[[noreturn]] void _Unwind_SjLj_Resume(void* exception) noexcept;
int __gxx_personality_sj0() noexcept;

DV_FUNCTION(void, _Unwind_SjLj_Register, (DovrelSjLjContext * context)) {
  context->prev = gSjLjHead;
  gSjLjHead = context;
}

DV_FUNCTION(void, _Unwind_SjLj_Unregister, (DovrelSjLjContext * context)) {
  if (gSjLjHead == context) {
    gSjLjHead = context->prev;
    return;
  }
  for (DovrelSjLjContext* link = gSjLjHead; link; link = link->prev) {
    if (link->prev == context) {
      link->prev = context->prev;
      return;
    }
  }
}

DV_FUNCTION(void, _Unwind_SjLj_Resume, (void*) noexcept) {
  dv::abort();
}

DV_FUNCTION(int, __gxx_personality_sj0, () noexcept) {
  dv::abort();
}

} // namespace dv
