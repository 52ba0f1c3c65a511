#include "runtime/string.h"

#include "runtime/export.h"
#include "runtime/malloc.h"
#include "runtime/memory.h"

namespace dv {
namespace {

unsigned char byte_at(const char* text, size_t index) {
  return static_cast<unsigned char>(text[index]);
}

bool contains_byte(const char* set, char byte) {
  for (; *set != '\0'; ++set) {
    if (*set == byte)
      return true;
  }
  return false;
}

bool starts_with(const char* text, const char* prefix) {
  for (; *prefix != '\0'; ++text, ++prefix) {
    if (*text != *prefix)
      return false;
  }
  return true;
}

} // namespace

DV_FUNCTION(size_t, strlen, (const char* text)) {
  if (text == nullptr)
    return 0;
  size_t length = 0;
  while (text[length] != '\0')
    ++length;
  return length;
}

DV_FUNCTION(int, strcmp, (const char* left, const char* right)) {
  size_t i = 0;
  while (left[i] != '\0' && left[i] == right[i])
    ++i;
  return byte_at(left, i) - byte_at(right, i);
}

DV_FUNCTION(int, strncmp, (const char* left, const char* right, size_t limit)) {
  for (size_t i = 0; i < limit; ++i) {
    if (left[i] != right[i] || left[i] == '\0')
      return byte_at(left, i) - byte_at(right, i);
  }
  return 0;
}

DV_FUNCTION(int, strcoll, (const char* left, const char* right)) {
  return dv::strcmp(left, right);
}

DV_FUNCTION(char*, strcpy, (char* destination, const char* source)) {
  size_t i = 0;
  do {
    destination[i] = source[i];
  } while (source[i++] != '\0');
  return destination;
}

DV_FUNCTION(char*, strdup, (const char* text)) {
  if (text == nullptr)
    return nullptr;
  const size_t size = dv::strlen(text) + 1;
  auto* copy = static_cast<char*>(dv::malloc(size));
  if (copy != nullptr)
    dv::memcpy(copy, text, size);
  return copy;
}

DV_FUNCTION(char*, strchr, (const char* text, int byte)) {
  const char wanted = static_cast<char>(byte);
  for (;; ++text) {
    if (*text == wanted)
      return const_cast<char*>(text);
    if (*text == '\0')
      return nullptr;
  }
}

DV_FUNCTION(size_t, strspn, (const char* text, const char* accept)) {
  size_t length = 0;
  while (text[length] != '\0' && contains_byte(accept, text[length]))
    ++length;
  return length;
}

DV_FUNCTION(char*, strpbrk, (const char* text, const char* accept)) {
  for (; *text != '\0'; ++text) {
    if (contains_byte(accept, *text))
      return const_cast<char*>(text);
  }
  return nullptr;
}

DV_FUNCTION(char*, strstr, (const char* haystack, const char* needle)) {
  for (;; ++haystack) {
    if (starts_with(haystack, needle))
      return const_cast<char*>(haystack);
    if (*haystack == '\0')
      return nullptr;
  }
}

} // namespace dv
