#include "command_line.h"

#include <getopt.h>

#include <cstring>
#include <map>

namespace dvttf_tools {
namespace {

// Long-only options answer getopt_long with codes past every character.
constexpr int kFirstLongOnlyCode = 256;

int code_of(const OptionRow& row, size_t index) {
  return row.short_name != 0 ? row.short_name : kFirstLongOnlyCode + static_cast<int>(index);
}

// The getopt_long tables of `options` and the way back from a code to its row.
struct GetoptTables {
  std::vector<option> long_options;
  // The leading ':' makes getopt_long report a missing value as ':' instead of '?'; a
  // leading '+' stops at the first operand.
  std::string short_options = ":";
  std::map<int, const OptionRow*> by_code;
};

GetoptTables getopt_tables(const std::vector<OptionRow>& options, OptionPlacement placement) {
  GetoptTables tables;
  if (placement == OptionPlacement::kBeforeOperands) {
    tables.short_options = "+:";
  }
  for (size_t i = 0; i < options.size(); ++i) {
    const OptionRow& row = options[i];
    const int has_value = row.value_name != nullptr ? required_argument : no_argument;
    tables.long_options.push_back({row.long_name, has_value, nullptr, code_of(row, i)});
    tables.by_code[code_of(row, i)] = &row;
    if (row.short_name != 0) {
      tables.short_options += row.short_name;
      tables.short_options += row.value_name != nullptr ? ":" : "";
    }
  }
  tables.long_options.push_back({nullptr, 0, nullptr, 0});
  return tables;
}

std::string written_name(const std::string& written) {
  return written.substr(0, written.find('='));
}

// The long options that `written` (a "--name" or "--name=value" argument) abbreviates.
std::vector<std::string> long_option_matches(const std::vector<OptionRow>& options,
                                             const std::string& written) {
  if (written.rfind("--", 0) != 0) {
    return {};
  }
  const std::string name = written_name(written).substr(2);
  std::vector<std::string> matches;
  for (const OptionRow& row : options) {
    if (std::strncmp(row.long_name, name.c_str(), name.size()) == 0) {
      matches.push_back(std::string("--") + row.long_name);
    }
  }
  return matches;
}

// Why getopt_long refused `written` ('?'), from what it left in optopt: the code of a flag
// given a value ("--help=x"), an unknown short option itself, else 0 for an unknown or
// ambiguous long option.
std::string refusal(const std::vector<OptionRow>& options, const GetoptTables& tables,
                    const std::string& written, int code) {
  if (tables.by_code.count(code) != 0) {
    return "option '" + written_name(written) + "' takes no value";
  }
  if (code != 0) {
    return std::string("unknown option '-") + static_cast<char>(code) + "'";
  }
  const std::vector<std::string> matches = long_option_matches(options, written);
  if (matches.size() > 1) {
    std::string names;
    for (const std::string& match : matches) {
      names += (names.empty() ? "" : ", ") + match;
    }
    return "ambiguous option '" + written + "' (" + names + ")";
  }
  return "unknown option '" + written_name(written) + "'";
}

} // namespace

ParsedCommandLine parse_command_line(const std::vector<OptionRow>& options,
                                     const std::vector<std::string>& arguments,
                                     OptionPlacement placement) {
  const GetoptTables tables = getopt_tables(options, placement);
  // getopt_long permutes argv in place: hand it copies it may reorder.
  std::vector<std::string> storage = {"program"};
  storage.insert(storage.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& argument : storage) {
    argv.push_back(argument.data());
  }
  argv.push_back(nullptr);
  const int argc = static_cast<int>(storage.size());

  ParsedCommandLine parsed;
  opterr = 0;
  optind = 0; // 0 makes glibc start a fresh scan
  for (;;) {
    const int code = getopt_long(argc, argv.data(), tables.short_options.c_str(),
                                 tables.long_options.data(), nullptr);
    if (code == -1) {
      break;
    }
    // The argument getopt_long was reading: optind has already stepped past it.
    const std::string written = argv[optind - 1];
    if (code == '?') {
      parsed.error = refusal(options, tables, written, optopt);
      return parsed;
    }
    if (code == ':') {
      const std::string name = written.rfind("--", 0) == 0
                                   ? written_name(written)
                                   : std::string("-") + static_cast<char>(optopt);
      parsed.error = name + " needs a value";
      return parsed;
    }
    parsed.error = tables.by_code.at(code)->apply(optarg != nullptr ? optarg : "");
    if (!parsed.error.empty()) {
      return parsed;
    }
  }
  parsed.operands.assign(argv.begin() + optind, argv.begin() + argc);
  return parsed;
}

std::string option_help(const std::vector<OptionRow>& options) {
  constexpr size_t kHelpColumn = 23;
  std::string text;
  for (const OptionRow& row : options) {
    std::string line = row.short_name != 0 ? std::string("  -") + row.short_name + ", " : "      ";
    line += std::string("--") + row.long_name;
    if (row.value_name != nullptr) {
      line += std::string(" ") + row.value_name;
    }
    line += line.size() < kHelpColumn ? std::string(kHelpColumn - line.size(), ' ') : "  ";
    text += line + row.help + "\n";
  }
  return text;
}

std::string help_hint(const std::string& tool) {
  return "Try '" + tool + " --help' for the options.";
}

} // namespace dvttf_tools
