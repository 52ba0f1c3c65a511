// The virtual tables of the three class type_info kinds. Nothing ever calls through
// them: they are identities. A compiler-emitted type_info points at the third word of
// its kind's table (the address point).
#pragma once

#if defined(DV_ARTIFACT)
#define DV_CLASS_TYPE_INFO_SYMBOL(symbol) __asm__(symbol)
#else
#define DV_CLASS_TYPE_INFO_SYMBOL(symbol)
#endif

namespace dv {

inline constexpr int kClassTypeInfoVtableWords = 4;
inline constexpr int kClassTypeInfoAddressPoint = 2;

extern void* class_type_info_vtable[kClassTypeInfoVtableWords] DV_CLASS_TYPE_INFO_SYMBOL(
    "_ZTVN10__cxxabiv117__class_type_infoE");
extern void* si_class_type_info_vtable[kClassTypeInfoVtableWords] DV_CLASS_TYPE_INFO_SYMBOL(
    "_ZTVN10__cxxabiv120__si_class_type_infoE");
extern void* vmi_class_type_info_vtable[kClassTypeInfoVtableWords] DV_CLASS_TYPE_INFO_SYMBOL(
    "_ZTVN10__cxxabiv121__vmi_class_type_infoE");

inline const void* class_type_info_address_point() {
  return &class_type_info_vtable[kClassTypeInfoAddressPoint];
}
inline const void* si_class_type_info_address_point() {
  return &si_class_type_info_vtable[kClassTypeInfoAddressPoint];
}
inline const void* vmi_class_type_info_address_point() {
  return &vmi_class_type_info_vtable[kClassTypeInfoAddressPoint];
}

} // namespace dv
