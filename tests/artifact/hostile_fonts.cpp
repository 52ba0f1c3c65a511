#include "artifact/hostile_fonts.h"
#include "support/sfnt_builder.h"
#include "support/type1_builder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace hostile {
namespace {

// A PFB program in its parts: clear text, eexec section, trailer.
struct Type1Parts {
  Bytes clear;
  Bytes encrypted;
  Bytes trailer;
};

Bytes read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

uint32_t read_le32(const Bytes& bytes, size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24;
}

// Segments of type 1 (text) before the first binary one are clear text, the binary
// ones the eexec section, text segments after it the trailer.
Type1Parts split_pfb(const Bytes& pfb) {
  Type1Parts parts;
  size_t at = 0;
  while (at + 6 <= pfb.size() && pfb[at] == 0x80 && pfb[at + 1] != 3) {
    const uint8_t type = pfb[at + 1];
    const size_t length = std::min<size_t>(read_le32(pfb, at + 2), pfb.size() - at - 6);
    Bytes& target = type == 2                 ? parts.encrypted
                    : parts.encrypted.empty() ? parts.clear
                                              : parts.trailer;
    target.insert(target.end(), pfb.begin() + at + 6, pfb.begin() + at + 6 + length);
    at += 6 + length;
  }
  return parts;
}

void append_segment(Bytes& out, uint8_t type, const Bytes& payload) {
  out.push_back(0x80);
  out.push_back(type);
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<uint8_t>(payload.size() >> shift));
  }
  out.insert(out.end(), payload.begin(), payload.end());
}

Bytes join_pfb(const Type1Parts& parts) {
  Bytes out;
  append_segment(out, 1, parts.clear);
  append_segment(out, 2, parts.encrypted);
  append_segment(out, 1, parts.trailer);
  out.push_back(0x80);
  out.push_back(3);
  return out;
}

const uint32_t kInterestingWords[] = {0,          1,          0x7F,       0x80,      0xFF,
                                      0x7FFF,     0x8000,     0xFFFF,     0x10000,   0x7FFFFFFF,
                                      0x80000000, 0xFFFFFFFF, 0xFFFFFFFE, 0x40000000};
const char* const kInterestingNumbers[] = {
    "0", "-1", "2147483647", "-2147483648", "99999999", "65536", "1000000", "-1000000", "3"};

// One byte-level mutation anywhere in `bytes`, or in its first 4 KiB (headers and table
// directories) half of the time.
void mutate_bytes(Bytes& bytes, Random& random) {
  if (bytes.empty()) {
    return;
  }
  const size_t span = random.below(2) == 0 ? std::min<size_t>(bytes.size(), 4096) : bytes.size();
  const size_t at = random.below(span);
  switch (random.below(5)) {
  case 0:
    bytes[at] ^= static_cast<uint8_t>(1u << random.below(8));
    break;
  case 1:
    bytes[at] = static_cast<uint8_t>(kInterestingWords[random.below(5)]);
    break;
  case 2:
  case 3: {
    const uint32_t word = kInterestingWords[random.below(std::size(kInterestingWords))];
    const int width = random.below(2) == 0 ? 2 : 4;
    for (int i = 0; i < width && at + i < bytes.size(); ++i) {
      bytes[at + i] = static_cast<uint8_t>(word >> (8 * (width - 1 - i)));
    }
    break;
  }
  default: {
    const size_t from = random.below(bytes.size());
    const size_t length =
        std::min<size_t>({random.below(256) + 1, bytes.size() - from, bytes.size() - at});
    std::memmove(&bytes[at], &bytes[from], length);
    break;
  }
  }
}

bool is_digit(uint8_t byte) {
  return byte >= '0' && byte <= '9';
}

// Replaces the next decimal number at or after a random offset with an extreme one.
void mutate_number(Bytes& text, Random& random) {
  size_t at = random.below(text.size());
  while (at < text.size() && !is_digit(text[at])) {
    ++at;
  }
  size_t end = at;
  while (end < text.size() && is_digit(text[end])) {
    ++end;
  }
  if (at > 0 && text[at - 1] == '-') {
    --at;
  }
  const char* number = kInterestingNumbers[random.below(std::size(kInterestingNumbers))];
  text.erase(text.begin() + at, text.begin() + end);
  text.insert(text.begin() + at, number, number + std::strlen(number));
}

// Mutates one charstring or subroutine of the private part below its own encryption: a
// byte, or an extreme 32-bit number (byte 255 and four bytes) put in its program.
void mutate_charstring(Bytes& plain, Random& random) {
  size_t rd = plain.size();
  for (size_t probe = random.below(plain.size()); probe + 3 < plain.size(); ++probe) {
    if (plain[probe] == 'R' && plain[probe + 1] == 'D' && plain[probe + 2] == ' ') {
      rd = probe;
      break;
    }
  }
  if (rd >= plain.size()) {
    return;
  }
  // "... <length> RD <bytes>": the length is the number just before RD.
  size_t end = rd;
  while (end > 0 && plain[end - 1] == ' ') {
    --end;
  }
  size_t digits = end;
  while (digits > 0 && is_digit(plain[digits - 1])) {
    --digits;
  }
  if (digits == end) {
    return;
  }
  const size_t length = std::strtoul(reinterpret_cast<const char*>(&plain[digits]), nullptr, 10);
  const size_t start = rd + 3;
  if (length < 5 || start + length > plain.size()) {
    return;
  }
  Bytes program = testfont::type1_decrypt(
      Bytes(plain.begin() + start, plain.begin() + start + length), testfont::kCharstringKey);
  const size_t at = 4 + random.below(length - 4);
  if (random.below(2) == 0 && at + 5 <= length) {
    const uint32_t word = kInterestingWords[random.below(std::size(kInterestingWords))];
    program[at] = 255;
    for (int i = 0; i < 4; ++i) {
      program[at + 1 + i] = static_cast<uint8_t>(word >> (24 - 8 * i));
    }
  } else {
    program[at] = static_cast<uint8_t>(random.next());
  }
  const Bytes cipher = testfont::type1_encrypt(program, testfont::kCharstringKey);
  std::copy(cipher.begin(), cipher.end(), plain.begin() + start);
}

