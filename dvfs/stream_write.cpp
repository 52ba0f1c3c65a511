// Writing: console output streams go to the line buffer, memory files to their owned
// buffer until a flush hands the whole file to the host.
#include "dvfs/dvfs.h"
#include "dvfs/stream_buffer.h"
#include "runtime/console.h"
#include "runtime/errno.h"
#include "runtime/export.h"
#include "runtime/memory.h"
#include "runtime/program_api.h"

namespace dv {
namespace {

bool write_memory_file(DvfsFile* stream, const void* data, uint64_t total) {
  if (stream->append)
    stream->position = stream->size;
  uint64_t end;
  if (__builtin_add_overflow(stream->position, total, &end)) {
    dv_errno = kOutOfMemory;
    stream->error = 1;
    return false;
  }
  if (!dvfs_reserve(stream, end))
    return false;
  if (stream->position > stream->size)
    memset(stream->buffer + stream->size, 0, stream->position - stream->size);
  memcpy(stream->buffer + stream->position, data, total);
  stream->position = end;
  if (end > stream->size)
    stream->size = end;
  stream->dirty = 1;
  stream->eof = 0;
  return true;
}

} // namespace

DV_FUNCTION(size_t, dvfs_fwrite,
            (const void* data, size_t item_size, size_t count, DvfsFile* stream)) {
  if (item_size == 0 || count == 0 || data == nullptr || stream == nullptr || !stream->writable)
    return 0;
  // A product beyond 64 bits cannot describe a real block of bytes.
  size_t total;
  if (__builtin_mul_overflow(item_size, count, &total)) {
    dv_errno = kInvalidArgument;
    stream->error = 1;
    return 0;
  }
  if (stream->kind == kDvfsStandardOutput || stream->kind == kDvfsStandardError) {
    dv_lua_write(static_cast<const char*>(data), total);
    stream->position += total;
    return count;
  }
  if (stream->kind != kDvfsMemoryFile)
    return 0;
  return write_memory_file(stream, data, total) ? count : 0;
}

DV_FUNCTION(int, dvfs_fflush, (DvfsFile * stream)) {
  if (stream == nullptr || stream->kind != kDvfsMemoryFile || !stream->dirty)
    return 0;
  // The host takes a 32-bit size; a larger file would be saved cut short, so it is not
  // saved at all.
  bool fits = stream->size <= UINT32_MAX;
  if (!fits || dv_lua_app_write_file(stream->name, stream->data, uint32_t(stream->size)) == 0) {
    dv_errno = kIoError;
    stream->error = 1;
    return -1;
  }
  stream->dirty = 0;
  return 0;
}

} // namespace dv
