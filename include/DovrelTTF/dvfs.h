// dvfs: the library's file streams, over whole files held in memory. A file's bytes come
// from the host's files when it is opened (under dvttf-run, the directory it serves) and
// go back to the host when a stream written to is flushed or closed. C linkage, exported
// by both artifact forms.
//
// Every function accepts null pointers and answers with its failure value (null, 0, -1,
// EOF or false, as its C library namesake does).
#pragma once

#include <stddef.h>
#include <stdint.h>

extern "C" {

// A stream; only pointers to it are handed around.
struct DvfsFile;

enum { DVFS_SEEK_SET = 0, DVFS_SEEK_CUR = 1, DVFS_SEEK_END = 2 };
enum { DVFS_EOF = -1 };

// Modes as fopen's: "r", "w", "a", with "+" and "b" (no difference between text and
// binary). Null when the file is missing (for "r") or memory is short.
DvfsFile* dvfs_fopen(const char* name, const char* mode);
DvfsFile* dvfs_freopen(const char* name, const char* mode, DvfsFile* stream);
int dvfs_fclose(DvfsFile* stream); // 0, or nonzero when writing the file back failed
int dvfs_fflush(DvfsFile* stream);

size_t dvfs_fread(void* buffer, size_t item_size, size_t count, DvfsFile* stream);
size_t dvfs_fwrite(const void* data, size_t item_size, size_t count, DvfsFile* stream);
int dvfs_getc(DvfsFile* stream); // a byte, or DVFS_EOF
int dvfs_ungetc(int c, DvfsFile* stream);

int dvfs_fseek(DvfsFile* stream, int64_t offset, int whence); // 0 or -1
int64_t dvfs_ftell(DvfsFile* stream);
int dvfs_feof(DvfsFile* stream);
int dvfs_ferror(DvfsFile* stream);
void dvfs_clearerr(DvfsFile* stream);

int dvfs_remove(const char* name);
int dvfs_rename(const char* old_name, const char* new_name);
// A whole file in one block from malloc (release it with free), or false.
bool dvfs_read_entire_file(const char* name, void** out_data, size_t* out_size);
bool dvfs_write_entire_file(const char* name, const void* data, size_t size);

} // extern "C"
