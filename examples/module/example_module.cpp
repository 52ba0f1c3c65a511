// An example module of the boot environment that uses DovrelTTF: it loads a font,
// renders a line, frees everything, and reports the outcome by throwing an exception
// that the library's runtime carries to the handler. The module brings no runtime of its
// own (freestanding, SjLj exceptions); everything it needs binds to the library.
//
//   dvttf-run --files /usr/share/fonts/truetype/dejavu build/libdvexamplemodule.so \
//     DejaVuSans.ttf "Hello from a module"
#include "DovrelTTF.h"

// The library's console (docs/modules.md lists every export a module may use): text is
// collected into a line that dv_lua_writeline hands to the host.
extern "C" void dv_lua_write(const char* text, size_t length);
extern "C" void dv_lua_writeline();

namespace {

// Set by a dynamic initializer, which the loader runs before the module is used
// (ELF: .init_array; Mach-O: __mod_init_func).
volatile int gInitializerSeed = 7;
struct Startup {
  int ready;
  Startup() : ready(gInitializerSeed) {}
};
Startup gStartup;

struct Outcome {
  virtual ~Outcome() = default;
  virtual int code() const = 0;
};

struct LineRendered : Outcome {
  int width, height;
  uint64_t ink; // sum of the alpha bytes
  LineRendered(int w, int h, uint64_t alpha) : width(w), height(h), ink(alpha) {}
  int code() const override { return 0; }
};

struct FontRefused : Outcome {
  int code() const override { return 1; }
};

struct NothingRendered : Outcome {
  int code() const override { return 2; }
};

// Owns a font handle: freed however the scope is left, including by an exception.
class Font {
public:
  Font(const char* path, float pixel_size) : handle_(dv_ttf_font_load(path, pixel_size)) {}
  ~Font() { dv_ttf_font_free(handle_); }
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;
  void* handle() const { return handle_; }

private:
  void* handle_;
};

[[noreturn]] void render_line(const char* font_path, const char* text) {
  Font font(font_path, 24.0f);
  if (font.handle() == nullptr)
    throw FontRefused();
  TextImage* image = dv_ttf_font_render(font.handle(), text, 30, 30, 30, 255.0);
  if (image == nullptr)
    throw NothingRendered();
  uint64_t ink = 0;
  for (int32_t i = 0; i < image->width * image->height; ++i)
    ink += image->pixels[i * 4 + 3];
  LineRendered outcome(image->width, image->height, ink);
  dv_ttf_image_free(image);
  throw outcome;
}

} // namespace

struct ExampleReport {
  int initialized; // what the dynamic initializer stored
  int width;
  int height;
  uint64_t ink;
};

// Renders `text` with the font at `font_path` and fills `report`. Returns 0 when a line
// was rendered, 1 when the font was refused, 2 when nothing could be rendered.
extern "C" [[gnu::visibility("default")]] int
example_render_line(const char* font_path, const char* text, ExampleReport* report) {
  report->initialized = gStartup.ready;
  try {
    render_line(font_path, text);
  } catch (const LineRendered& line) {
    report->width = line.width;
    report->height = line.height;
    report->ink = line.ink;
    return line.code();
  } catch (const Outcome& outcome) {
    return outcome.code();
  }
}

namespace {

void write_text(const char* text) {
  size_t length = 0;
  while (text[length] != 0)
    ++length;
  dv_lua_write(text, length);
}

void write_number(uint64_t value) {
  char digits[24];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  char text[24];
  for (int i = 0; i < count; ++i)
    text[i] = digits[count - 1 - i];
  dv_lua_write(text, static_cast<size_t>(count));
}

} // namespace

// The entry point dvttf-run calls: `module_main(argc, argv)` with argv[0] the module, then
// FONT (a path among the host's files) and TEXT. Prints what was drawn on the console and
// returns example_render_line's code (3 for a wrong command line).
extern "C" [[gnu::visibility("default")]] int module_main(int argc, const char* const* argv) {
  if (argc != 3) {
    write_text("usage: MODULE FONT TEXT");
    dv_lua_writeline();
    return 3;
  }
  ExampleReport report{};
  const int code = example_render_line(argv[1], argv[2], &report);
  if (code == 0) {
    write_text("rendered ");
    write_number(static_cast<uint64_t>(report.width));
    write_text("x");
    write_number(static_cast<uint64_t>(report.height));
    write_text(", ink ");
    write_number(report.ink);
  } else {
    write_text(code == 1 ? "the font was refused" : "nothing was rendered");
  }
  dv_lua_writeline();
  return code;
}
