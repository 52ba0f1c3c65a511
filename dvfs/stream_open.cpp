// Opening and closing streams.
#include "dvfs/dvfs.h"
#include "dvfs/stream_buffer.h"
#include "runtime/errno.h"
#include "runtime/export.h"
#include "runtime/malloc.h"
#include "runtime/memory.h"
#include "runtime/program_api.h"
#include "runtime/string.h"

namespace dv {
namespace {

bool contains(const char* mode, char wanted) {
  return strchr(mode, wanted) != nullptr;
}

// The console stream a pseudo-file name stands for, or the memory-file kind.
DvfsKind kind_of_name(const char* name) {
  if (strcmp(name, "__dvfs_stdin") == 0)
    return kDvfsStandardInput;
  if (strcmp(name, "__dvfs_stdout") == 0)
    return kDvfsStandardOutput;
  if (strcmp(name, "__dvfs_stderr") == 0)
    return kDvfsStandardError;
  return kDvfsMemoryFile;
}

DvfsFile* allocate_stream(const char* name, DvfsKind kind) {
  auto* stream = static_cast<DvfsFile*>(malloc(sizeof(DvfsFile)));
  if (stream == nullptr) {
    dv_errno = kOutOfMemory;
    return nullptr;
  }
  memset(stream, 0, sizeof(DvfsFile));
  stream->kind = kind;
  stream->pushback = -1;
  size_t length = 0;
  while (length < kDvfsNameMaxLength && name[length] != 0) {
    stream->name[length] = name[length];
    ++length;
  }
  return stream;
}

DvfsFile* open_console_stream(const char* name, DvfsKind kind) {
  DvfsFile* stream = allocate_stream(name, kind);
  if (stream != nullptr) {
    stream->readable = kind == kDvfsStandardInput;
    stream->writable = kind != kDvfsStandardInput;
  }
  return stream;
}

void release_stream(DvfsFile* stream) {
  if (stream->buffer != nullptr)
    free(stream->buffer);
  free(stream);
}

// Gives a memory file the host's bytes: a writable stream copies them into its own
// buffer, a read-only one reads them in place.
bool take_host_bytes(DvfsFile* stream, const FileInfo& info) {
  const auto* host_bytes = reinterpret_cast<const uint8_t*>(uintptr_t(info.address));
  if (stream->writable) {
    if (!dvfs_reserve(stream, info.size))
      return false;
    memcpy(stream->buffer, host_bytes, info.size);
  } else {
    stream->data = host_bytes;
  }
  stream->size = info.size;
  return true;
}

DvfsFile* open_memory_file(const char* name, const char* mode) {
  DvfsFile* stream = allocate_stream(name, kDvfsMemoryFile);
  if (stream == nullptr)
    return nullptr;
  stream->readable = contains(mode, 'r') || contains(mode, '+') || contains(mode, 'a');
  stream->writable = contains(mode, 'w') || contains(mode, 'a') || contains(mode, '+');
  stream->append = contains(mode, 'a');

  FileInfo info{};
  bool found = dv_lua_app_stat_file(stream->name, &info) != 0;
  if (!found && !stream->writable) {
    dv_errno = kNoSuchFile;
    release_stream(stream);
    return nullptr;
  }
  bool keeps_content = found && !contains(mode, 'w') && info.size != 0;
  if (keeps_content && !take_host_bytes(stream, info)) {
    release_stream(stream);
    return nullptr;
  }
  if (stream->append)
    stream->position = stream->size;
  return stream;
}

} // namespace

DV_FUNCTION(DvfsFile*, dvfs_fopen, (const char* name, const char* mode)) {
  if (name == nullptr || mode == nullptr) {
    dv_errno = kInvalidArgument;
    return nullptr;
  }
  DvfsKind kind = kind_of_name(name);
  if (kind != kDvfsMemoryFile)
    return open_console_stream(name, kind);
  return open_memory_file(name, mode);
}

DV_FUNCTION(DvfsFile*, dvfs_freopen, (const char* name, const char* mode, DvfsFile* stream)) {
  if (stream != nullptr)
    dvfs_fclose(stream);
  return dvfs_fopen(name, mode);
}

DV_FUNCTION(int, dvfs_fclose, (DvfsFile * stream)) {
  if (stream == nullptr)
    return 0;
  int flushed = dvfs_fflush(stream);
  release_stream(stream);
  return flushed;
}

} // namespace dv
