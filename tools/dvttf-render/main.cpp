// dvttf-render: renders text with the DovrelTTF artifact, running inside the
// boot-environment stand-in, and writes the image as a PNG.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "blank_image.h"
#include "common/artifact_location.h"
#include "common/inspected_font.h"
#include "common/png_writer.h"
#include "host/artifact.h"
#include "host/file_store.h"
#include "host/halt.h"
#include "host/stand_in.h"
#include "options.h"
#include "refused_render.h"
#include "text_codepoints.h"

namespace {

// The record dv_ttf_font_render returns.
struct TextImage {
  int32_t width;
  int32_t height;
  uint8_t* pixels;
  uint64_t reserved[2];
};

using LoadFont = void*(const char*, float, unsigned int);
using RenderText = TextImage*(void*, const char*, int, int, int, double);
using MeasureText = int(void*, const char*, int*, int*, int*);

// The library's DvTtfLayout record and the laid-out entry points.
struct Layout {
  int32_t max_width;
  int32_t align;
  int32_t line_gap;
  uint32_t flags;
};
constexpr uint32_t kEllipsisFlag = 1;
using SetFallbacks = int(void*, void* const*, unsigned long);
using SetVariation = int(void*, const char*);
using RenderLayout = TextImage*(void*, const char*, const Layout*, int, int, int, double);
using MeasureLayout = int(void*, const char*, const Layout*, int*, int*, int*);

// The extended loader's options for pair kerning and light hinting.
constexpr unsigned int kKerningOption = 8;
constexpr unsigned int kHintingOption = 16;

// What the library's loader is asked for: every option (kerning unless --no-kern, hinting
// with --hinting, the face --face picks), or none with --standard.
unsigned int load_options(const dvttf_render::Options& options) {
  if (options.standard) {
    return 0;
  }
  const unsigned int features =
      options.kern ? dvttf_tools::kEveryOption : dvttf_tools::kEveryOption & ~kKerningOption;
  return features | (options.hinting ? kHintingOption : 0u) | options.face << 16;
}
using FreeFont = void(void*);
using Release = void(void*);

// The loaded artifact and the entry points the tool calls.
struct Library {
  std::unique_ptr<dvhost::Artifact> artifact;
  LoadFont* load = nullptr;
  RenderText* render = nullptr;
  MeasureText* measure = nullptr;
  FreeFont* free_font = nullptr;
  Release* delete_array = nullptr;
  Release* delete_object = nullptr;
  // Bound only when the options lay the text out.
  SetFallbacks* set_fallbacks = nullptr;
  RenderLayout* render_layout = nullptr;
  MeasureLayout* measure_layout = nullptr;
  // Bound only with --var.
  SetVariation* set_variation = nullptr;
};

// Throws std::runtime_error with the loader's message when `path` does not load, or
// naming the missing entry point. The path is made absolute so that a bare name is never
// looked up in the system's library directories.
Library open_library(const std::string& path, bool laid_out, bool varied) {
  Library library;
  library.artifact = std::make_unique<dvhost::Artifact>(std::filesystem::absolute(path).string());
  try {
    library.load = library.artifact->get<LoadFont>("_Z19dv_ttf_font_load_exPKcfj");
    library.render = library.artifact->get<RenderText>("_Z18dv_ttf_font_renderPvPKciiid");
    library.measure = library.artifact->get<MeasureText>("_Z19dv_ttf_font_measurePvPKcPiS2_S2_");
    library.free_font = library.artifact->get<FreeFont>("_Z16dv_ttf_font_freePv");
    library.delete_array = library.artifact->get<Release>("_ZdaPv");
    library.delete_object = library.artifact->get<Release>("_ZdlPv");
    if (laid_out) {
      library.set_fallbacks =
          library.artifact->get<SetFallbacks>("_Z25dv_ttf_font_set_fallbacksPvPKS_m");
      library.render_layout = library.artifact->get<RenderLayout>(
          "_Z25dv_ttf_font_render_layoutPvPKcPK11DvTtfLayoutiiid");
      library.measure_layout = library.artifact->get<MeasureLayout>(
          "_Z26dv_ttf_font_measure_layoutPvPKcPK11DvTtfLayoutPiS5_S5_");
    }
    if (varied)
      library.set_variation =
          library.artifact->get<SetVariation>("_Z25dv_ttf_font_set_variationPvPKc");
  } catch (const std::exception& error) {
    throw std::runtime_error(path + " is not a DovrelTTF library: " + error.what());
  }
  return library;
}

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int fail(const std::string& message, int code = kExitFailure) {
  std::fprintf(stderr, "dvttf-render: %s\n", message.c_str());
  return code;
}

// One line saying what is wrong and where the options are listed.
int usage_error(const std::string& message) {
  std::fprintf(stderr, "dvttf-render: %s\n%s\n", message.c_str(),
               dvttf_tools::help_hint("dvttf-render").c_str());
  return kExitUsage;
}

// The text, or an error message (exit code 2) in `error`. Standard input is read when
// TEXT is "-", or absent while standard input is open and not a terminal; one final
// newline, which every line-oriented producer appends, is dropped.
std::string resolve_text(const dvttf_render::Options& options, std::string* error) {
  if (options.text && *options.text != dvttf_render::kStandardStream) {
    return *options.text;
  }
  const bool stdin_open = fcntl(STDIN_FILENO, F_GETFD) != -1;
  if (!options.text && (!stdin_open || isatty(STDIN_FILENO))) {
    *error = "no TEXT given";
    return "";
  }
  std::string text;
  char buffer[4096];
  size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) {
    text.append(buffer, count);
  }
  if (std::ferror(stdin)) {
    *error = "cannot read the TEXT from standard input";
    return "";
  }
  if (!text.empty() && text.back() == '\n') {
    text.pop_back();
    if (!text.empty() && text.back() == '\r') {
      text.pop_back();
    }
  }
  if (text.empty()) {
    *error = "no TEXT given: standard input is empty";
  } else if (text.find('\0') != std::string::npos) {
    *error = "the TEXT from standard input holds a NUL byte";
  }
  return text;
}

