#include "type1_complete_facts.h"

#include <memory>

#include "font/type1/interpreter.h"
#include "font/type1/unicode_names.h"
#include "host/halt.h"

namespace dvttf_info {
namespace {

constexpr unsigned kFirstCodepoint = 0x20;
constexpr unsigned kLastCodepoint = 0x24F;

unsigned long drawn_charstrings(const Type1Font& font) {
  unsigned long drawn = 0;
  const auto& entries = font.charstrings.entries;
  for (unsigned long i = 0; i < entries.size; ++i) {
    Type1Interpreter interpreter(&font, 1.0);
    drawn += interpreter.execute(entries.data[i].second, 0) ? 1 : 0;
  }
  return drawn;
}

unsigned named_codepoints(const Type1Font& font) {
  unsigned mapped = 0;
  for (unsigned codepoint = kFirstCodepoint; codepoint <= kLastCodepoint; ++codepoint)
    mapped += charstring_for_codepoint(font, codepoint) != nullptr ? 1 : 0;
  return mapped;
}

} // namespace

void print_complete_type1_facts(const std::string& bytes, FILE* out) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  auto font = std::make_unique<Type1Font>();
  bool loaded = false;
  unsigned long drawn = 0;
  unsigned mapped = 0;
  const bool halted = dvhost::halts([&] {
    loaded = load_type1_font(*font, ByteVector(data, data + bytes.size()), Type1Mode::kComplete);
    if (loaded) {
      drawn = drawn_charstrings(*font);
      mapped = named_codepoints(*font);
    }
  });
  if (halted) {
    // The abandoned library code left the font half-built: drop it without running it.
    (void)font.release();
    std::fprintf(out, "complete Type 1 (option 4): the library halted (out of memory?)\n");
    return;
  }
  if (!loaded) {
    std::fprintf(out, "complete Type 1 (option 4): not loaded\n");
    return;
  }
  std::fprintf(out, "complete Type 1 (option 4) charstrings drawn: %lu of %zu\n", drawn,
               font->charstrings.entries.size);
  std::fprintf(
      out, "complete Type 1 (option 4) code points of U+0020-U+024F with a glyph: %u (%s)\n",
      mapped,
      font->unicode.symbolic ? "a symbol font: by glyph name, and codes 0-255 through its encoding"
                             : "by glyph name");
}

} // namespace dvttf_info
