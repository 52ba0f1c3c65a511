// Byte-block operations. All are plain byte loops; the compiler must not turn them back
// into calls to themselves (the runtime is built with -fno-builtin).
#pragma once
#include <stddef.h>

namespace dv {

void* memcpy(void* destination, const void* source, size_t length);
void* memmove(void* destination, const void* source, size_t length);
void* memset(void* destination, int value, size_t length);
void bzero(void* destination, size_t length);
void __bzero(void* destination, size_t length);
int memcmp(const void* left, const void* right, size_t length);
void* memchr(const void* block, int value, size_t length);

} // namespace dv
