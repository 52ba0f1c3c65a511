# The containers' out-of-line parts and exports.
dv_sources(DV_LIBRARY_SOURCES containers
  hash.cpp
  map_exports.cpp
)
