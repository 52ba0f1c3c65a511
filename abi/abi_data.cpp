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
#if defined(__MACH__)
// The Mach-O linker defines a hidden ___dso_handle of its own in every image and
// refuses both a second definition and exporting its own. The object is therefore
// linked under a stand-in name of the same length, which the build renames to
// ___dso_handle in the finished dylib (tools/name_dso_handle.sh explains).
extern "C" DV_EXPORTED_DATA void* dv_dso_handle __asm__(DV_LINK_NAME("__dso_handlZ"));
extern "C" DV_EXPORTED_DATA void* dv_dso_handle = nullptr;
#else
extern "C" DV_EXPORTED_DATA void* __dso_handle;
extern "C" DV_EXPORTED_DATA void* __dso_handle = nullptr;
#endif

#endif
