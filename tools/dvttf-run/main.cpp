// dvttf-run: runs a module of the boot environment against the DovrelTTF artifact inside
// the stand-in: loads the library (ELF or Mach-O), serves a directory as the host's files
// and the terminal as its console, loads the module, and calls its entry point
// `module_main`. Halts, names the library does not export, a module of the other form and
// a missing module are reported in words, each with its own exit code.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/artifact_location.h"
#include "common/command_line.h"
#include "host/artifact.h"
#include "host/console.h"
#include "host/file_store.h"
#include "host/halt.h"
#include "host/stand_in.h"
#include "module_imports.h"

namespace {

// Exit codes of the runner itself, above those a module returns (0 to 123).
constexpr int kExitHalted = 124;
constexpr int kExitRunnerFailed = 125; // bad options, or the library does not load
constexpr int kExitModuleUnusable = 126;
constexpr int kExitModuleMissing = 127;

constexpr const char* kEntryPoint = "module_main";
using ModuleMain = int(int argc, const char* const* argv);

// The loader serves this itself (it binds every lazy pointer at load time).
constexpr const char* kMachOStubBinder = "dyld_stub_binder";
// The one library a module may need, by the name both artifact forms carry.
constexpr const char* kInstallName = "/lib/DovrelTTF.dylib";

struct Options {
  std::string library;
  std::string files = ".";
  bool check = false;
  bool help = false;
  bool version = false;
};

std::vector<dvttf_tools::OptionRow> option_table(Options* options) {
  return {
      {"library", 0, "PATH",
       "the DovrelTTF artifact (default: the one installed with this tool, in the module's form)",
       [options](const std::string& value) {
         options->library = value;
         return std::string();
       }},
      {"files", 0, "DIR", "the directory served as the host's files (default: .)",
       [options](const std::string& value) {
         options->files = value;
         return std::string();
       }},
      {"check", 0, nullptr, "only check that the library exports every name the module binds to",
       [options](const std::string&) {
         options->check = true;
         return std::string();
       }},
      {"help", 'h', nullptr, "this text",
       [options](const std::string&) {
         options->help = true;
         return std::string();
       }},
      {"version", 0, nullptr, "the version",
       [options](const std::string&) {
         options->version = true;
         return std::string();
       }},
  };
}

std::string usage() {
  Options unused;
  return std::string("usage: dvttf-run [OPTION]... MODULE [ARG]...\n"
                     "Runs MODULE (an ELF shared object or a Mach-O bundle or dylib built "
                     "against DovrelTTF) in\nthe boot-environment stand-in: calls its "
                     "extern \"C\" int module_main(int argc, const char* const* argv)\n"
                     "with MODULE and the ARGs, the console on standard input and output.\n") +
         dvttf_tools::option_help(option_table(&unused)) +
         "Exit status: what module_main returned (0 to 123); 124 the machine halted; 125 bad\n"
         "options or the library does not load; 126 the module cannot be loaded (the other\n"
         "form, a name the library does not export, no module_main); 127 no such module.\n";
}

int fail(const std::string& message, int code) {
  std::fprintf(stderr, "dvttf-run: %s\n", message.c_str());
  return code;
}

// One line saying what is wrong and where the options are listed.
int usage_error(const std::string& message) {
  std::fprintf(stderr, "dvttf-run: %s\n%s\n", message.c_str(),
               dvttf_tools::help_hint("dvttf-run").c_str());
  return kExitRunnerFailed;
}

// The library to load: the one given, else the artifact in the module's own form.
std::string library_for(const Options& options, dvhost::ImageForm module_form) {
  if (!options.library.empty()) {
    return options.library;
  }
  return dvttf_tools::default_artifact_path(module_form == dvhost::ImageForm::elf
                                                ? dvttf_tools::kElfArtifactName
                                                : dvttf_tools::kMachOArtifactName);
}

std::string joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) {
    text += (text.empty() ? "" : ", ") + name;
  }
  return text;
}

// Empty when `module` binds to nothing but `library`'s exports, else what it needs beyond.
std::string binding_problem(const dvhost::Artifact& library, const std::string& library_path,
                            const std::string& module) {
  const dvttf_run::ModuleImports imports = dvttf_run::module_imports(module);
  std::vector<std::string> other_libraries;
  for (const std::string& needed : imports.libraries) {
    if (needed != kInstallName) {
      other_libraries.push_back(needed);
    }
  }
  if (!other_libraries.empty()) {
    return module +
           " needs libraries the boot environment does not have: " + joined(other_libraries) +
           " (link with -nostdlib against " + kInstallName +
           " alone: " + dvttf_tools::module_guide_path() + ")";
  }
  std::vector<std::string> missing;
  for (const std::string& name : imports.names) {
    if (name != kMachOStubBinder && library.find(name) == nullptr) {
      missing.push_back(name);
    }
  }
  if (!missing.empty()) {
    return module + " binds to " + std::to_string(missing.size()) +
           (missing.size() == 1 ? " name" : " names") + " the library " + library_path +
           " does not export: " + joined(missing) + " (" + dvttf_tools::module_guide_path() +
           " lists what a module may use)";
  }
  return "";
}

