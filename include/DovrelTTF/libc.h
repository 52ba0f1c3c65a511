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
// printf's conversions as a C library prints them, into a bounded buffer:
// %[flags][width][.precision][length]letter with
// - flags '-', '0', '+', ' ' and '#'; width and precision as digits or '*';
// - lengths hh, h, l, ll, j, z, t, and L for long double;
// - letters d i u o x X c s p f F e E g G and %%. %n and %a (and any other letter) print
//   '?' and take no argument.
// Floating-point values print their exact decimal value rounded half to even, for any
// precision, as a C library does ("inf", "nan" for the others). At most size - 1 bytes
// are stored, then a NUL (when size is not 0); the result is the length of the whole
// output, whether it fit or not (at most INT_MAX). A null %s prints "(null)".
// snprintf(line, sizeof line, "%5d %ld %.2f %g", 7, 123456789012L, 2.0 / 3, 0.1)
// gives "    7 123456789012 0.67 0.1".
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
