// Data objects the language runtime exports: std::nothrow, __dso_handle and the class
// type_info tables. Only the artifact defines them; the hosted build uses the system's.
#include "abi/type_info_vtables.h"

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

namespace dv {

DV_EXPORTED_DATA void* const class_type_info_vtable[4] = {};
DV_EXPORTED_DATA void* const si_class_type_info_vtable[4] = {};
DV_EXPORTED_DATA void* const vmi_class_type_info_vtable[4] = {};

} // namespace dv

#endif