// Says which files the module asked for that exist but lie outside the served directory:
// the module sees only that directory, its paths taken from there.
void note_files_outside(const std::string& served) {
  namespace fs = std::filesystem;
  for (const std::string& path : dvhost::file_store::missing_paths()) {
    std::error_code error;
    if (fs::is_regular_file(path, error)) {
      std::fprintf(stderr,
                   "dvttf-run: %s was not found among the host's files: they are the files of "
                   "%s (--files), named from there; give --files %s and the name %s\n",
                   path.c_str(), fs::absolute(served).lexically_normal().string().c_str(),
                   fs::absolute(path).parent_path().string().c_str(),
                   fs::path(path).filename().string().c_str());
    }
  }
}

int run_module(const dvhost::Artifact& library, const std::string& module_path,
               const std::vector<std::string>& arguments, const std::string& served) {
  std::unique_ptr<dvhost::LoadedImage> module;
  try {
    module = library.load_module(module_path);
  } catch (const std::exception& error) {
    return fail(error.what(), kExitModuleUnusable);
  }
  auto* entry = reinterpret_cast<ModuleMain*>(module->find(kEntryPoint));
  if (entry == nullptr) {
    return fail(module_path + " exports no " + kEntryPoint +
                    " (a module defines extern \"C\" int module_main(int argc, const char* "
                    "const* argv); see " +
                    dvttf_tools::module_guide_path() + ")",
                kExitModuleUnusable);
  }
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) {
    argv.push_back(argument.c_str());
  }
  argv.push_back(nullptr);
  int status = 0;
  const dvhost::HaltReport report = dvhost::run_catching_halt([&] {
    status = entry(static_cast<int>(arguments.size()), argv.data());
    library.get<void()>("dv_lua_flush_output")();
  });
  note_files_outside(served);
  if (report.halted) {
    return fail("the machine halted in " + module_path +
                    " (the library halts on a failed allocation, abort() or std::terminate)",
                kExitHalted);
  }
  return status & 0xFF;
}

int run(const Options& options, const std::vector<std::string>& operands) {
  const std::string& module_path = operands[0];
  std::error_code error;
  if (!std::filesystem::is_regular_file(module_path, error)) {
    return fail("module not found: " + module_path, kExitModuleMissing);
  }
  const dvhost::ImageForm module_form = dvhost::image_form(module_path);
  if (module_form == dvhost::ImageForm::unknown) {
    return fail(module_path + " is neither an ELF shared object nor a Mach-O image",
                kExitModuleUnusable);
  }
  std::string library_path;
  try {
    library_path = library_for(options, module_form);
  } catch (const std::exception& failure) {
    return fail(failure.what(), kExitRunnerFailed);
  }
  const dvhost::ImageForm library_form = dvhost::image_form(library_path);
  if (library_form != dvhost::ImageForm::unknown && library_form != module_form) {
    return fail(module_path + " is " + dvhost::form_name(module_form) + " but the library " +
                    library_path + " is " + dvhost::form_name(library_form) +
                    ": a module runs against the library of its own form (give --library the "
                    "other artifact, or build the module in the other form: " +
                    dvttf_tools::module_guide_path() + ")",
                kExitModuleUnusable);
  }
  dvhost::install_stand_in();
  dvhost::file_store::use_directory(options.files);
  dvhost::console::set_capture(false);
  dvhost::console::set_print(true);
  dvhost::console::set_read_stdin(true);
  std::unique_ptr<dvhost::Artifact> library;
  try {
    library = std::make_unique<dvhost::Artifact>(std::filesystem::absolute(library_path).string());
  } catch (const std::exception& failure) {
    return fail(failure.what(), kExitRunnerFailed);
  }
  std::string problem;
  try {
    problem = binding_problem(*library, library_path, module_path);
  } catch (const std::exception& failure) {
    problem = failure.what();
  }
  if (!problem.empty()) {
    return fail(problem, kExitModuleUnusable);
  }
  if (options.check) {
    std::printf("%s: needs only %s, and every name it binds to is exported by %s\n",
                module_path.c_str(), kInstallName, library_path.c_str());
    return 0;
  }
  return run_module(*library, std::filesystem::absolute(module_path).string(), operands,
                    options.files);
}

} // namespace

int main(int argc, char** argv) {
  Options options;
  const dvttf_tools::ParsedCommandLine parsed =
      dvttf_tools::parse_command_line(option_table(&options), {argv + 1, argv + argc},
                                      dvttf_tools::OptionPlacement::kBeforeOperands);
  if (!parsed.error.empty()) {
    return usage_error(parsed.error);
  }
  if (options.help) {
    std::fputs(usage().c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("dvttf-run (DovrelTTF) %s\n", DVTTF_VERSION);
    return 0;
  }
  if (parsed.operands.empty()) {
    return usage_error("no MODULE given");
  }
  try {
    return run(options, parsed.operands);
  } catch (const std::exception& failure) {
    return fail(failure.what(), kExitRunnerFailed);
  }
}
