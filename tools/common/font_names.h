// The names a font gives itself, for people: from the name table of a TrueType font
// (family, subfamily and full name), from the clear text of a Type 1 program (FontName,
// FamilyName, FullName).
#pragma once

#include <string>

#include "inspected_font.h"

namespace dvttf_tools {

struct FontNames {
  std::string family;
  std::string style; // TrueType only (the subfamily, "Bold Italic")
  std::string full;
  std::string font_name; // Type 1 only (/FontName)
};

// Names the font does not give stay empty. UTF-8; characters a name cannot spell in the
// font's encoding come out as U+FFFD.
FontNames font_names(const InspectedFont& font);

// The best-suited record of name `id` of an sfnt font's name table, decoded; empty when
// the table has none.
std::string truetype_name(const SfntFont& font, uint16_t id);

} // namespace dvttf_tools
