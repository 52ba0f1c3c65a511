#include "runtime/errno.h"

#include "runtime/export.h"

namespace dv {

#if defined(DV_ARTIFACT) && defined(__MACH__)
int dv_errno = 0;
DV_PUBLISH_AS(dv_errno, "dv_errno")
#elif defined(DV_ARTIFACT)
DV_EXPORTED_DATA extern int dv_errno_export_ __asm__("dv_errno");
DV_EXPORTED_DATA int dv_errno_export_ = 0;
extern int dv_errno [[gnu::alias("dv_errno")]];
#else
int dv_errno = 0;
#endif

DV_FUNCTION(const char*, strerror, (int code)) {
  switch (code) {
  case 0:
    return "ok";
  case kNoSuchFile:
    return "no such file";
  case kIoError:
    return "i/o error";
  case kBadFileDescriptor:
    return "bad file descriptor";
  case kOutOfMemory:
    return "out of memory";
  case kPermissionDenied:
    return "permission denied";
  case kFileExists:
    return "file exists";
  case kInvalidArgument:
    return "invalid argument";
  default:
    return "error";
  }
}

} // namespace dv
