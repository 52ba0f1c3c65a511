// NUL-terminated byte strings in the "C" locale. Apart from strlen and strdup, which
// accept null, the functions expect valid pointers.
#pragma once
#include <stddef.h>

namespace dv {

size_t strlen(const char* text);
int strcmp(const char* left, const char* right);
int strncmp(const char* left, const char* right, size_t limit);
int strcoll(const char* left, const char* right);
char* strcpy(char* destination, const char* source);
char* strdup(const char* text);
char* strchr(const char* text, int byte);
size_t strspn(const char* text, const char* accept);
char* strpbrk(const char* text, const char* accept);
char* strstr(const char* haystack, const char* needle);

} // namespace dv
