// dvfs: the library's stdio. Buffered streams over whole files held in memory; a file's
// bytes come from the host's stat-file slot when it is opened and go back through the
// host's write-file slot when a dirty stream is flushed or closed. Three pseudo-file
// names give console streams.
//
// Every function accepts null pointers and answers with its failure value; failures set
// dv_errno (2 no such file, 5 i/o error, 12 out of memory, 22 invalid argument).
#pragma once
#include <stddef.h>
#include <stdint.h>

namespace dv {

enum DvfsKind : uint32_t {
  kDvfsMemoryFile = 0,
  kDvfsStandardInput = 1,
  kDvfsStandardOutput = 2,
  kDvfsStandardError = 3,
};

inline constexpr size_t kDvfsNameMaxLength = 240;
inline constexpr size_t kDvfsLineCapacity = 518;
// What standard input asks the console for: room for the line, its newline and NUL.
inline constexpr size_t kDvfsConsoleReadCapacity = 510;

// The stream record, allocated zero-filled with malloc and freed by dvfs_fclose.
struct DvfsFile {
  uint32_t kind;
  char name[kDvfsNameMaxLength + 1];
  const uint8_t* data; // bytes read: the host's for a read-only file, else `buffer`
  uint8_t* buffer;     // owned, from realloc; null until first needed
  uint64_t size;
  uint64_t capacity;
  uint64_t position; // console output streams: bytes written so far
  int32_t pushback;  // -1 when none
  uint8_t readable;
  uint8_t writable;
  uint8_t append;
  uint8_t dirty;
  uint8_t eof;
  uint8_t error;
  char line[kDvfsLineCapacity]; // standard input's current line
  uint64_t line_length;         // valid bytes of `line`, its newline included
  uint64_t line_position;       // next byte of `line` to return
};

DvfsFile* dvfs_fopen(const char* name, const char* mode);
DvfsFile* dvfs_freopen(const char* name, const char* mode, DvfsFile* stream);
int dvfs_fclose(DvfsFile* stream);
int dvfs_fflush(DvfsFile* stream);

size_t dvfs_fread(void* buffer, size_t item_size, size_t count, DvfsFile* stream);
int dvfs_getc(DvfsFile* stream);
int dvfs_ungetc(int c, DvfsFile* stream);
size_t dvfs_fwrite(const void* data, size_t item_size, size_t count, DvfsFile* stream);

int dvfs_fseek(DvfsFile* stream, int64_t offset, int whence);
int64_t dvfs_ftell(DvfsFile* stream);
int dvfs_feof(DvfsFile* stream);
int dvfs_ferror(DvfsFile* stream);
void dvfs_clearerr(DvfsFile* stream);

int dvfs_remove(const char* name);
int dvfs_rename(const char* old_name, const char* new_name);
bool dvfs_read_entire_file(const char* name, void** out_data, size_t* out_size);
bool dvfs_write_entire_file(const char* name, const void* data, size_t size);

// Image and virtual-file entry points kept for callers built against a disk-image
// layer; they do no work and ignore their arguments.
int dvfs_mount_image(const void* image, size_t size);
void dvfs_unmount();
bool dvfs_is_mounted();
int dvfs_register_virtual_file(const char* name, const void* data, size_t size);
void dvfs_clear_virtual_files();
const void* dvfs_image_data();
size_t dvfs_image_size();
int dvfs_export_image(const char* name);

} // namespace dv
