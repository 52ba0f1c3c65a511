#include "runtime/errno.h"

#include "runtime/export.h"

namespace dv {

#if defined(DV_ARTIFACT)
DV_EXPORTED_DATA extern int dv_errno_export_ __asm__("dv_errno");
DV_EXPORTED_DATA int dv_errno_export_ = 0;
extern int dv_errno [[gnu::alias("dv_errno")]];
#else
int dv_errno = 0;
#endif

} // namespace dv
