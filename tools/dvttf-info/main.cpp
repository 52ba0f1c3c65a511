// dvttf-info: what the library reads from font files, so a person can see why a text
// would come out blank before rendering it: the format, names and metrics, the character
// map or encoding, which code points the font draws, and a sheet of every glyph. Runs the
// hosted core library (dvcore) inside the boot-environment stand-in.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cff_facts.h"
#include "common/command_line.h"
#include "common/font_names.h"
#include "common/inspected_font.h"
#include "glyph_sheet.h"
#include "host/stand_in.h"
#include "truetype_facts.h"
#include "type1_complete_facts.h"
#include "type1_facts.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNotMapped = 3;

struct Options {
  std::vector<uint32_t> has;
  std::string sheet;
  size_t max_glyphs = dvttf_info::kAllGlyphs; // drawn on a sheet
  bool standard = false; // read as the standard loader does (no extended options)
  uint32_t face = 0;     // a collection's face
  bool help = false;
  bool version = false;
};

// The code point of `text` when it is one UTF-8 character (the shortest form, no
// surrogate, at most U+10FFFF).
bool parse_character(const std::string& text, uint32_t* codepoint) {
  const auto lead = static_cast<unsigned char>(text.empty() ? 0 : text[0]);
  const size_t length = lead < 0x80    ? 1
                        : lead >= 0xF0 ? 4
                        : lead >= 0xE0 ? 3
                        : lead >= 0xC0 ? 2
                                       : 0;
  if (length == 0 || text.size() != length || lead > 0xF4) {
    return false;
  }
  uint32_t value = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if ((byte & 0xC0) != 0x80) {
      return false;
    }
    value = value << 6 | (byte & 0x3F);
  }
  const uint32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
  *codepoint = value;
  return value >= shortest[length] && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
}

// "U+XXXX" or "u+XXXX" (1 to 6 hex digits), "XXXX" (2 to 6 hex digits) or one character
// ("A", "中"): a lone character is itself even when it is a hex digit.
bool parse_codepoint(const std::string& text, uint32_t* codepoint) {
  if (parse_character(text, codepoint)) {
    return true;
  }
  const bool prefixed = text.size() > 2 && (text[0] == 'U' || text[0] == 'u') && text[1] == '+';
  const std::string digits = prefixed ? text.substr(2) : text;
  if (digits.empty() || digits.size() > 6 ||
      digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
    return false;
  }
  *codepoint = static_cast<uint32_t>(std::strtoul(digits.c_str(), nullptr, 16));
  return *codepoint <= 0x10FFFF;
}

std::string apply_has(const std::string& value, Options* options) {
  size_t start = 0;
  for (;;) {
    const size_t comma = value.find(',', start);
    const std::string item = value.substr(start, comma - start);
    uint32_t codepoint = 0;
    if (!parse_codepoint(item, &codepoint)) {
      return "--has wants code points (U+4E2D, 4E2D or the character itself, separated by "
             "commas) up to U+10FFFF, not '" +
             item + "'";
    }
    options->has.push_back(codepoint);
    if (comma == std::string::npos) {
      return "";
    }
    start = comma + 1;
  }
}

std::string apply_max_glyphs(const std::string& value, Options* options) {
  char* end = nullptr;
  errno = 0;
  const unsigned long count = std::strtoul(value.c_str(), &end, 10);
  if (value.empty() || *end != '\0' || errno != 0 || value[0] == '-' || count == 0 ||
      count > 0x110000) {
    return "--max-glyphs wants a count from 1 to 1114112, not '" + value + "'";
  }
  options->max_glyphs = count;
  return "";
}

std::string apply_face(const std::string& value, Options* options) {
  char* end = nullptr;
  errno = 0;
  const unsigned long face = std::strtoul(value.c_str(), &end, 10);
  if (value.empty() || *end != '\0' || errno != 0 || value[0] == '-' || face > 0xFFFF) {
    return "--face wants a face number from 0 to 65535, not '" + value + "'";
  }
  options->face = static_cast<uint32_t>(face);
  return "";
}

// What the library's loader is asked for.
unsigned int load_options(const Options& options) {
  return options.standard ? 0 : dvttf_tools::kEveryOption | options.face << 16;
}

