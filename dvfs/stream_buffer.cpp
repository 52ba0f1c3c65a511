#include "dvfs/stream_buffer.h"

#include "runtime/errno.h"
#include "runtime/malloc.h"

namespace dv {
namespace {

constexpr uint64_t kFirstCapacity = 256;

bool fail_out_of_memory(DvfsFile* stream) {
  dv_errno = kOutOfMemory;
  stream->error = 1;
  return false;
}

} // namespace

bool dvfs_reserve(DvfsFile* stream, uint64_t needed) {
  if (stream->capacity >= needed)
    return true;
  uint64_t capacity = stream->capacity == 0 ? kFirstCapacity : stream->capacity;
  while (capacity < needed) {
    if (capacity > UINT64_MAX / 2)
      return fail_out_of_memory(stream);
    capacity *= 2;
  }
  void* grown = realloc(stream->buffer, capacity);
  if (grown == nullptr)
    return fail_out_of_memory(stream);
  stream->buffer = static_cast<uint8_t*>(grown);
  stream->data = stream->buffer;
  stream->capacity = capacity;
  return true;
}

} // namespace dv
