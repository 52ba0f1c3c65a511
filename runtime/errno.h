// The library's single error number, set by the stream layer.
#pragma once

namespace dv {

enum ErrorCode : int {
  kNoSuchFile = 2,
  kIoError = 5,
  kBadFileDescriptor = 9,
  kOutOfMemory = 12,
  kPermissionDenied = 13,
  kFileExists = 17,
  kInvalidArgument = 22,
};

extern int dv_errno;

} // namespace dv
