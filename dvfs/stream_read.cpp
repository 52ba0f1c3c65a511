// Reading: from a memory file (in one copy where a whole block is asked for) or byte by
// byte from console lines.
#include "dvfs/dvfs.h"
#include "runtime/console.h"
#include "runtime/errno.h"
#include "runtime/export.h"
#include "runtime/memory.h"

namespace dv {
namespace {

constexpr int kEndOfInput = -1;

int end_of_input(DvfsFile* stream) {
  stream->eof = 1;
  return kEndOfInput;
}

// Length of the host's line, never looking past what it was allowed to write.
uint64_t console_line_length(const char* line) {
  uint64_t length = 0;
  while (length < kDvfsConsoleReadCapacity && line[length] != 0)
    ++length;
  return length;
}

// Standard input: the bytes of the current console line, then the next line from the
// host, each followed by a newline.
int read_console_byte(DvfsFile* stream) {
  if (stream->line_position < stream->line_length)
    return uint8_t(stream->line[stream->line_position++]);
  if (!dv_lua_readline(stream->line, kDvfsConsoleReadCapacity, "", 0))
    return end_of_input(stream);
  uint64_t length = console_line_length(stream->line);
  stream->line[length] = '\n';
  stream->line[length + 1] = 0;
  stream->line_length = length + 1;
  stream->line_position = 1;
  return uint8_t(stream->line[0]);
}

// Reads up to `total` bytes of a memory file at once, as that many dvfs_getc calls would:
// the bytes up to the end are copied and consumed, and the end sets eof. Returns the bytes
// copied.
size_t read_memory_bytes(DvfsFile* stream, uint8_t* to, size_t total) {
  const uint64_t left = stream->position < stream->size ? stream->size - stream->position : 0;
  const size_t copied = total < left ? total : static_cast<size_t>(left);
  if (copied != 0)
    memcpy(to, stream->data + stream->position, copied);
  stream->position += copied;
  if (copied < total)
    stream->eof = 1;
  return copied;
}

int read_memory_byte(DvfsFile* stream) {
  if (stream->position >= stream->size)
    return end_of_input(stream);
  return stream->data[stream->position++];
}

} // namespace

DV_FUNCTION(int, dvfs_getc, (DvfsFile * stream)) {
  if (stream == nullptr || !stream->readable)
    return kEndOfInput;
  if (stream->pushback != -1) {
    int byte = stream->pushback;
    stream->pushback = -1;
    return byte;
  }
  if (stream->kind == kDvfsStandardInput)
    return read_console_byte(stream);
  return read_memory_byte(stream);
}

DV_FUNCTION(int, dvfs_ungetc, (int c, DvfsFile* stream)) {
  if (c == kEndOfInput || stream == nullptr)
    return kEndOfInput;
  stream->pushback = c & 0xFF;
  stream->eof = 0;
  return stream->pushback;
}

DV_FUNCTION(size_t, dvfs_fread, (void* buffer, size_t item_size, size_t count, DvfsFile* stream)) {
  if (item_size == 0 || count == 0 || buffer == nullptr || stream == nullptr || !stream->readable)
    return 0;
  // No buffer can hold more than the address space; such a request is refused before
  // anything is consumed.
  size_t total;
  if (__builtin_mul_overflow(item_size, count, &total)) {
    dv_errno = kInvalidArgument;
    stream->error = 1;
    return 0;
  }
  auto* to = static_cast<uint8_t*>(buffer);
  if (stream->kind != kDvfsStandardInput && stream->pushback == -1)
    return read_memory_bytes(stream, to, total) / item_size;
  size_t items = 0;
  for (; items < count; ++items) {
    for (size_t i = 0; i < item_size; ++i) {
      int byte = dvfs_getc(stream);
      if (byte == kEndOfInput)
        return items;
      *to++ = uint8_t(byte);
    }
  }
  return items;
}

} // namespace dv
