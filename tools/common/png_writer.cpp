#include "png_writer.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace dvttf_tools {
namespace {

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};

// libpng reports errors through longjmp; the writer keeps that inside one function.
bool write_rows(FILE* file, int width, int height, const uint8_t* rgba) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) {
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int row = 0; row < height; ++row) {
    png_write_row(png, rgba + static_cast<size_t>(row) * width * 4);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

} // namespace

std::string write_png(const std::string& path, int width, int height, const uint8_t* rgba) {
  const bool to_stdout = path == "-";
  const std::string name = to_stdout ? "standard output" : path;
  std::unique_ptr<FILE, FileCloser> file(to_stdout ? nullptr : std::fopen(path.c_str(), "wb"));
  FILE* stream = to_stdout ? stdout : file.get();
  if (stream == nullptr) {
    return "cannot write " + name + ": " + std::strerror(errno);
  }
  if (!write_rows(stream, width, height, rgba)) {
    return "cannot write the PNG to " + name;
  }
  if (std::fflush(stream) != 0 || std::ferror(stream) != 0) {
    return "cannot write " + name + ": " + std::strerror(errno);
  }
  return "";
}

} // namespace dvttf_tools
