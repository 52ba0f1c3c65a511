// The virtual tables of the three class type_info kinds. Compiler-emitted type_info
// objects point at word 2 of the matching table (the address point). No virtual
// function of a type_info is ever called: the tables only identify the kind.
//
// In the artifact the library defines them (four zero words each); in the hosted build
// the names resolve to the system C++ runtime's tables, which the compiler's type_info
// objects point into as well.
#pragma once

#include "runtime/export.h"

namespace dv {

extern void* const
    class_type_info_vtable[] __asm__(DV_LINK_NAME("_ZTVN10__cxxabiv117__class_type_infoE"));
extern void* const
    si_class_type_info_vtable[] __asm__(DV_LINK_NAME("_ZTVN10__cxxabiv120__si_class_type_infoE"));
extern void* const
    vmi_class_type_info_vtable[] __asm__(DV_LINK_NAME("_ZTVN10__cxxabiv121__vmi_class_type_infoE"));

// The vtable pointer a type_info of each kind holds.
inline const void* class_type_info_address_point() {
  return &class_type_info_vtable[2];
}
inline const void* si_class_type_info_address_point() {
  return &si_class_type_info_vtable[2];
}
inline const void* vmi_class_type_info_address_point() {
  return &vmi_class_type_info_vtable[2];
}

} // namespace dv
