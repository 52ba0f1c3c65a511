// dvttf-render: renders text with the DovrelTTF artifact, running inside the
// boot-environment stand-in, and writes the image as a PNG.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "host/artifact.h"
#include "host/file_store.h"
#include "host/halt.h"
#include "host/stand_in.h"
#include "options.h"
#include "png_writer.h"

namespace {

// The record dv_ttf_font_render returns.
struct TextImage {
  int32_t width;
  int32_t height;
  uint8_t* pixels;
  uint64_t reserved[2];
};

using LoadFont = void*(const char*, float);
using RenderText = TextImage*(void*, const char*, int, int, int, double);
using FreeFont = void(void*);
using Release = void(void*);

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int fail(const std::string& message, int code = kExitFailure) {
  std::fprintf(stderr, "dvttf-render: %s\n", message.c_str());
  return code;
}

// Empty when `path` names a readable regular file, else why not.
std::string font_file_problem(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    return "font file not found: " + path;
  }
  if (!S_ISREG(info.st_mode)) {
    return "font path is not a regular file: " + path;
  }
  if (info.st_size > 0xFFFFFFFFll) {
    return "font file too large (over 4 GiB): " + path;
  }
  return "";
}

int render(const dvttf_render::Options& options) {
  if (const std::string problem = font_file_problem(options.font); !problem.empty()) {
    return fail(problem);
  }
  dvhost::install_stand_in();
  // The library reads files through the host: serve the font's directory.
  const std::filesystem::path font = std::filesystem::absolute(options.font);
  dvhost::file_store::use_directory(font.parent_path().string());
  dvhost::Artifact library(DVTTF_ARTIFACT_PATH);
  auto* load = library.get<LoadFont>("_Z16dv_ttf_font_loadPKcf");
  auto* render_text = library.get<RenderText>("_Z18dv_ttf_font_renderPvPKciiid");
  auto* free_font = library.get<FreeFont>("_Z16dv_ttf_font_freePv");

  void* handle = nullptr;
  TextImage* image = nullptr;
  const bool halted = dvhost::halts([&] {
    handle = load(font.filename().c_str(), options.size);
    if (handle != nullptr) {
      image = render_text(handle, options.text.c_str(), options.red, options.green, options.blue,
                          options.opacity);
    }
  });
  if (halted) {
    return fail("the library halted (out of memory?)");
  }
  if (handle == nullptr) {
    return fail("cannot load font " + options.font +
                ": not a TrueType (glyf) or Type 1 font the library accepts");
  }
  free_font(handle);
  if (image == nullptr) {
    return fail("the text is too large to render at this size (limit: 16777216 pixels)");
  }
  const std::string error =
      dvttf_render::write_png(options.output, image->width, image->height, image->pixels);
  const int width = image->width;
  const int height = image->height;
  library.get<Release>("_ZdaPv")(image->pixels);
  library.get<Release>("_ZdlPv")(image);
  if (!error.empty()) {
    return fail(error);
  }
  std::printf("%s: %dx%d\n", options.output.c_str(), width, height);
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  const dvttf_render::ParseResult parsed =
      dvttf_render::parse_options(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.options) {
    std::fprintf(stderr, "dvttf-render: %s\n%s", parsed.error.c_str(),
                 dvttf_render::usage().c_str());
    return kExitUsage;
  }
  if (parsed.options->help) {
    std::printf("%s", dvttf_render::usage().c_str());
    return 0;
  }
  try {
    return render(*parsed.options);
  } catch (const std::exception& error) {
    return fail(error.what());
  }
}
