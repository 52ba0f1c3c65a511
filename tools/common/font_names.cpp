#include "font_names.h"

#include "encode_utf8.h"
#include "font/sfnt/sfnt.h"

namespace dvttf_tools {
namespace {

constexpr uint16_t kFamilyId = 1;
constexpr uint16_t kStyleId = 2;
constexpr uint16_t kFullNameId = 4;
constexpr char kReplacement[] = "\xEF\xBF\xBD";

// UTF-16BE (platforms 0 and 3); an unpaired surrogate becomes U+FFFD.
std::string from_utf16be(ByteView data, uint64_t at, uint64_t length) {
  std::string out;
  for (uint64_t i = 0; i + 1 < length; i += 2) {
    const uint32_t unit = read_u16_be(data, at + i);
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < length) {
      const uint32_t low = read_u16_be(data, at + i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        out += encode_utf8(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    if (unit >= 0xD800 && unit <= 0xDFFF) {
      out += kReplacement;
    } else {
      out += encode_utf8(unit);
    }
  }
  return out;
}

// Macintosh Roman: ASCII as it is, the upper half unspelled.
std::string from_mac_roman(ByteView data, uint64_t at, uint64_t length) {
  std::string out;
  for (uint64_t i = 0; i < length; ++i) {
    const unsigned char byte = data.data[at + i];
    out += byte < 0x80 ? std::string(1, static_cast<char>(byte)) : std::string(kReplacement);
  }
  return out;
}

// How well a name record suits a person reading UTF-8: Windows Unicode in US English
// first, then any Windows Unicode or Unicode-platform record, then Macintosh Roman.
int preference(uint16_t platform, uint16_t encoding, uint16_t language) {
  if (platform == 3 && (encoding == 1 || encoding == 10)) {
    return language == 0x409 ? 4 : 3;
  }
  if (platform == 0) {
    return 3;
  }
  if (platform == 1 && encoding == 0) {
    return language == 0 ? 2 : 1;
  }
  return 0;
}

} // namespace

std::string truetype_name(const SfntFont& font, uint16_t id) {
  const auto* entry = font.tables.find(sfnt_tag("name"));
  if (entry == font.tables.end()) {
    return "";
  }
  const ByteView data = font.data;
  const uint64_t table = entry->second.offset;
  const uint64_t table_end = table + entry->second.length;
  if (!has_bytes(data, table, 6) || table_end > data.size) {
    return "";
  }
  const uint16_t count = read_u16_be(data, table + 2);
  const uint64_t strings = table + read_u16_be(data, table + 4);
  std::string best;
  int best_preference = 0;
  for (uint64_t i = 0; i < count; ++i) {
    const uint64_t record = table + 6 + 12 * i;
    if (record + 12 > table_end) {
      break;
    }
    const uint16_t platform = read_u16_be(data, record);
    const int rank =
        preference(platform, read_u16_be(data, record + 2), read_u16_be(data, record + 4));
    const uint64_t at = strings + read_u16_be(data, record + 10);
    const uint64_t length = read_u16_be(data, record + 8);
    if (read_u16_be(data, record + 6) != id || rank <= best_preference || at > table_end ||
        table_end - at < length) {
      continue;
    }
    best = platform == 1 ? from_mac_roman(data, at, length) : from_utf16be(data, at, length);
    best_preference = rank;
  }
  return best;
}

namespace {

// The clear text of a Type 1 program: everything before its encrypted part.
std::string type1_clear_text(const std::string& bytes) {
  return bytes.substr(0, bytes.find("eexec"));
}

// The PostScript string after `key` ("/FamilyName (Nimbus Sans) readonly def"), with
// nested parentheses kept and backslash escapes taken literally.
std::string type1_string(const std::string& clear_text, const std::string& key) {
  size_t at = clear_text.find(key + " ");
  at = at == std::string::npos ? at : clear_text.find_first_not_of(" \t", at + key.size());
  if (at == std::string::npos || clear_text[at] != '(') {
    return "";
  }
  std::string value;
  int depth = 1;
  for (++at; at < clear_text.size(); ++at) {
    const char c = clear_text[at];
    if (c == '\\' && at + 1 < clear_text.size()) {
      value += clear_text[++at];
      continue;
    }
    depth += c == '(' ? 1 : c == ')' ? -1 : 0;
    if (depth == 0) {
      return value;
    }
    value += c;
  }
  return "";
}

// The name literal after `key` ("/FontName /NimbusSans-Regular def").
std::string type1_name(const std::string& clear_text, const std::string& key) {
  size_t at = clear_text.find(key + " ");
  at = at == std::string::npos ? at : clear_text.find_first_not_of(" \t", at + key.size());
  if (at == std::string::npos || clear_text[at] != '/') {
    return "";
  }
  const size_t end = clear_text.find_first_of(" \t\r\n/[]{}()<>%", at + 1);
  return clear_text.substr(at + 1, end == std::string::npos ? end : end - at - 1);
}

} // namespace

FontNames font_names(const InspectedFont& font) {
  FontNames names;
  if (const SfntFont* sfnt = font.sfnt()) {
    names.family = truetype_name(*sfnt, kFamilyId);
    names.style = truetype_name(*sfnt, kStyleId);
    names.full = truetype_name(*sfnt, kFullNameId);
  } else if (font.type1() != nullptr) {
    const std::string clear_text = type1_clear_text(font.bytes());
    names.font_name = type1_name(clear_text, "/FontName");
    names.family = type1_string(clear_text, "/FamilyName");
    names.full = type1_string(clear_text, "/FullName");
  }
  return names;
}

} // namespace dvttf_tools
