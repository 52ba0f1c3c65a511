#include "font/type1/unicode_names.h"

#include "font/type1/glyph_names.h"
namespace {

// Sorted keys: code point << 32 | rank << 31 | glyph index, rank 0 for a name's first
// value and 1 for its second, so that for each code point the first value of the earliest
// glyph sorts first.
constexpr uint64_t kSecondRank = uint64_t(1) << 31;
constexpr unsigned long kMaxGlyphIndex = kSecondRank - 1;

uint32_t codepoint_of(uint64_t key) {
  return static_cast<uint32_t>(key >> 32);
}

unsigned long glyph_of(uint64_t key) {
  return static_cast<unsigned long>(key & kMaxGlyphIndex);
}

void sift_down(uint64_t* keys, unsigned long root, unsigned long count) {
  for (;;) {
    unsigned long child = 2 * root + 1;
    if (child >= count)
      return;
    if (child + 1 < count && keys[child + 1] > keys[child])
      ++child;
    if (keys[root] >= keys[child])
      return;
    uint64_t moved = keys[root];
    keys[root] = keys[child];
    keys[child] = moved;
    root = child;
  }
}

// Heapsort: n log n whatever order a font gives its glyphs, and no memory of its own.
void sort_keys(uint64_t* keys, unsigned long count) {
  for (unsigned long i = count / 2; i-- > 0;)
    sift_down(keys, i, count);
  for (unsigned long end = count; end > 1; --end) {
    uint64_t largest = keys[0];
    keys[0] = keys[end - 1];
    keys[end - 1] = largest;
    sift_down(keys, 0, end - 1);
  }
}

// Keeps the first key of each code point.
void keep_first_per_codepoint(dv::vector<uint64_t>& keys) {
  unsigned long kept = 0;
  for (unsigned long i = 0; i < keys.size; ++i) {
    if (kept == 0 || codepoint_of(keys.data[kept - 1]) != codepoint_of(keys.data[i]))
      keys.data[kept++] = keys.data[i];
  }
  keys.resize(kept);
}

uint32_t name_codepoint(dv::string_view name) {
  return glyph_name_codepoint(name.data, name.size);
}

const ByteView* charstring_named(const Type1Font& font, const dv::string& name) {
  if (name.size == 0)
    return nullptr;
  const auto* entry = font.charstrings.find(name.view());
  return entry != font.charstrings.entries.data + font.charstrings.entries.size ? &entry->second
                                                                                : nullptr;
}

} // namespace

bool has_symbolic_names(const Type1Font& font) {
  int drawable = 0;
  int named_for_their_code = 0;
  for (unsigned int code = 0x21; code <= 0x7E; ++code) {
    const dv::string& name = font.encoding[code];
    if (charstring_named(font, name) == nullptr)
      continue;
    ++drawable;
    named_for_their_code += name_codepoint(name.view()) == code;
  }
  return 2 * named_for_their_code < drawable;
}

void build_unicode_names(Type1Font& font) {
  dv::vector<uint64_t>& keys = font.unicode.glyphs;
  keys.clear();
  const auto& entries = font.charstrings.entries;
  const unsigned long count = entries.size < kMaxGlyphIndex ? entries.size : kMaxGlyphIndex;
  for (unsigned long glyph = 0; glyph < count; ++glyph) {
    const dv::string_view name = entries.data[glyph].first;
    uint32_t first = name_codepoint(name);
    if (first != kNoCodepoint)
      keys.emplace_back(uint64_t(first) << 32 | glyph);
    uint32_t second = glyph_name_second_codepoint(name.data, name.size);
    if (second != kNoCodepoint)
      keys.emplace_back(uint64_t(second) << 32 | kSecondRank | glyph);
  }
  sort_keys(keys.data, keys.size);
  keep_first_per_codepoint(keys);
  font.unicode.symbolic = has_symbolic_names(font);
}

const ByteView* charstring_for_codepoint(const Type1Font& font, unsigned int codepoint) {
  const dv::vector<uint64_t>& keys = font.unicode.glyphs;
  unsigned long low = 0;
  unsigned long high = keys.size;
  while (low < high) {
    unsigned long middle = low + (high - low) / 2;
    if (codepoint_of(keys.data[middle]) < codepoint)
      low = middle + 1;
    else
      high = middle;
  }
  if (low < keys.size && codepoint_of(keys.data[low]) == codepoint)
    return &font.charstrings.entries.data[glyph_of(keys.data[low])].second;
  if (font.unicode.symbolic && codepoint <= 255)
    return charstring_named(font, font.encoding[codepoint]);
  return nullptr;
}
