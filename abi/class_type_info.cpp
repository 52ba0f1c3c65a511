// Interim definitions of the class type_info tables for the artifact; weak, so that the
// runtime's data objects take precedence once they are part of the build.
#include "abi/type_info_vtables.h"

#if defined(DV_ARTIFACT)

#include "runtime/export.h"

namespace dv {

[[gnu::weak]] DV_EXPORTED_DATA void* const class_type_info_vtable[4] = {};
[[gnu::weak]] DV_EXPORTED_DATA void* const si_class_type_info_vtable[4] = {};
[[gnu::weak]] DV_EXPORTED_DATA void* const vmi_class_type_info_vtable[4] = {};

} // namespace dv

#endif
