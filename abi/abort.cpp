#include "abi/abort.h"

#include "runtime/export.h"

namespace dv {

DV_FUNCTION(void, abort, () noexcept) {
#if defined(DV_ARTIFACT)
  // If an interrupt or NMI ever resumes the processor, halt again.
  for (;;)
    __asm__ volatile("cli\n\thlt" ::: "memory");
#else
  __builtin_trap();
#endif
}

} // namespace dv
