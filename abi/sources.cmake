# The C++ language-support runtime: allocation, SjLj exceptions, RTTI, static init.
dv_sources(DV_LIBRARY_SOURCES abi
  abi_data.cpp
  abort.cpp
  allocation_scope.cpp
  exception_alloc.cpp
  exception_table.cpp
  jumps.S
  operator_new.cpp
  personality.cpp
  sjlj_chain.cpp
  sjlj_dispatch.cpp
  static_init.cpp
  table_cursor.cpp
  terminate.cpp
  tlv_bootstrap.cpp
  type_info_vtables.cpp
  type_matching.cpp
)
