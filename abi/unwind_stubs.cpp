// The SjLj entry points compiled code refers to: the context chain works; raising and
// resuming exceptions is not supported here and halts.
#include "abi/abort.h"
#include "runtime/export.h"

namespace dv {

struct SjLjContextLink {
  SjLjContextLink* prev;
};

SjLjContextLink* gSjLjHead = nullptr;

void unwind_sjlj_register(SjLjContextLink* context) noexcept;
void unwind_sjlj_unregister(SjLjContextLink* context) noexcept;
[[noreturn]] void unwind_sjlj_resume(void* exception) noexcept;
int gxx_personality_sj0() noexcept;

DV_FUNCTION_AS(void, unwind_sjlj_register, "_Unwind_SjLj_Register",
               (SjLjContextLink * context) noexcept) {
  context->prev = gSjLjHead;
  gSjLjHead = context;
}

DV_FUNCTION_AS(void, unwind_sjlj_unregister, "_Unwind_SjLj_Unregister",
               (SjLjContextLink * context) noexcept) {
  if (gSjLjHead == context) {
    gSjLjHead = context->prev;
    return;
  }
  for (SjLjContextLink* link = gSjLjHead; link; link = link->prev) {
    if (link->prev == context) {
      link->prev = context->prev;
      return;
    }
  }
}

DV_FUNCTION_AS(void, unwind_sjlj_resume, "_Unwind_SjLj_Resume", (void*) noexcept) {
  dv::abort();
}

DV_FUNCTION_AS(int, gxx_personality_sj0, "__gxx_personality_sj0", () noexcept) {
  dv::abort();
}

} // namespace dv
