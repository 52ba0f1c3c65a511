// The library's single error number, set by the stream layer, and the texts that
// describe its codes.
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

// The text for an error code; "ok" for 0 and "error" for codes the library never sets.
const char* strerror(int code);

} // namespace dv
