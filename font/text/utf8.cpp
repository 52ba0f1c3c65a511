#include "font/text/utf8.h"

namespace {

bool is_continuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// Continuation bytes a lead byte announces, or -1 when it cannot start a sequence.
int continuation_count(unsigned char lead) {
  if (lead < 0x80) {
    return 0;
  }
  if (lead >= 0xC0 && lead <= 0xDF) {
    return 1;
  }
  if (lead >= 0xE0 && lead <= 0xEF) {
    return 2;
  }
  if (lead >= 0xF0 && lead <= 0xF7) {
    return 3;
  }
  return -1;
}

unsigned int lead_bits(unsigned char lead, int continuations) {
  static constexpr unsigned char kMasks[] = {0x7F, 0x1F, 0x0F, 0x07};
  return lead & kMasks[continuations];
}

const unsigned char* end_of_line(const unsigned char* at) {
  while (*at != 0 && *at != kLineFeed) {
    ++at;
  }
  return at;
}

} // namespace

unsigned int decode_next(const unsigned char*& at) {
  const unsigned char lead = *at++;
  const int continuations = continuation_count(lead);
  if (continuations < 0) {
    return kReplacementCharacter;
  }
  unsigned int value = lead_bits(lead, continuations);
  for (int taken = 0; taken < continuations; ++taken) {
    if (!is_continuation(*at)) {
      // Resume at the byte that broke the sequence.
      return kReplacementCharacter;
    }
    value = (value << 6) | (*at++ & 0x3Fu);
  }
  return value;
}

TextLine first_line(const char* text) {
  const auto* begin = reinterpret_cast<const unsigned char*>(text);
  return TextLine{begin, end_of_line(begin)};
}

TextLine next_line(const TextLine& line) {
  const unsigned char* begin = line.end + 1;
  return TextLine{begin, end_of_line(begin)};
}

unsigned long count_lines(const char* text) {
  unsigned long lines = 1;
  for (const char* at = text; *at != 0; ++at) {
    lines += *at == kLineFeed;
  }
  return lines;
}
