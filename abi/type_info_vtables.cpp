// The class type_info tables: four zero words each, exported. Only the artifact
// defines them; the hosted build uses the system C++ runtime's.
#include "abi/type_info_vtables.h"

#if defined(DV_ARTIFACT)

#include "runtime/export.h"

namespace dv {

DV_EXPORTED_DATA void* const class_type_info_vtable[4] = {};
DV_EXPORTED_DATA void* const si_class_type_info_vtable[4] = {};
DV_EXPORTED_DATA void* const vmi_class_type_info_vtable[4] = {};

} // namespace dv

#endif
