// Why a Type 1 charstring comes back blank: the first operator on its path (subroutines
// included) that the library's straight-line interpreter does not run.
#pragma once

#include "font/type1/font.h"

namespace dvttf_info {

enum class Blocker {
  kNone,            // nothing unsupported found (a malformed charstring fails otherwise)
  kCurve,           // rrcurveto, vhcurveto, hvcurveto
  kHintReplacement, // othersubr 3: the subroutine number never reaches callsubr
  kDotsection,
  kStem3, // vstem3, hstem3
  kSeac,  // accented characters built from two glyphs
  kDiv,
  kOther, // any other operator the interpreter refuses
};

inline constexpr int kBlockerCount = static_cast<int>(Blocker::kOther) + 1;

const char* blocker_name(Blocker blocker);

Blocker first_blocker(const Type1Font& font, ByteView charstring);

} // namespace dvttf_info
