#include "type1_facts.h"

#include <string>

#include "charstring_scan.h"
#include "font/type1/interpreter.h"

namespace dvttf_info {
namespace {

// The interpreter's own verdict: true when the charstring runs to the end and is drawn.
bool is_drawn(const Type1Font& font, ByteView charstring) {
  Type1Interpreter interpreter(&font, 1.0);
  return interpreter.execute(charstring, 0);
}

struct CharstringCounts {
  unsigned long drawn = 0;
  unsigned long blank[kBlockerCount] = {};
};

CharstringCounts count_charstrings(const Type1Font& font) {
  CharstringCounts counts;
  const auto& entries = font.charstrings.entries;
  for (unsigned long i = 0; i < entries.size; ++i) {
    ByteView charstring = entries.data[i].second;
    if (is_drawn(font, charstring)) {
      ++counts.drawn;
    } else {
      ++counts.blank[static_cast<int>(first_blocker(font, charstring))];
    }
  }
  return counts;
}

struct EncodingCounts {
  int entries = 0;
  int first_code = -1;
  int last_code = -1;
  int missing = 0; // named glyphs without a charstring (drawn as .notdef)
  int drawn = 0;
};

EncodingCounts count_encoding(const Type1Font& font) {
  EncodingCounts counts;
  const auto* end = font.charstrings.entries.data + font.charstrings.entries.size;
  for (int code = 0; code < 256; ++code) {
    const dv::string& name = font.encoding[code];
    if (name.size == 0) {
      continue;
    }
    ++counts.entries;
    counts.first_code = counts.first_code < 0 ? code : counts.first_code;
    counts.last_code = code;
    const auto* named = font.charstrings.find(name.view());
    if (named == end) {
      ++counts.missing;
    } else if (is_drawn(font, named->second)) {
      ++counts.drawn;
    }
  }
  return counts;
}

void print_encoding(const Type1Font& font, bool standard_encoding, FILE* out) {
  const EncodingCounts counts = count_encoding(font);
  if (counts.entries == 0) {
    std::fprintf(out, "encoding: no explicit entries%s: every character draws .notdef\n",
                 standard_encoding
                     ? " (the font declares StandardEncoding, which the library does not map)"
                     : "");
    return;
  }
  std::fprintf(out, "encoding: %d explicit entries (codes %d to %d)\n", counts.entries,
               counts.first_code, counts.last_code);
  std::fprintf(out, "encoded characters drawn: %d of %d\n", counts.drawn, counts.entries);
  if (counts.missing != 0) {
    std::fprintf(out, "encoded names without a charstring (drawn as .notdef): %d\n",
                 counts.missing);
  }
}

} // namespace

void print_type1_facts(const Type1Font& font, bool standard_encoding, FILE* out) {
  std::fprintf(out, "units per em: %g\n", font.units_per_em);
  std::fprintf(out, "ascent: %g\n", font.ascent);
  std::fprintf(out, "descent: %g (below the baseline)\n", font.descent);
  std::fprintf(out, "line gap: 0\n");
  std::fprintf(out, "glyphs: %zu\n", font.charstrings.entries.size);
  print_encoding(font, standard_encoding, out);
  const CharstringCounts counts = count_charstrings(font);
  std::fprintf(out, "straight-line charstrings (drawn): %lu of %zu\n", counts.drawn,
               font.charstrings.entries.size);
  std::string reasons;
  for (int i = 0; i < kBlockerCount; ++i) {
    if (counts.blank[i] != 0) {
      reasons += (reasons.empty() ? "" : ", ") + std::string(blocker_name(Blocker(i))) + " " +
                 std::to_string(counts.blank[i]);
    }
  }
  if (!reasons.empty()) {
    std::fprintf(out, "blank charstrings by first unsupported operator: %s\n", reasons.c_str());
  }
}

} // namespace dvttf_info
