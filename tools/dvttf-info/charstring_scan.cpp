#include "charstring_scan.h"

#include "font/type1/interpreter.h"

namespace dvttf_info {
namespace {

// Operator codes of the charstring format (escape operators follow byte 12).
constexpr unsigned char kCallsubr = 10;
constexpr unsigned char kReturn = 11;
constexpr unsigned char kEscape = 12;
constexpr unsigned char kEndchar = 14;
constexpr unsigned char kRrcurveto = 8;
constexpr unsigned char kVhcurveto = 30;
constexpr unsigned char kHvcurveto = 31;
constexpr unsigned char kDotsection = 0;
constexpr unsigned char kVstem3 = 1;
constexpr unsigned char kHstem3 = 2;
constexpr unsigned char kSeac = 6;
constexpr unsigned char kDiv = 12;
constexpr unsigned char kCallothersubr = 16;
constexpr int kHintReplacementOthersubr = 3;

// The operators the interpreter runs; everything else makes it fail.
bool is_supported(unsigned char op) {
  return op == 1 || op == 3 || (op >= 4 && op <= 7) || op == 9 || op == kCallsubr ||
         op == kReturn || op == 13 || op == kEndchar || op == 21 || op == 22;
}

bool is_supported_escape(unsigned char op) {
  return op == 7 || op == kCallothersubr || op == 17 || op == 33;
}

Blocker escape_blocker(unsigned char op) {
  switch (op) {
  case kDotsection:
    return Blocker::kDotsection;
  case kVstem3:
  case kHstem3:
    return Blocker::kStem3;
  case kSeac:
    return Blocker::kSeac;
  case kDiv:
    return Blocker::kDiv;
  }
  return Blocker::kOther;
}

enum class Flow { kContinue, kReturn, kEnd };

struct Scan {
  const Type1Font& font;
  Blocker blocker = Blocker::kNone;
  unsigned long work = 0;
};

// Steps over the number at `position`; its value, or 0 when it runs past the end.
long read_number(ByteView charstring, unsigned long& position) {
  const unsigned char* bytes = charstring.data + position;
  const unsigned long remaining = charstring.size - position;
  const int v = bytes[0];
  if (v <= 246) {
    position += 1;
    return v - 139;
  }
  const unsigned long length = v == 255 ? 5 : 2;
  position += length;
  if (remaining < length) {
    return 0;
  }
  if (v == 255) {
    return static_cast<int32_t>(uint32_t(bytes[1]) << 24 | uint32_t(bytes[2]) << 16 |
                                uint32_t(bytes[3]) << 8 | uint32_t(bytes[4]));
  }
  return v <= 250 ? (v - 247) * 256 + bytes[1] + 108 : -(v - 251) * 256 - bytes[1] - 108;
}

// Walks `charstring` in execution order, following callsubr into the subroutines, until
// the first operator the interpreter does not run (recorded in scan.blocker).
Flow walk(Scan& scan, ByteView charstring, int level) {
  if (level > kMaxType1SubroutineDepth) {
    return Flow::kEnd;
  }
  long last = 0; // the most recent operand: subroutine and othersubr numbers
  unsigned long position = 0;
  while (position < charstring.size && scan.blocker == Blocker::kNone) {
    if (++scan.work > kMaxType1Work) {
      return Flow::kEnd;
    }
    const unsigned char op = charstring.data[position];
    if (op >= 32) {
      last = read_number(charstring, position);
      continue;
    }
    ++position;
    if (op == kEscape) {
      if (position >= charstring.size) {
        return Flow::kEnd;
      }
      const unsigned char escape = charstring.data[position++];
      if (escape == kCallothersubr && last == kHintReplacementOthersubr) {
        scan.blocker = Blocker::kHintReplacement;
      } else if (!is_supported_escape(escape)) {
        scan.blocker = escape_blocker(escape);
      }
    } else if (op == kRrcurveto || op == kVhcurveto || op == kHvcurveto) {
      scan.blocker = Blocker::kCurve;
    } else if (!is_supported(op)) {
      scan.blocker = Blocker::kOther;
    } else if (op == kCallsubr) {
      if (last < 0 || static_cast<unsigned long>(last) >= scan.font.subrs.size ||
          walk(scan, scan.font.subrs.data[last], level + 1) == Flow::kEnd) {
        return Flow::kEnd;
      }
    } else if (op == kReturn) {
      return Flow::kReturn;
    } else if (op == kEndchar) {
      return Flow::kEnd;
    }
  }
  return Flow::kContinue;
}

} // namespace

const char* blocker_name(Blocker blocker) {
  switch (blocker) {
  case Blocker::kNone:
    return "malformed";
  case Blocker::kCurve:
    return "curves";
  case Blocker::kHintReplacement:
    return "hint replacement";
  case Blocker::kDotsection:
    return "dotsection";
  case Blocker::kStem3:
    return "vstem3/hstem3";
  case Blocker::kSeac:
    return "seac";
  case Blocker::kDiv:
    return "div";
  case Blocker::kOther:
    return "other operators";
  }
  return "?";
}

Blocker first_blocker(const Type1Font& font, ByteView charstring) {
  Scan scan{font};
  walk(scan, charstring, 0);
  return scan.blocker;
}

} // namespace dvttf_info
