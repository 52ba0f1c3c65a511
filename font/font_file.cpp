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

} // namespace

namespace dv {

DV_FUNCTION_AS(void*, dv_ttf_font_load_ex, "_Z19dv_ttf_font_load_exPKcfj",
               (const char* path, float pixel_size, unsigned int options)) {
  if (path == nullptr) {
    return nullptr;
  }
  DvfsFile* stream = dvfs_fopen(path, "rb");
  if (stream == nullptr) {
    return nullptr;
  }
  dv::vector<unsigned char> bytes;
  const bool read = read_whole_stream(stream, &bytes);
  dvfs_fclose(stream);
  if (!read) {
    return nullptr;
  }
  return dv_ttf_font_load_memory_ex(bytes.data, bytes.size, pixel_size, options);
}

DV_FUNCTION_AS(void*, dv_ttf_font_load, "_Z16dv_ttf_font_loadPKcf",
               (const char* path, float pixel_size)) {
  return dv_ttf_font_load_ex(path, pixel_size, 0);
}

} // namespace dv
