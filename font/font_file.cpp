#include "abi/allocation_scope.h"
#include "containers/vector.h"
#include "dvfs/dvfs.h"
#include "font/font_api.h"
#include "runtime/export.h"

namespace {

constexpr int kSeekSet = 0;
constexpr int kSeekEnd = 2;

// The whole file behind `stream`, or false when its size or bytes cannot be read.
bool read_whole_stream(dv::DvfsFile* stream, dv::vector<unsigned char>* bytes) {
  if (dv::dvfs_fseek(stream, 0, kSeekEnd) != 0) {
    return false;
  }
  const int64_t size = dv::dvfs_ftell(stream);
  if (size < 0 || dv::dvfs_fseek(stream, 0, kSeekSet) != 0) {
    return false;
  }
  bytes->resize(static_cast<size_t>(size));
  if (size == 0) {
    return true;
  }
  return dv::dvfs_fread(bytes->data, 1, bytes->size, stream) == bytes->size;
}

// Closes the stream however the reading ends, a failed allocation included.
struct StreamCloser {
  dv::DvfsFile* stream;
  ~StreamCloser() {
    if (stream != nullptr) {
      dv::dvfs_fclose(stream);
    }
  }
};

void* load_from_file(const char* path, float pixel_size, unsigned int options) {
  if (path == nullptr) {
    return nullptr;
  }
  dv::vector<unsigned char> bytes;
  {
    const StreamCloser file{dv::dvfs_fopen(path, "rb")};
    if (file.stream == nullptr || !read_whole_stream(file.stream, &bytes)) {
      return nullptr;
    }
  }
  return dv::dv_ttf_font_load_memory_ex(bytes.data, bytes.size, pixel_size, options);
}

} // namespace

namespace dv {

// In an allocation scope like every font function: a file the heap cannot hold gives null.
DV_FUNCTION_AS(void*, dv_ttf_font_load, "_Z16dv_ttf_font_loadPKcf",
               (const char* path, float pixel_size)) {
  return null_on_allocation_failure([&] { return load_from_file(path, pixel_size, 0); });
}

DV_FUNCTION_AS(void*, dv_ttf_font_load_ex, "_Z19dv_ttf_font_load_exPKcfj",
               (const char* path, float pixel_size, unsigned int options)) {
  return null_on_allocation_failure([&] { return load_from_file(path, pixel_size, options); });
}

} // namespace dv
