#include "font/sfnt/collection.h"

#include "font/sfnt/sfnt.h"

namespace {

constexpr uint64_t kHeaderSize = 12; // tag, major and minor version, face count
constexpr uint64_t kOffsetSize = 4;

} // namespace

bool is_collection(ByteView data) {
  return has_bytes(data, 0, 4) && read_u32_be(data, 0) == kCollectionTag;
}

uint32_t collection_face_count(ByteView data) {
  if (!is_collection(data) || !has_bytes(data, 0, kHeaderSize))
    return 0;
  const uint32_t count = read_u32_be(data, 8);
  return has_bytes(data, kHeaderSize, kOffsetSize * count) ? count : 0;
}

bool collection_face_directory(ByteView data, uint32_t face, uint32_t& directory) {
  if (face >= collection_face_count(data))
    return false;
  directory = read_u32_be(data, kHeaderSize + kOffsetSize * face);
  return true;
}

bool sfnt_face_directory(ByteView data, uint32_t face, uint32_t& directory) {
  if (is_collection(data))
    return collection_face_directory(data, face, directory);
  directory = 0;
  return face == 0;
}
