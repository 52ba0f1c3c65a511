// The bytes of a font file as the formats read them: a view (`ByteView`, what every reader
// takes) and the bytes a loaded font keeps (`FontBytes`), either its own copy or the
// caller's bytes borrowed in place.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "containers/utility.h"
#include "containers/vector.h"

// A read-only run of bytes; cheap to copy. Any byte vector converts to one.
struct ByteView {
  const unsigned char* data = nullptr;
  size_t size = 0;

  ByteView() = default;
  ByteView(const unsigned char* bytes, size_t count) : data(bytes), size(count) {}
  ByteView(const dv::vector<unsigned char>& bytes) : data(bytes.data), size(bytes.size) {}
};

// The whole font file a loaded font reads. Built from a byte vector it owns the vector
// (taking a moved one over without a copy); built by `borrow` it reads the caller's bytes,
// which must stay alive and unchanged for as long as it does. Either way `data` and `size`
// describe the bytes; moving a FontBytes hands them on unchanged (a vector's storage stays
// where it is when the vector moves) and leaves the source empty.
class FontBytes {
public:
  const unsigned char* data = nullptr;
  size_t size = 0;

  FontBytes() = default;
  FontBytes(dv::vector<unsigned char> bytes) : storage_(dv::move(bytes)) {
    data = storage_.data;
    size = storage_.size;
  }
  FontBytes(FontBytes&& other)
      : data(other.data), size(other.size), storage_(dv::move(other.storage_)) {
    other.data = nullptr;
    other.size = 0;
  }
  FontBytes& operator=(FontBytes&& other) {
    if (this != &other) {
      storage_ = dv::move(other.storage_);
      data = other.data;
      size = other.size;
      other.data = nullptr;
      other.size = 0;
    }
    return *this;
  }
  FontBytes(const FontBytes&) = delete;
  FontBytes& operator=(const FontBytes&) = delete;

  static FontBytes borrow(const unsigned char* bytes, size_t count) {
    FontBytes borrowed;
    borrowed.data = bytes;
    borrowed.size = count;
    return borrowed;
  }

  operator ByteView() const { return ByteView(data, size); }

private:
  dv::vector<unsigned char> storage_; // empty when borrowed
};