std::vector<dvttf_tools::OptionRow> option_table(Options* options) {
  return {
      {"standard", 0, nullptr,
       "read the font as the standard loader does (TrueType and Type 1 only)",
       [options](const std::string&) {
         options->standard = true;
         return "";
       }},
      {"face", 0, "N", "the face of a collection to read (default 0)",
       [options](const std::string& value) { return apply_face(value, options); }},
      {"has", 0, "CHARS",
       "say for each of U+4E2D, 4E2D or 中 (comma-separated) whether it is drawn",
       [options](const std::string& value) { return apply_has(value, options); }},
      {"sheet", 0, "FILE.png", "draw every mapped glyph, labelled, in pages of 4096 pixel rows",
       [options](const std::string& value) {
         options->sheet = value;
         return value.empty() ? "--sheet wants a file name" : "";
       }},
      {"max-glyphs", 0, "N", "draw only the first N glyphs on the sheet",
       [options](const std::string& value) { return apply_max_glyphs(value, options); }},
      {"help", 'h', nullptr, "this text",
       [options](const std::string&) {
         options->help = true;
         return "";
       }},
      {"version", 0, nullptr, "the version",
       [options](const std::string&) {
         options->version = true;
         return "";
       }},
  };
}

std::string usage() {
  Options unused;
  return "usage: dvttf-info [OPTION]... FONT...\n"
         "Prints what DovrelTTF reads from each FONT through its extended loader with every\n"
         "option: its format (TrueType, OpenType CFF, a collection and its faces, Type 1 PFB,\n"
         "PFA or .t1), names, units per em, ascent, descent, line gap and glyph count; for\n"
         "TrueType and OpenType the character map subtables chosen and how many code points\n"
         "they map, for CFF outlines whether the font is CID-keyed, its charstrings and\n"
         "subroutines; for Type 1 the encoding entries and how many charstrings are drawn.\n" +
         dvttf_tools::option_help(option_table(&unused)) +
         "Exit status: 0 printed; 1 a file missing, a font the library refuses or a sheet\n"
         "with no glyph; 2 bad options; 3 a code point asked with --has that a font does not\n"
         "draw.\n";
}

int fail(const std::string& message, int code = kExitFailure) {
  std::fprintf(stderr, "dvttf-info: %s\n", message.c_str());
  if (code == kExitUsage) {
    std::fprintf(stderr, "%s\n", dvttf_tools::help_hint("dvttf-info").c_str());
  }
  return code;
}

void print_names(const dvttf_tools::InspectedFont& font) {
  const dvttf_tools::FontNames names = dvttf_tools::font_names(font);
  const std::pair<const char*, const std::string*> lines[] = {
      {"font name", &names.font_name},
      {"family", &names.family},
      {"style", &names.style},
      {"full name", &names.full},
  };
  for (const auto& [key, value] : lines) {
    if (!value->empty()) {
      std::printf("%s: %s\n", key, value->c_str());
    }
  }
}

// One line per face of a collection: its outline format and full name.
void print_faces(const dvttf_tools::InspectedFont& collection) {
  std::printf("faces: %u\n", collection.face_count());
  for (uint32_t face = 0; face < collection.face_count(); ++face) {
    const dvttf_tools::InspectedFont each(collection, face);
    const std::string name = dvttf_tools::font_names(each).full;
    std::printf("face %u: %s%s%s\n", face,
                each.cff() != nullptr ? (each.cff()->cff2 ? "OpenType CFF2" : "OpenType CFF")
                                      : (each.loaded() ? "TrueType" : "refused"),
                name.empty() ? "" : ", ", name.c_str());
  }
}

std::string tag_text(uint32_t tag) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8)
    text += static_cast<char>(tag >> shift & 0xFF);
  return text;
}

// A variable font's axes (user values) and named instances; nothing for a static font.
void print_variations(const SfntFont& font) {
  const FontVariations& variations = font.variations;
  if (variations.axes.size == 0)
    return;
  std::printf("variation axes: %zu\n", static_cast<size_t>(variations.axes.size));
  for (const VariationAxis& axis : variations.axes) {
    const std::string name = dvttf_tools::truetype_name(font, axis.name_id);
    std::printf("axis %s: %g to %g, default %g%s%s\n", tag_text(axis.tag).c_str(), axis.minimum,
                axis.maximum, axis.default_value, name.empty() ? "" : ", ", name.c_str());
  }
  std::printf("named instances: %zu\n", static_cast<size_t>(variations.instances.size));
  for (const NamedInstance& instance : variations.instances) {
    std::string settings;
    for (uint64_t i = 0; i < variations.axes.size; ++i) {
      char value[32];
      std::snprintf(value, sizeof value, "%g",
                    variations.instance_coordinates.data[instance.first_coordinate + i]);
      settings += (i == 0 ? "" : ",") + tag_text(variations.axes.data[i].tag) + "=" + value;
    }
    const std::string name = dvttf_tools::truetype_name(font, instance.subfamily_name_id);
    std::printf("instance %s: %s\n", name.empty() ? "(unnamed)" : name.c_str(), settings.c_str());
  }
}