// Warns about the characters the font gives no glyph of their own (drawn as .notdef):
// the first few, and how many in all.
void warn_unmapped(const std::vector<const dvttf_tools::InspectedFont*>& chain,
                   const std::string& text) {
  constexpr size_t kNamed = 5;
  std::vector<std::string> unmapped;
  size_t count = 0;
  for (uint32_t codepoint : dvttf_render::distinct_codepoints(text)) {
    bool mapped = false;
    for (const dvttf_tools::InspectedFont* font : chain) {
      mapped = mapped || font->maps(codepoint) || font->draws_nothing_for(codepoint);
    }
    if (!mapped) {
      ++count;
      if (unmapped.size() < kNamed) {
        unmapped.push_back(dvttf_render::describe_codepoint(codepoint));
      }
    }
  }
  if (count == 0) {
    return;
  }
  std::string names;
  for (const std::string& name : unmapped) {
    names += (names.empty() ? "" : ", ") + name;
  }
  if (count > unmapped.size()) {
    names += " and " + std::to_string(count - unmapped.size()) + " more";
  }
  std::fprintf(stderr,
               "dvttf-render: warning: the %s %zu of the text's characters to no glyph "
               "(they draw as .notdef): %s\n",
               chain.size() > 1 ? "fonts map" : "font maps", count, names.c_str());
}

// The font files as the library is given them: with fallbacks, which may lie in different
// directories, the whole file system is served and each path is given from its root;
// otherwise the main font's directory is served and the font is named alone.
std::vector<std::string> serve_fonts(const dvttf_render::Options& options) {
  const std::filesystem::path font = std::filesystem::absolute(options.font);
  if (options.fallbacks.empty()) {
    dvhost::file_store::use_directory(font.parent_path().string());
    return {font.filename().string()};
  }
  // The store refuses ".." in a path: each is resolved by its path's words first.
  auto from_root = [](const std::string& path) {
    return std::filesystem::absolute(path).lexically_normal().relative_path().string();
  };
  dvhost::file_store::use_directory("/");
  std::vector<std::string> names = {from_root(options.font)};
  for (const std::string& fallback : options.fallbacks) {
    names.push_back(from_root(fallback));
  }
  return names;
}

Layout layout_of(const dvttf_render::Options& options) {
  return {options.width, options.align, options.line_gap, options.ellipsis ? kEllipsisFlag : 0u};
}

// Loads every font and gives the first the others as its fallbacks; the handles loaded
// (a null first one when a font does not load) go to `handles`. False when a font does not
// load or the library refuses the list.
bool load_chain(const Library& library, const dvttf_render::Options& options,
                const std::vector<std::string>& names, std::vector<void*>* handles) {
  // Fallbacks are read as the main font is, always face 0.
  const unsigned int fallback_options = load_options(options) & 0xFFFF;
  for (size_t i = 0; i < names.size(); ++i) {
    void* handle = library.load(names[i].c_str(), options.size,
                                i == 0 ? load_options(options) : fallback_options);
    if (handle == nullptr) {
      return false;
    }
    handles->push_back(handle);
  }
  return handles->size() < 2 ||
         library.set_fallbacks((*handles)[0], handles->data() + 1, handles->size() - 1) == 1;
}

// Why a render gave null. The reason is found by redoing the plain render's checks; a
// laid-out image can pass those and still be refused, because --width widens it and
// wrapping adds lines, which the message then says.
std::string refusal_reason(const dvttf_render::Options& options,
                           const dvttf_tools::InspectedFont& inspected) {
  const std::string reason =
      dvttf_render::refused_render_reason(inspected, options.size, *options.text);
  if (options.width == 0 || reason.rfind("no limit of the render was exceeded", 0) != 0) {
    return reason;
  }
  return "the laid-out image goes beyond a limit of the render: it is at least the --width of " +
         std::to_string(options.width) + " px wide, and each wrapped line adds to its height";
}

