#include "abi/class_type_info.h"

#include "runtime/export.h"

namespace dv {

DV_EXPORTED_DATA void* class_type_info_vtable[kClassTypeInfoVtableWords] = {};
DV_EXPORTED_DATA void* si_class_type_info_vtable[kClassTypeInfoVtableWords] = {};
DV_EXPORTED_DATA void* vmi_class_type_info_vtable[kClassTypeInfoVtableWords] = {};

} // namespace dv
