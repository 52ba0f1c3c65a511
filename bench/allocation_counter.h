// Counts the bytes held through the global operator new of this process, so a benchmark
// can measure what a data structure costs, container overhead included.
#pragma once
#include <cstddef>

namespace bench {

// Bytes requested through operator new and not yet deleted.
size_t live_new_bytes();

} // namespace bench
