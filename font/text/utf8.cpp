#include "font/text/utf8.h"

namespace {

constexpr unsigned int kCarriageReturn = 13;
constexpr unsigned int kLineFeed = 10;

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

} // namespace

CodepointLine decode_utf8(const char* text) {
  CodepointLine codepoints;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  unsigned long at = 0;
  while (bytes[at] != 0) {
    const unsigned char lead = bytes[at];
    const int continuations = continuation_count(lead);
    if (continuations < 0) {
      codepoints.emplace_back(kReplacementCharacter);
      ++at;
      continue;
    }
    unsigned int value = lead_bits(lead, continuations);
    int taken = 0;
    while (taken < continuations && is_continuation(bytes[at + 1 + taken])) {
      value = (value << 6) | (bytes[at + 1 + taken] & 0x3Fu);
      ++taken;
    }
    if (taken < continuations) {
      // Resume at the byte that broke the sequence.
      codepoints.emplace_back(kReplacementCharacter);
      at += 1 + taken;
      continue;
    }
    codepoints.emplace_back(value);
    at += 1 + continuations;
  }
  return codepoints;
}

dv::vector<CodepointLine> split_lines(const CodepointLine& codepoints) {
  dv::vector<CodepointLine> lines;
  lines.emplace_back();
  for (unsigned int codepoint : codepoints) {
    if (codepoint == kCarriageReturn) {
      continue;
    }
    if (codepoint == kLineFeed) {
      lines.emplace_back();
      continue;
    }
    lines.data[lines.size - 1].emplace_back(codepoint);
  }
  return lines;
}
