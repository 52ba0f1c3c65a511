// The C library a module may call: memory, strings and characters, formatted output,
// number parsing and math. C linkage, the library's own implementations, exported by
// both artifact forms; the signatures are the library's (strerror and strchr as listed).
#pragma once

#include <stdarg.h>
#include <stddef.h>

extern "C" {

// ---- Memory: the host's memory slots -------------------------------------------------
void* malloc(size_t size);
void free(void* block);
void* realloc(void* block, size_t size);
void* memcpy(void* destination, const void* source, size_t length);
void* memmove(void* destination, const void* source, size_t length);
void* memset(void* destination, int value, size_t length);
int memcmp(const void* left, const void* right, size_t length);
void* memchr(const void* block, int value, size_t length);

// ---- Strings and characters (the C locale) -------------------------------------------
size_t strlen(const char* text);
int strcmp(const char* left, const char* right);
int strncmp(const char* left, const char* right, size_t limit);
char* strchr(const char* text, int byte);
char* strstr(const char* haystack, const char* needle);
char* strpbrk(const char* text, const char* accept);
size_t strspn(const char* text, const char* accept);
char* strcpy(char* destination, const char* source);
char* strdup(const char* text); // from malloc
const char* strerror(int code);
int isalnum(int c);
int isalpha(int c);
int isblank(int c);
int isdigit(int c);
int islower(int c);
int isprint(int c);
int isspace(int c);
int isupper(int c);
int isxdigit(int c);
int tolower(int c);
int toupper(int c);

// ---- Formatted output ----------------------------------------------------------------
// A small formatter, not printf: at most size - 1 bytes are stored, then a NUL (when size
// is not 0); the result is the length of the whole output, whether it fit or not. After
// '%', width and precision digits and the length letters h, l, t, z are read and have no
// effect: integers are always 32-bit (the low 32 bits of the argument slot). Letters:
//   d i I  signed 32-bit decimal        u   unsigned 32-bit decimal
//   x X    unsigned 32-bit hexadecimal  c   one character
//   s      a string, "(null)" for null  p   "0x" and the pointer's low 32 bits in hex
//   f      a double: its integer part as the unsigned decimal of its 32-bit truncation,
//          '.', and exactly six fraction digits, truncated (0.9999999 prints 0.999999)
//   %%     '%'; any other letter (e, g, o, n, a, ...) prints '?'
// snprintf(line, sizeof line, "%5d %ld %.2f %g", 7, 123456789012L, 2.0 / 3, 0.1) gives
// "7 -1097262572 0.666666 ?": no padding, 123456789012 cut to its low 32 bits, six
// truncated digits, '?' for %g. Print 64-bit values in two halves (%u of the high and low
// words, or %x), and round a double yourself before %f.
int snprintf(char* buffer, size_t size, const char* format, ...);
int vsnprintf(char* buffer, size_t size, const char* format, va_list arguments);

// ---- Number parsing ------------------------------------------------------------------
double strtod(const char* text, char** end);
float strtof(const char* text, char** end);
long strtol(const char* text, char** end, int base);
long long strtoll(const char* text, char** end, int base);
unsigned long strtoul(const char* text, char** end, int base);
unsigned long long strtoull(const char* text, char** end, int base);

// ---- Math ----------------------------------------------------------------------------
int abs(int n);
double fabs(double x);
double ceil(double x);
double floor(double x);
float floorf(float x);
double trunc(double x);
double round(double x);
long lround(double x);
long long llround(double x);
double fmod(double x, double y);
float fmodf(float x, float y);
double frexp(double x, int* exponent);
double ldexp(double x, int exponent);
double sqrt(double x);
double pow(double base, double exponent);
double log(double x);
double sin(double x);
double cos(double x);

} // extern "C"
