// The owned buffer behind a writable stream.
#pragma once
#include "dvfs/dvfs.h"

namespace dv {

// Makes room for `needed` bytes: the capacity starts at 256 (or the old capacity) and
// doubles until it is large enough, then the buffer is reallocated. On failure, also when
// the doubled capacity would not fit in 64 bits, sets dv_errno = 12 and the stream's
// error indicator and returns false.
bool dvfs_reserve(DvfsFile* stream, uint64_t needed);

} // namespace dv
