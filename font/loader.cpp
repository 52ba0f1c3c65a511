#include "font/loader.h"

#include "containers/unique_ptr.h"
#include "containers/vector.h"
#include "dvfs/dvfs.h"
#include "font/cff/backend.h"
#include "font/load_options.h"
#include "font/sfnt/collection.h"
#include "font/sfnt/sfnt.h"
#include "font/sfnt/sfnt_font.h"
#include "font/truetype/backend.h"
#include "font/type1/backend.h"

namespace {

constexpr uint32_t kSfntVersionTrueType = 0x00010000;
constexpr uint32_t kSfntVersionTrue = 0x74727565; // "true"
constexpr uint32_t kSfntVersionCff = 0x4F54544F;  // "OTTO"
constexpr unsigned char kPfbSegmentMarker = 0x80;
constexpr unsigned char kPfaFirstByte = '%';

// The backend for an sfnt face with version tag `version`, or null when the options do
// not accept that outline format.
FontBackend* sfnt_backend_for(uint32_t version, unsigned int options) {
  if (version == kSfntVersionTrueType || version == kSfntVersionTrue)
    return make_truetype_backend(options);
  if (version == kSfntVersionCff && (options & load_option::kOpenTypeCff) != 0)
    return make_cff_backend(options);
  return nullptr;
}

// A collection's face is judged by its own version tag; every other file has one face, 0.
FontBackend* backend_for(ByteView bytes, unsigned int options) {
  if ((options & load_option::kReservedBits) != 0)
    return nullptr;
  const uint32_t face = load_option::face_index(options);
  if ((options & load_option::kCollections) != 0 && is_collection(bytes)) {
    uint32_t directory = 0;
    if (!collection_face_directory(bytes, face, directory))
      return nullptr;
    return sfnt_backend_for(sfnt_version_at(bytes, directory), options);
  }
  if (face != 0)
    return nullptr;
  if (bytes.size >= 4) {
    if (FontBackend* backend = sfnt_backend_for(read_u32_be(bytes, 0), options))
      return backend;
  }
  if (bytes.data[0] == kPfbSegmentMarker || bytes.data[0] == kPfaFirstByte)
    return make_type1_backend(options);
  return nullptr;
}

// The handle of a font whose whole file is `bytes` (not empty). The bytes move into the
// backend, which keeps them when its format reads the file in place.
FontHandle* load_font(FontBytes bytes, float pixel_size, unsigned int options) {
  dv::unique_ptr<FontBackend> backend(backend_for(bytes, options));
  if (!backend || !backend->load(dv::move(bytes)))
    return nullptr;
  auto* handle = new FontHandle;
  handle->backend = backend.release();
  handle->pixel_size = clamp_pixel_size(pixel_size);
  return handle;
}

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

} // namespace

FontHandle* load_font_from_memory(const void* data, unsigned long size, float pixel_size,
                                  unsigned int options) {
  if (data == nullptr || size == 0)
    return nullptr;
  const auto* first = static_cast<const unsigned char*>(data);
  if ((options & load_option::kBorrow) != 0)
    return load_font(FontBytes::borrow(first, size), pixel_size, options);
  // Reserved first, so the one copy takes the font's size and no more.
  dv::vector<unsigned char> bytes;
  bytes.reserve(size);
  bytes.insert(bytes.data, first, first + size);
  return load_font(dv::move(bytes), pixel_size, options);
}

FontHandle* load_font_from_file(const char* path, float pixel_size, unsigned int options) {
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
  if (bytes.size == 0)
    return nullptr;
  return load_font(dv::move(bytes), pixel_size, options);
}
