// Command lines of the DovrelTTF tools, read with the GNU getopt_long conventions: short
// and long forms, `--opt=value` or `--opt value` (`-s30` too), long names abbreviated
// while unambiguous, options before or after the operands, and `--` ending the options.
// Each tool describes its options in one table; the parser and the usage text both come
// from it, so adding an option is adding one row.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace dvttf_tools {

struct OptionRow {
  const char* long_name;
  char short_name;        // 0: the option has only its long form
  const char* value_name; // null: a flag without a value
  const char* help;       // one line for the usage text
  // Takes the value ("" for a flag) and returns an error message, or "" when accepted.
  std::function<std::string(const std::string& value)> apply;
};

struct ParsedCommandLine {
  std::vector<std::string> operands;
  std::string error; // empty when the command line was read
};

// Where options may appear: anywhere, or only before the first operand (everything from
// there on is an operand, as for a runner that passes its operands on to a program).
enum class OptionPlacement { kAnywhere, kBeforeOperands };

// Applies every option of `arguments` (the program name excluded) in order and collects
// the operands; stops at the first error, which names the option and what is wrong.
ParsedCommandLine parse_command_line(const std::vector<OptionRow>& options,
                                     const std::vector<std::string>& arguments,
                                     OptionPlacement placement = OptionPlacement::kAnywhere);

// The line after an option error: "Try 'TOOL --help' for the options."
std::string help_hint(const std::string& tool);

// The options' lines of a usage text, aligned: "  -s, --size PX        help".
std::string option_help(const std::vector<OptionRow>& options);

} // namespace dvttf_tools
