// dv::string: an owned byte string, and dv::string_view, a borrowed one.
//
// A string's text always lives on the heap: `data` points to `capacity + 1`
// bytes with a NUL at `size`, or is null for a string that never needed
// storage. Every reader treats a null `data` as the empty text.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "containers/type_visibility.h"
#include "containers/utility.h"
#include "runtime/memory.h"

namespace dv {

// 0 for a null pointer, otherwise the bytes before the first NUL.
inline size_t string_length(const char* text) {
  size_t length = 0;
  if (text) {
    while (text[length] != '\0') {
      ++length;
    }
  }
  return length;
}

struct string_view {
  const char* data;
  size_t size;

  constexpr string_view() : data(nullptr), size(0) {}
  constexpr string_view(const char* text, size_t length) : data(text), size(length) {}
  string_view(const char* text) : data(text), size(string_length(text)) {}
};

inline bool operator==(string_view left, string_view right) {
  if (left.size != right.size) {
    return false;
  }
  for (size_t i = 0; i < left.size; ++i) {
    if (left.data[i] != right.data[i]) {
      return false;
    }
  }
  return true;
}

struct DV_VISIBLE_TYPE string {
  char* data;
  size_t size;
  size_t capacity;

  // A buffer for `length` bytes and the terminator, holding the empty text.
  static char* allocate(size_t length) {
    char* buffer = static_cast<char*>(::operator new(length + 1));
    buffer[0] = '\0';
    return buffer;
  }

  string() : data(nullptr), size(0), capacity(0) {}
  string(const char* text) : string(text, string_length(text)) {}
  string(const char* text, size_t length) : string() { assign(text, text ? length : 0); }
  explicit string(string_view text) : string(text.data, text.size) {}
  string(const string& other) : string() { assign(other.c_str(), other.size); }
  string(string&& other) : data(other.data), size(other.size), capacity(other.capacity) {
    other.forget_storage();
  }
  ~string() { ::operator delete(data); }

  string& operator=(const string& other) {
    if (this != &other) {
      assign(other.c_str(), other.size);
    }
    return *this;
  }

  string& operator=(string&& other) {
    if (this == &other) {
      return *this;
    }
    ::operator delete(data);
    data = other.data;
    size = other.size;
    capacity = other.capacity;
    other.forget_storage();
    return *this;
  }

  void ensure_storage() {
    if (!data) {
      data = allocate(0);
      capacity = 0;
    }
  }

  // Replaces the text with the `length` bytes at `text` (none for a null
  // pointer). The source may lie inside this string's own text; it is then cut
  // at the end of that text.
  void assign(const char* text, size_t length) {
    size_t count = text ? length : 0;
    size_t offset;
    if (pointer_offset(text, &offset)) {
      string part(data + offset, min(count, size - offset));
      swap_fields(part);
      return;
    }
    size = 0;
    if (data) {
      data[0] = '\0';
    }
    if (count == 0) {
      ensure_storage();
      return;
    }
    reserve(count);
    dv::memmove(data, text, count);
    size = count;
    data[size] = '\0';
  }

  void reserve(size_t length) {
    if (capacity >= length) {
      return;
    }
    char* grown = allocate(length);
    if (size != 0) {
      dv::memcpy(grown, data, size);
    }
    grown[size] = '\0';
    ::operator delete(data);
    data = grown;
    capacity = length;
  }

  void push_back(char c) {
    if (size == capacity) {
      reserve(size == 0 ? 16 : 2 * size);
    }
    ensure_storage();
    data[size++] = c;
    data[size] = '\0';
  }

  // True, with the offset of `position` from `data`, when `position` lies in
  // the text or at its end.
  bool pointer_offset(const char* position, size_t* offset) const {
    if (!data || !position) {
      return false;
    }
    uintptr_t distance = reinterpret_cast<uintptr_t>(position) - reinterpret_cast<uintptr_t>(data);
    if (distance > size) {
      return false;
    }
    *offset = distance;
    return true;
  }

  const char* c_str() const { return data ? data : ""; }
  string_view view() const { return string_view(c_str(), size); }
  bool empty() const { return size == 0; }
  char* begin() { return data; }
  char* end() { return data + size; }
  const char* begin() const { return data; }
  const char* end() const { return data + size; }
  char& operator[](size_t index) { return data[index]; }
  const char& operator[](size_t index) const { return data[index]; }

private:
  void forget_storage() {
    data = nullptr;
    size = 0;
    capacity = 0;
  }

  void swap_fields(string& other) {
    dv::swap(data, other.data);
    dv::swap(size, other.size);
    dv::swap(capacity, other.capacity);
  }
};

inline bool operator==(const string& left, const string& right) {
  return left.view() == right.view();
}

inline bool operator==(const string& left, const char* right) {
  return left.view() == string_view(right);
}

} // namespace dv
