# File and stream functions over the host's files.
dv_sources(DV_LIBRARY_SOURCES dvfs
  file_operations.cpp
  image_stubs.cpp
  stream_buffer.cpp
  stream_open.cpp
  stream_position.cpp
  stream_read.cpp
  stream_write.cpp
)
