// Data objects the language runtime exports: std::nothrow and __dso_handle. Only the
// artifact defines them; the hosted build has the system's.
#if defined(DV_ARTIFACT)

#include "runtime/export.h"

namespace std {
struct nothrow_t {
  explicit nothrow_t() = default;
};
// Zero-filled; there is no nothrow operator new, the object exists for modules that
// refer to it.
DV_EXPORTED_DATA extern const nothrow_t nothrow;
DV_EXPORTED_DATA const nothrow_t nothrow{};
} // namespace std

// Identifies the library for __cxa_atexit.
extern "C" DV_EXPORTED_DATA void* __dso_handle;
extern "C" DV_EXPORTED_DATA void* __dso_handle = nullptr;

#endif
