// A bounds-checked reader over a byte range of a Mach-O file: fixed-size records,
// ULEB128/SLEB128 numbers and NUL-terminated strings. Every read past the end throws
// MachOError with the name of the thing being read.
#pragma once
#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace dvhost {

class MachOError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

class ByteReader {
public:
  ByteReader(std::span<const uint8_t> bytes, std::string what)
      : bytes_(bytes), what_(std::move(what)) {}

  bool at_end() const { return position_ >= bytes_.size(); }
  size_t position() const { return position_; }
  void seek(size_t position) {
    if (position > bytes_.size())
      fail("offset out of range");
    position_ = position;
  }

  uint8_t byte() {
    need(1);
    return bytes_[position_++];
  }

  template <typename T> T record() {
    need(sizeof(T));
    T value;
    std::memcpy(&value, bytes_.data() + position_, sizeof(T));
    position_ += sizeof(T);
    return value;
  }

  uint64_t uleb() {
    uint64_t value = 0;
    for (unsigned shift = 0;; shift += 7) {
      uint8_t next = byte();
      if (shift >= 64 || (shift == 63 && (next & 0x7E) != 0))
        fail("ULEB128 number too large");
      value |= static_cast<uint64_t>(next & 0x7F) << shift;
      if ((next & 0x80) == 0)
        return value;
    }
  }

  int64_t sleb() {
    uint64_t value = 0;
    unsigned shift = 0;
    uint8_t next = 0;
    do {
      next = byte();
      if (shift >= 64)
        fail("SLEB128 number too large");
      value |= static_cast<uint64_t>(next & 0x7F) << shift;
      shift += 7;
    } while (next & 0x80);
    if (shift < 64 && (next & 0x40))
      value |= ~uint64_t{0} << shift;
    return static_cast<int64_t>(value);
  }

  std::string_view cstring() {
    if (position_ >= bytes_.size())
      fail("unterminated string");
    const void* end = std::memchr(bytes_.data() + position_, 0, bytes_.size() - position_);
    if (end == nullptr)
      fail("unterminated string");
    size_t length = static_cast<const uint8_t*>(end) - (bytes_.data() + position_);
    std::string_view text(reinterpret_cast<const char*>(bytes_.data() + position_), length);
    position_ += length + 1;
    return text;
  }

  [[noreturn]] void fail(const std::string& problem) const {
    throw MachOError(what_ + ": " + problem);
  }

private:
  void need(size_t count) const {
    if (count > bytes_.size() - position_ || position_ > bytes_.size())
      fail("truncated");
  }

  std::span<const uint8_t> bytes_;
  std::string what_;
  size_t position_ = 0;
};

} // namespace dvhost