Bytes mutated_type1(const Bytes& pfb, FontForm form, Random& random, int mutations) {
  Type1Parts parts = split_pfb(pfb);
  Bytes plain = testfont::type1_decrypt(parts.encrypted, testfont::kEexecKey);
  for (int i = 0; i < mutations; ++i) {
    switch (random.below(6)) {
    case 0:
      mutate_bytes(parts.clear, random);
      break;
    case 1:
    case 2:
      mutate_number(plain, random);
      break;
    case 3:
      mutate_bytes(plain, random);
      break;
    default:
      mutate_charstring(plain, random);
      break;
    }
  }
  parts.encrypted = testfont::type1_encrypt(plain, testfont::kEexecKey);
  return unmutated(SourceFont{"", form, join_pfb(parts)});
}

} // namespace

uint64_t Random::next() {
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::vector<SourceFont> installed_fonts() {
  const std::pair<const char*, FontForm> candidates[] = {
      {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", FontForm::kTrueType},
      {"/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf", FontForm::kTrueType},
      {"/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb", FontForm::kPfb},
      {"/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb", FontForm::kPfa}};
  std::vector<SourceFont> fonts;
  for (const auto& [path, form] : candidates) {
    Bytes bytes = read_file(path);
    if (!bytes.empty()) {
      fonts.push_back(SourceFont{path, form, std::move(bytes)});
    }
  }
  return fonts;
}

std::vector<SourceFont> installed_cff_fonts() {
  const char* const otf = "/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf";
  const Bytes cff = read_file(otf);
  const Bytes truetype =
      read_file("/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf");
  if (cff.empty() || truetype.empty())
    return {};
  const Bytes collection = testfont::collection_file({cff, truetype});
  const char* const pair = "a collection of NimbusSans-Regular.otf and LiberationSans-Regular.ttf";
  return {SourceFont{otf, FontForm::kOpenTypeCff, cff},
          SourceFont{pair, FontForm::kCollection, collection, 0},
          SourceFont{pair, FontForm::kCollection, collection, 1}};
}

std::vector<SourceFont> installed_complete_type1_fonts() {
  const char* const path = "/usr/share/fonts/X11/Type1/NimbusRoman-Regular.pfb";
  const Bytes bytes = read_file(path);
  if (bytes.empty())
    return {};
  return {SourceFont{path, FontForm::kPfb, bytes}, SourceFont{path, FontForm::kPfa, bytes},
          SourceFont{path, FontForm::kT1, bytes}};
}

Bytes mutated_case(const std::vector<SourceFont>& fonts, uint64_t seed, uint64_t index,
                   size_t* font) {
  Random random(seed * 0x100000001B3ull ^ index);
  *font = random.below(fonts.size());
  const SourceFont& source = fonts[*font];
  // Mostly a few mutations, sometimes many.
  const int mutations = 1 + static_cast<int>(random.below(random.below(4) == 0 ? 32 : 4));
  if (source.form == FontForm::kPfb || source.form == FontForm::kPfa ||
      source.form == FontForm::kT1) {
    return mutated_type1(source.bytes, source.form, random, mutations);
  }
  Bytes bytes = source.bytes;
  for (int i = 0; i < mutations; ++i) {
    mutate_bytes(bytes, random);
  }
  return bytes;
}

Bytes pfb_to_t1(const Bytes& pfb) {
  const Type1Parts parts = split_pfb(pfb);
  Bytes out = parts.clear;
  out.insert(out.end(), parts.encrypted.begin(), parts.encrypted.end());
  out.insert(out.end(), parts.trailer.begin(), parts.trailer.end());
  return out;
}

Bytes unmutated(const SourceFont& font) {
  switch (font.form) {
  case FontForm::kPfa:
    return pfb_to_pfa(font.bytes);
  case FontForm::kT1:
    return pfb_to_t1(font.bytes);
  default:
    return font.bytes;
  }
}

Bytes pfb_to_pfa(const Bytes& pfb) {
  static const char kHex[] = "0123456789abcdef";
  const Type1Parts parts = split_pfb(pfb);
  Bytes out = parts.clear;
  for (size_t i = 0; i < parts.encrypted.size(); ++i) {
    out.push_back(kHex[parts.encrypted[i] >> 4]);
    out.push_back(kHex[parts.encrypted[i] & 15]);
    if (i % 32 == 31) {
      out.push_back('\n');
    }
  }
  out.push_back('\n');
  out.insert(out.end(), parts.trailer.begin(), parts.trailer.end());
  return out;
}

} // namespace hostile