int render(const dvttf_render::Options& options) {
  dvhost::install_stand_in();
  // Loaded by the library's own code first, so a font it refuses gets the reason.
  const dvttf_tools::InspectedFont inspected(options.font, load_options(options));
  if (!inspected.loaded()) {
    return fail(inspected.problem());
  }
  std::vector<std::unique_ptr<dvttf_tools::InspectedFont>> fallbacks;
  std::vector<const dvttf_tools::InspectedFont*> chain = {&inspected};
  for (const std::string& path : options.fallbacks) {
    fallbacks.push_back(
        std::make_unique<dvttf_tools::InspectedFont>(path, load_options(options) & 0xFFFF));
    if (!fallbacks.back()->loaded()) {
      return fail("fallback " + fallbacks.back()->problem());
    }
    chain.push_back(fallbacks.back().get());
  }
  // The library reads files through the host.
  const std::vector<std::string> names = serve_fonts(options);
  const std::string library_path =
      options.library.empty() ? dvttf_tools::default_artifact_path() : options.library;
  const bool laid_out = dvttf_render::wants_layout(options);
  const Library library = open_library(library_path, laid_out, !options.variation.empty());

  std::vector<void*> handles;
  bool chained = false;
  bool varied = true;
  TextImage* image = nullptr;
  int size[3] = {};
  bool measured = false;
  const Layout layout = layout_of(options);
  const bool halted = dvhost::halts([&] {
    chained = load_chain(library, options, names, &handles);
    if (!chained) {
      return;
    }
    if (library.set_variation != nullptr) {
      varied = library.set_variation(handles[0], options.variation.c_str()) == 1;
      if (!varied)
        return;
    }
    const char* text = options.text->c_str();
    if (options.measure) {
      measured =
          laid_out ? library.measure_layout(handles[0], text, &layout, &size[0], &size[1], &size[2])
                   : library.measure(handles[0], text, &size[0], &size[1], &size[2]);
    } else if (laid_out) {
      image = library.render_layout(handles[0], text, &layout, options.red, options.green,
                                    options.blue, options.opacity);
    } else {
      image = library.render(handles[0], text, options.red, options.green, options.blue,
                             options.opacity);
    }
  });
  if (halted) {
    return fail("the library halted (out of memory?)");
  }
  // Any order is safe: a fallback stays alive while a list holds it.
  for (void* handle : handles) {
    library.free_font(handle);
  }
  if (!chained) {
    if (handles.size() < names.size()) {
      const std::string& path =
          handles.empty() ? options.font : options.fallbacks[handles.size() - 1];
      return fail("cannot load " + std::string(handles.empty() ? "font " : "fallback font ") +
                  path + ": the library " + library_path + " refuses it");
    }
    return fail("the library " + library_path + " refuses the fallback list");
  }
  if (!varied) {
    return fail("--var '" + options.variation + "' does not apply to " + options.font +
                ": the font has no variations, lacks an axis it names, or it is not of the "
                "form TAG=VALUE,... (dvttf-info lists the font's axes)");
  }
  if (image == nullptr && !measured) {
    char pixels[32];
    std::snprintf(pixels, sizeof pixels, "%g", options.size);
    return fail("cannot render the text at " + std::string(pixels) +
                " px: " + refusal_reason(options, inspected));
  }
  if (measured) {
    std::printf("%dx%d baseline %d\n", size[0], size[1], size[2]);
    return 0;
  }
  const std::string error =
      dvttf_tools::write_png(options.output, image->width, image->height, image->pixels);
  const int width = image->width;
  const int height = image->height;
  const bool invisible = dvttf_render::is_invisible(width, height, image->pixels);
  library.delete_array(image->pixels);
  library.delete_object(image);
  if (!error.empty()) {
    return fail(error);
  }
  // With the PNG on standard output, the size line goes with the messages.
  std::fprintf(options.output == dvttf_render::kStandardStream ? stderr : stdout, "%s: %dx%d\n",
               options.output.c_str(), width, height);
  warn_unmapped(chain, *options.text);
  if (invisible) {
    std::fprintf(stderr, "dvttf-render: warning: nothing visible was drawn: %s\n",
                 dvttf_render::blank_image_reason(options, inspected).c_str());
  }
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  dvttf_render::ParseResult parsed =
      dvttf_render::parse_options(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.options) {
    return usage_error(parsed.error);
  }
  dvttf_render::Options& options = *parsed.options;
  if (options.help) {
    std::printf("%s", dvttf_render::usage().c_str());
    return 0;
  }
  if (options.version) {
    std::printf("dvttf-render (DovrelTTF) %s\n", DVTTF_VERSION);
    return 0;
  }
  if (options.output == dvttf_render::kStandardStream && isatty(STDOUT_FILENO)) {
    return fail("not writing a PNG to a terminal: redirect standard output or name a file");
  }
  std::string error;
  options.text = resolve_text(options, &error);
  if (!error.empty()) {
    return usage_error(error);
  }
  try {
    return render(options);
  } catch (const std::exception& failure) {
    return fail(failure.what());
  }
}
