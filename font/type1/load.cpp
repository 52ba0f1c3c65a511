#include "font/type1/font.h"
#include "font/type1/standard_encoding.h"
#include "font/type1/unicode_names.h"
#include "runtime/number_parse.h"
namespace {

constexpr unsigned char kSegmentMarker = 0x80;
constexpr unsigned char kSegmentClearText = 1;
constexpr unsigned char kSegmentBinary = 2;
constexpr unsigned char kSegmentEnd = 3;
constexpr uint32_t kEexecKey = 55665;
constexpr uint32_t kCharstringKey = 4330;
constexpr unsigned long kEexecPrefixLength = 4;

bool is_space(unsigned char byte) {
  return (byte >= 0x09 && byte <= 0x0D) || byte == 0x20;
}
bool is_digit(unsigned char byte) {
  return byte >= '0' && byte <= '9';
}
bool is_hex_digit(unsigned char byte) {
  return is_digit(byte) || (byte >= 'a' && byte <= 'f') || (byte >= 'A' && byte <= 'F');
}
bool is_line_break(unsigned char byte) {
  return byte == 0x0D || byte == 0x0A;
}

// The recurrence shared by the eexec and charstring ciphers. Decrypts `length` bytes and
// keeps those after the first `skip`, so that no copy with the prefix is ever made.
ByteVector decrypt(const unsigned char* cipher, unsigned long length, uint32_t key,
                   unsigned long skip) {
  ByteVector plain;
  plain.resize(length > skip ? length - skip : 0);
  for (unsigned long i = 0; i < length; ++i) {
    uint32_t c = cipher[i];
    if (i >= skip)
      plain.data[i - skip] = static_cast<unsigned char>(c ^ (key >> 8));
    key = ((c + key) * 52845u + 22719u) & 0xFFFFu;
  }
  return plain;
}

unsigned long len_iv_skip(int len_iv) {
  return len_iv > 0 ? static_cast<unsigned long>(len_iv) : 0;
}

// The charstring or subroutine whose encrypted bytes are data[start, end).
ByteVector decrypt_entry(const ByteVector& data, unsigned long start, unsigned long end,
                         int len_iv) {
  return decrypt(data.data + start, end - start, kCharstringKey, len_iv_skip(len_iv));
}

ByteVector slice(const ByteVector& data, unsigned long start, unsigned long end) {
  return ByteVector(data.data + start, data.data + end);
}

// A subroutine's or charstring's plain bytes. In the complete mode a lenIV of -1 marks the
// charstrings as not encrypted, as the format defines; the straight-line mode decrypts them
// all the same.
ByteVector read_entry(const Type1Font& font, const ByteVector& data, unsigned long start,
                      unsigned long end) {
  if (font.mode == Type1Mode::kComplete && font.len_iv == -1)
    return slice(data, start, end);
  return decrypt_entry(data, start, end, font.len_iv);
}

void append(ByteVector& to, const unsigned char* from, unsigned long length) {
  to.insert(to.data + to.size, from, from + length);
}

bool has_token(const ByteVector& data, unsigned long position, char first, char second) {
  return data.size - position >= 2 && data.data[position] == first &&
         data.data[position + 1] == second;
}

bool matches_at(const ByteVector& data, unsigned long position, const char* pattern) {
  for (unsigned long i = 0; pattern[i] != 0; ++i) {
    if (position + i >= data.size ||
        data.data[position + i] != static_cast<unsigned char>(pattern[i]))
      return false;
  }
  return true;
}

uint32_t read_u32_le(const unsigned char* bytes) {
  return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
         uint32_t(bytes[3]) << 24;
}

// Binary form: 0x80, type, little-endian length, payload; repeated.
bool split_binary_form(const ByteVector& input, ByteVector& clear_text, ByteVector& encrypted) {
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
bool is_binary_eexec(const ByteVector& input, unsigned long start) {
  if (input.size - start < 4)
    return false;
  for (unsigned long i = start; i < start + 4; ++i) {
    if (!is_hex_digit(input.data[i]))
      return true;
  }
  return false;
}

// The hexadecimal digits of input[start, end) as bytes, ignoring everything else; an odd
// last digit is dropped.
ByteVector decode_hex(const ByteVector& input, unsigned long start, unsigned long end) {
  ByteVector digits;
  for (unsigned long i = start; i < end; ++i) {
    if (is_hex_digit(input.data[i]))
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
bool split_text_form(const ByteVector& input, ByteVector& clear_text, ByteVector& encrypted,
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

void read_font_bbox(Type1Font& font, const ByteVector& clear_text) {
  unsigned long key = find_bytes(clear_text, "/FontBBox", 0);
  if (key == kNotFound)
    return;
  unsigned long position = key + 9;
  while (position < clear_text.size && clear_text.data[position] != '{' &&
         clear_text.data[position] != '[')
    ++position;
  if (position >= clear_text.size)
    return;
  ++position;
  double box[4];
  for (double& value : box) {
    if (!parse_ascii_double(clear_text, position, value))
      return;
  }
  double lly = box[1];
  double ury = box[3];
  font.ascent = ury > 0 ? ury : 0.0;
  font.descent = -lly > 0 ? -lly : 0.0;
}

// "dup <code> /<name>" entries anywhere in the clear text.
void read_encoding(Type1Font& font, const ByteVector& clear_text) {
  unsigned long position = 0;
  while (position < clear_text.size) {
    unsigned long dup = find_bytes(clear_text, "dup", position);
    if (dup == kNotFound)
      return;
    position = dup + 3;
    unsigned long cursor = position;
    int code = 0;
    if (!parse_ascii_int(clear_text, cursor, code) || static_cast<unsigned>(code) >= 256)
      continue;
    skip_spaces(clear_text, cursor);
    if (cursor >= clear_text.size || clear_text.data[cursor] != '/')
      continue;
    unsigned long name_start = cursor + 1;
    unsigned long name_end = name_start;
    while (name_end < clear_text.size && !is_space(clear_text.data[name_end]))
      ++name_end;
    if (name_end == name_start)
      continue;
    font.encoding[code].assign(reinterpret_cast<const char*>(clear_text.data + name_start),
                               name_end - name_start);
    position = name_end;
  }
}

// "/Encoding StandardEncoding": the font names its characters through the standard
// encoding instead of "dup" entries of its own.
bool declares_standard_encoding(const ByteVector& clear_text) {
  unsigned long key = find_bytes(clear_text, "/Encoding", 0);
  if (key == kNotFound)
    return false;
  unsigned long position = key + 9;
  skip_spaces(clear_text, position);
  return matches_at(clear_text, position, "StandardEncoding");
}

void read_len_iv(Type1Font& font, const ByteVector& private_part) {
  unsigned long key = find_bytes(private_part, "/lenIV", 0);
  if (key == kNotFound)
    return;
  unsigned long position = key + 6;
  int value = 0;
  if (parse_ascii_int(private_part, position, value))
    font.len_iv = value;
}

// Skips "RD" (in the complete mode also the format's other spelling, "-|") and exactly one
// following space; false when the token is not there.
bool skip_rd_token(const ByteVector& data, unsigned long& position, Type1Mode mode) {
  skip_spaces(data, position);
  if (!has_token(data, position, 'R', 'D') &&
      !(mode == Type1Mode::kComplete && has_token(data, position, '-', '|')))
    return false;
  position += 2;
  if (position < data.size && data.data[position] == ' ')
    ++position;
  return true;
}

// One subroutine entry as read, before it takes its slot in the table.
struct SubrEntry {
  unsigned long index;
  ByteVector bytes;
};

// Subroutine numbers may leave gaps, but the table never grows beyond a small multiple of
// the entries the font actually holds: a font cannot make the loader allocate more than a
// few slots per entry it spent bytes on, whatever numbers it writes.
unsigned long subr_table_limit(unsigned long entries) {
  return 2 * entries + 16;
}

// Places the entries in reading order (a later entry with the same number wins), leaving
// out numbers at or beyond the table limit.
void fill_subr_table(Type1Font& font, dv::vector<SubrEntry>& entries) {
  const unsigned long limit = subr_table_limit(entries.size);
  unsigned long slots = 0;
  for (const SubrEntry& entry : entries) {
    if (entry.index < limit && entry.index >= slots)
      slots = entry.index + 1;
  }
  font.subrs.resize(slots);
  for (SubrEntry& entry : entries) {
    if (entry.index < limit)
      font.subrs.data[entry.index] = dv::move(entry.bytes);
  }
}

bool read_subrs(Type1Font& font, const ByteVector& private_part, unsigned long subrs,
                unsigned long charstrings) {
  dv::vector<SubrEntry> entries;
  unsigned long position = subrs;
  for (;;) {
    unsigned long dup = find_bytes(private_part, "dup", position);
    if (dup == kNotFound || dup >= charstrings)
      break;
    position = dup + 3;
    unsigned long cursor = position;
    int index = 0;
    int length = 0;
    if (!parse_ascii_int(private_part, cursor, index) ||
        !parse_ascii_int(private_part, cursor, length) || length < 0)
      continue;
    if (!skip_rd_token(private_part, cursor, font.mode))
      continue;
    if (private_part.size - cursor < static_cast<unsigned long>(length))
      return false;
    position = cursor + length;
    if (index < 0)
      continue;
    entries.push_back(SubrEntry{static_cast<unsigned long>(index),
                                read_entry(font, private_part, cursor, position)});
  }
  fill_subr_table(font, entries);
  return true;
}

bool read_charstrings(Type1Font& font, const ByteVector& private_part, unsigned long start) {
  unsigned long position = start;
  while (position < private_part.size) {
    if (private_part.data[position] != '/') {
      ++position;
      continue;
    }
    unsigned long name_start = position + 1;
    unsigned long name_end = name_start;
    while (name_end < private_part.size && !is_space(private_part.data[name_end]) &&
           private_part.data[name_end] != '/')
      ++name_end;
    if (name_end == name_start) {
      position = name_start;
      continue;
    }
    unsigned long cursor = name_end;
    int length = 0;
    if (!parse_ascii_int(private_part, cursor, length) || length < 0) {
      position = cursor;
      continue;
    }
    if (!skip_rd_token(private_part, cursor, font.mode)) {
      position = cursor;
      continue;
    }
    if (private_part.size - cursor < static_cast<unsigned long>(length))
      return false;
    position = cursor + length;
    dv::string name(reinterpret_cast<const char*>(private_part.data + name_start),
                    name_end - name_start);
    font.charstrings[name] = read_entry(font, private_part, cursor, position);
  }
  return true;
}

} // namespace

unsigned long find_bytes(const ByteVector& data, const char* pattern, unsigned long start) {
  if (pattern == nullptr || start >= data.size || pattern[0] == 0)
    return kNotFound;
  unsigned long length = 0;
  while (pattern[length] != 0)
    ++length;
  if (data.size - start < length)
    return kNotFound;
  for (unsigned long offset = start; offset + length <= data.size; ++offset) {
    unsigned long i = 0;
    while (i < length && data.data[offset + i] == static_cast<unsigned char>(pattern[i]))
      ++i;
    if (i == length)
      return offset;
  }
  return kNotFound;
}

void skip_spaces(const ByteVector& data, unsigned long& position) {
  while (position < data.size && is_space(data.data[position]))
    ++position;
}

bool parse_ascii_int(const ByteVector& data, unsigned long& position, int& value) {
  skip_spaces(data, position);
  if (position >= data.size)
    return false;
  bool negative = data.data[position] == '-';
  if (negative || data.data[position] == '+')
    ++position;
  if (position >= data.size || !is_digit(data.data[position]))
    return false;
  uint32_t magnitude = 0;
  while (position < data.size && is_digit(data.data[position])) {
    magnitude = magnitude * 10u + (data.data[position] - '0');
    ++position;
  }
  value = static_cast<int>(negative ? 0u - magnitude : magnitude);
  return true;
}

// strtod needs a terminated string; the number is copied out first. Only bytes that can
// belong to a decimal real are copied, so the conversion consumes exactly what it would
// consume in place.
bool parse_ascii_double(const ByteVector& data, unsigned long& position, double& value) {
  skip_spaces(data, position);
  if (position >= data.size)
    return false;
  unsigned long end = position;
  while (end < data.size) {
    unsigned char byte = data.data[end];
    if (!is_digit(byte) && byte != '.' && byte != '+' && byte != '-' && byte != 'e' && byte != 'E')
      break;
    ++end;
  }
  dv::string text(reinterpret_cast<const char*>(data.data + position), end - position);
  const char* start = text.data ? text.data : "";
  char* stop = nullptr;
  double result = dv::strtod(start, &stop);
  unsigned long consumed = static_cast<unsigned long>(stop - start);
  value = consumed != 0 ? result : 0.0;
  if (consumed == 0)
    return false;
  position += consumed;
  return true;
}

ByteVector decrypt_charstring(const ByteVector& encrypted, int len_iv) {
  return decrypt_entry(encrypted, 0, encrypted.size, len_iv);
}

namespace {

// The decrypted private part without its random prefix; empty when the font cannot be
// split or the section is too short. The clear text is read on the way and released
// with the encrypted copy.
ByteVector read_clear_text_and_private_part(Type1Font& font, const ByteVector& bytes) {
  ByteVector clear_text;
  ByteVector encrypted;
  bool split = bytes.size >= 2 && bytes.data[0] == kSegmentMarker
                   ? split_binary_form(bytes, clear_text, encrypted)
                   : split_text_form(bytes, clear_text, encrypted, font.mode);
  if (!split || encrypted.size <= kEexecPrefixLength)
    return ByteVector();
  read_font_bbox(font, clear_text);
  read_encoding(font, clear_text);
  font.standard_encoding = declares_standard_encoding(clear_text);
  return decrypt(encrypted.data, encrypted.size, kEexecKey, kEexecPrefixLength);
}

} // namespace

bool load_type1_font(Type1Font& font, const ByteVector& bytes, Type1Mode mode) {
  font.mode = mode;
  const ByteVector private_part = read_clear_text_and_private_part(font, bytes);
  if (private_part.size == 0)
    return false;
  read_len_iv(font, private_part);
  unsigned long subrs = find_bytes(private_part, "/Subrs", 0);
  unsigned long charstrings = find_bytes(private_part, "/CharStrings", 0);
  // The complete mode also takes a font without subroutines (the format needs them only for
  // flex and hint replacement).
  const bool without_subrs = subrs == kNotFound && mode == Type1Mode::kComplete;
  if (charstrings == kNotFound || (!without_subrs && (subrs == kNotFound || charstrings <= subrs)))
    return false;
  if (!without_subrs && !read_subrs(font, private_part, subrs, charstrings))
    return false;
  if (!read_charstrings(font, private_part, charstrings))
    return false;
  if (font.charstrings.entries.size == 0)
    return false;
  if (mode == Type1Mode::kComplete) {
    if (font.standard_encoding)
      fill_standard_encoding(font.encoding);
    build_unicode_names(font);
  }
  return true;
}
