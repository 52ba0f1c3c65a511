// Position and the end-of-file and error indicators.
#include "dvfs/dvfs.h"
#include "runtime/errno.h"
#include "runtime/export.h"

namespace dv {
namespace {

enum Whence : int { kFromStart = 0, kFromCurrent = 1, kFromEnd = 2 };

int fail_seek(DvfsFile* stream) {
  dv_errno = kInvalidArgument;
  stream->error = 1;
  return -1;
}

// The absolute target of a seek; false for an unknown whence or a target outside
// 0..INT64_MAX.
bool seek_target(const DvfsFile* stream, int64_t offset, int whence, int64_t* target) {
  uint64_t base;
  switch (whence) {
  case kFromStart:
    base = 0;
    break;
  case kFromCurrent:
    base = stream->position;
    break;
  case kFromEnd:
    base = stream->size;
    break;
  default:
    return false;
  }
  if (base > uint64_t(INT64_MAX))
    return false;
  if (__builtin_add_overflow(int64_t(base), offset, target))
    return false;
  return *target >= 0;
}

} // namespace

DV_FUNCTION(int, dvfs_fseek, (DvfsFile * stream, int64_t offset, int whence)) {
  if (stream == nullptr) {
    dv_errno = kInvalidArgument;
    return -1;
  }
  int64_t target;
  if (stream->kind != kDvfsMemoryFile || !seek_target(stream, offset, whence, &target))
    return fail_seek(stream);
  stream->position = uint64_t(target);
  stream->eof = stream->position >= stream->size;
  stream->pushback = -1;
  return 0;
}

DV_FUNCTION(int64_t, dvfs_ftell, (DvfsFile * stream)) {
  if (stream == nullptr) {
    dv_errno = kInvalidArgument;
    return -1;
  }
  return int64_t(stream->position);
}

DV_FUNCTION(int, dvfs_feof, (DvfsFile * stream)) {
  return stream == nullptr ? 0 : stream->eof;
}

DV_FUNCTION(int, dvfs_ferror, (DvfsFile * stream)) {
  return stream == nullptr ? 0 : stream->error;
}

DV_FUNCTION(void, dvfs_clearerr, (DvfsFile * stream)) {
  if (stream == nullptr)
    return;
  stream->eof = 0;
  stream->error = 0;
  stream->pushback = -1;
}

} // namespace dv