void print_facts(const dvttf_tools::InspectedFont& font) {
  std::printf("file: %s\n", font.path().c_str());
  const bool cff2 = font.cff() != nullptr && font.cff()->cff2;
  std::printf("format: %s\n", cff2 ? "OpenType CFF2" : dvttf_tools::format_name(font.format()));
  if (font.format() == dvttf_tools::FontFormat::kCollection) {
    print_faces(font);
    std::printf("face read: %u\n", font.options() >> 16);
  }
  print_names(font);
  if (font.sfnt() != nullptr) {
    dvttf_info::print_truetype_facts(*font.sfnt(), stdout);
    print_variations(*font.sfnt());
    if (font.cff() != nullptr)
      dvttf_info::print_cff_facts(*font.cff(), stdout);
  } else {
    dvttf_info::print_type1_facts(*font.type1(), font.declares_standard_encoding(), stdout);
    dvttf_info::print_complete_type1_facts(font.bytes(), stdout);
  }
}

// Prints one line per code point asked; false when the font does not draw one of them.
bool print_has(const dvttf_tools::InspectedFont& font, const std::vector<uint32_t>& codepoints) {
  bool all = true;
  for (uint32_t codepoint : codepoints) {
    const bool mapped = font.maps(codepoint);
    std::printf("has U+%04X: %s\n", codepoint, mapped ? "yes" : "no");
    all = all && mapped;
  }
  return all;
}

// Draws the sheet and says where it went; the exit code.
int draw_sheet(const dvttf_tools::InspectedFont& font, const Options& options) {
  dvttf_info::SheetResult sheet;
  if (const std::string error =
          dvttf_info::write_glyph_sheet(font, options.sheet, options.max_glyphs, &sheet);
      !error.empty()) {
    return fail(error);
  }
  if (sheet.drawn == 0) {
    return fail("warning: the font maps no code point to a glyph of its own, so no sheet was "
                "written to " +
                options.sheet);
  }
  std::printf("sheet: %s (%zu glyphs", options.sheet.c_str(), sheet.drawn);
  if (sheet.pages.size() > 1) {
    std::printf(" on %zu pages of at most %d pixel rows, through %s", sheet.pages.size(),
                dvttf_info::kMaxSheetRows, sheet.pages.back().c_str());
  }
  if (sheet.drawn < sheet.mapped) {
    std::printf("; %zu more mapped, beyond --max-glyphs", sheet.mapped - sheet.drawn);
  }
  std::printf(")\n");
  return 0;
}

// The exit code for one font. Its facts follow those of an earlier file (`printed`)
// after a blank line; a refused file prints only its message.
int inspect(const std::string& path, const Options& options, bool* printed) {
  const dvttf_tools::InspectedFont font(path, load_options(options));
  if (!font.loaded()) {
    return fail(font.problem());
  }
  if (*printed) {
    std::printf("\n");
  }
  *printed = true;
  print_facts(font);
  const int status = print_has(font, options.has) ? 0 : kExitNotMapped;
  if (!options.sheet.empty()) {
    const int sheet_status = draw_sheet(font, options);
    return sheet_status != 0 ? sheet_status : status;
  }
  return status;
}

} // namespace

int main(int argc, char** argv) {
  Options options;
  const dvttf_tools::ParsedCommandLine parsed =
      dvttf_tools::parse_command_line(option_table(&options), {argv + 1, argv + argc});
  if (!parsed.error.empty()) {
    return fail(parsed.error, kExitUsage);
  }
  if (options.help) {
    std::fputs(usage().c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("dvttf-info (DovrelTTF) %s\n", DVTTF_VERSION);
    return 0;
  }
  if (parsed.operands.empty()) {
    return fail("no FONT given", kExitUsage);
  }
  if (!options.sheet.empty() && parsed.operands.size() > 1) {
    return fail("--sheet draws one FONT: give one", kExitUsage);
  }
  dvhost::install_stand_in();
  int status = 0;
  bool printed = false; // facts of an earlier file were printed
  for (const std::string& path : parsed.operands) {
    const int font_status = inspect(path, options, &printed);
    // A font that failed outranks a code point that is missing.
    status = font_status == kExitFailure || status == kExitFailure ? kExitFailure
                                                                   : std::max(status, font_status);
  }
  return status;
}
