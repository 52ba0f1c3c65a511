#include "font/type1/eexec.h"

#include <stdint.h>

#include "font/type1/token_scan.h"
#include "runtime/ctype.h"
#include "runtime/number_parse.h"

namespace {

constexpr unsigned char kSegmentMarker = 0x80;
constexpr unsigned char kSegmentClearText = 1;
constexpr unsigned char kSegmentBinary = 2;
constexpr unsigned char kSegmentEnd = 3;
constexpr uint32_t kEexecKey = 55665;
constexpr uint32_t kCharstringKey = 4330;
constexpr unsigned long kEexecPrefixLength = 4;

bool is_line_break(unsigned char byte) {
  return byte == 0x0D || byte == 0x0A;
}

// The recurrence shared by the eexec and charstring ciphers: byte i decrypts to
// c_i ^ (k_i >> 8), and k_{i+1} = (c_i + k_i) * A + B mod 2^16 (A = 52845, B = 22719).
//
// The step is affine in the key, so four steps compose into one:
//   k_{i+4} = A^4 k_i + (A^4 c_i + A^3 c_{i+1} + A^2 c_{i+2} + A c_{i+3}
//                        + (A^3 + A^2 + A + 1) B),
// and k_{i+1}..k_{i+3} follow from k_i by their own compositions. Each is a polynomial
// identity in the ring of integers mod 2^32, so reduced mod 2^16 it gives exactly the keys
// of the step-by-step recurrence (32-bit products wrap mod 2^32, which 2^16 divides; the
// keys are reduced only where a byte is decrypted). The chain from block to block is one
// multiplication and one addition, where the step-by-step loop has four of each.
//
// `plain` receives byte i at i - skip. It may be `cipher` itself: a block reads its four
// cipher bytes before it writes, and writes only at or before them.
void decrypt(const unsigned char* cipher, unsigned long length, uint32_t key, unsigned long skip,
             unsigned char* plain) {
  constexpr uint32_t kA = 52845u;
  constexpr uint32_t kB = 22719u;
  constexpr uint32_t kA2 = kA * kA;
  constexpr uint32_t kA3 = kA2 * kA;
  constexpr uint32_t kA4 = kA3 * kA;
  auto emit = [&](unsigned long i, uint32_t k) {
    if (i >= skip)
      plain[i - skip] = static_cast<unsigned char>(cipher[i] ^ ((k & 0xFFFFu) >> 8));
  };
  unsigned long i = 0;
  for (; length - i >= 4; i += 4) {
    const uint32_t c0 = cipher[i], c1 = cipher[i + 1], c2 = cipher[i + 2], c3 = cipher[i + 3];
    const uint32_t k1 = kA * key + kA * c0 + kB;
    const uint32_t k2 = kA2 * key + kA2 * c0 + kA * c1 + (kA + 1) * kB;
    const uint32_t k3 = kA3 * key + kA3 * c0 + kA2 * c1 + kA * c2 + (kA2 + kA + 1) * kB;
    emit(i, key);
    emit(i + 1, k1);
    emit(i + 2, k2);
    emit(i + 3, k3);
    key = kA4 * key + kA4 * c0 + kA3 * c1 + kA2 * c2 + kA * c3 + (kA3 + kA2 + kA + 1) * kB;
  }
  for (; i < length; ++i) {
    emit(i, key);
    key = (cipher[i] + key) * kA + kB;
  }
}

unsigned long len_iv_skip(int len_iv) {
  return len_iv > 0 ? static_cast<unsigned long>(len_iv) : 0;
}

void append(ByteVector& to, const unsigned char* from, unsigned long length) {
  to.insert(to.data + to.size, from, from + length);
}

uint32_t read_u32_le(const unsigned char* bytes) {
  return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
         uint32_t(bytes[3]) << 24;
}

// Binary form: 0x80, type, little-endian length, payload; repeated.
bool split_binary_form(ByteView input, ByteVector& clear_text, ByteVector& encrypted) {
  bool seen_binary = false;
  unsigned long offset = 0;
  while (input.size - offset >= 6 && input.data[offset] == kSegmentMarker) {
    uint64_t length = read_u32_le(input.data + offset + 2);
    if (offset + 6 + length > input.size)
      return false;
    unsigned char type = input.data[offset + 1];
    if (type == kSegmentEnd)
      break;
    const unsigned char* payload = input.data + offset + 6;
    if (type == kSegmentClearText) {
      append(clear_text, payload, length);
    } else if (type == kSegmentBinary) {
      append(encrypted, payload, length);
      seen_binary = true;
    }
    offset += 6 + length;
  }
  return clear_text.size != 0 && seen_binary && encrypted.size != 0;
}

unsigned char hex_pair_value(unsigned char high, unsigned char low) {
  char pair[3] = {static_cast<char>(high), static_cast<char>(low), 0};
  return static_cast<unsigned char>(dv::strtoul(pair, nullptr, 16));
}

// The eexec data after "currentfile eexec" is binary when its first four bytes are not all
// hexadecimal digits (the format chooses the random prefix so that they never are).
bool is_binary_eexec(ByteView input, unsigned long start) {
  if (input.size - start < 4)
    return false;
  for (unsigned long i = start; i < start + 4; ++i) {
    if (!dv::isxdigit(input.data[i]))
      return true;
  }
  return false;
}

// The hexadecimal digits of input[start, end) as bytes, ignoring everything else; an odd
// last digit is dropped.
ByteVector decode_hex(ByteView input, unsigned long start, unsigned long end) {
  ByteVector digits;
  for (unsigned long i = start; i < end; ++i) {
    if (dv::isxdigit(input.data[i]))
      digits.emplace_back(input.data[i]);
  }
  ByteVector bytes;
  unsigned long pairs = digits.size / 2;
  bytes.resize(pairs);
  for (unsigned long i = 0; i < pairs; ++i)
    bytes.data[i] = hex_pair_value(digits.data[2 * i], digits.data[2 * i + 1]);
  return bytes;
}

// Text form: clear text up to and including the "currentfile eexec" line, then the
// encrypted section up to "cleartomark": hexadecimal digits, or in the complete mode also
// the raw bytes of a binary section.
bool split_text_form(ByteView input, ByteVector& clear_text, ByteVector& encrypted,
                     Type1Mode mode) {
  unsigned long start = find_bytes(input, "currentfile eexec", 0);
  if (start == kNotFound)
    return false;
  while (start < input.size && !is_line_break(input.data[start]))
    ++start;
  while (start < input.size && is_line_break(input.data[start]))
    ++start;
  clear_text = slice(input, 0, start);

  unsigned long end = find_bytes(input, "cleartomark", start);
  if (end == kNotFound)
    end = input.size;
  if (mode == Type1Mode::kComplete && is_binary_eexec(input, start))
    encrypted = slice(input, start, end);
  else
    encrypted = decode_hex(input, start, end);
  return encrypted.size != 0 && clear_text.size != 0;
}

} // namespace

bool split_font_program(ByteView bytes, Type1Mode mode, ByteVector& clear_text,
                        ByteVector& encrypted) {
  return bytes.size >= 2 && bytes.data[0] == kSegmentMarker
             ? split_binary_form(bytes, clear_text, encrypted)
             : split_text_form(bytes, clear_text, encrypted, mode);
}

ByteVector decrypt_private_part(ByteVector encrypted) {
  if (encrypted.size <= kEexecPrefixLength)
    return ByteVector();
  decrypt(encrypted.data, encrypted.size, kEexecKey, kEexecPrefixLength, encrypted.data);
  encrypted.resize(encrypted.size - kEexecPrefixLength);
  return encrypted;
}

unsigned long decrypted_entry_size(unsigned long length, int len_iv) {
  const unsigned long skip = len_iv_skip(len_iv);
  return length > skip ? length - skip : 0;
}

void decrypt_entry(ByteView data, unsigned long start, unsigned long end, int len_iv,
                   unsigned char* plain) {
  decrypt(data.data + start, end - start, kCharstringKey, len_iv_skip(len_iv), plain);
}
