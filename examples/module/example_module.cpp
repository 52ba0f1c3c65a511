// An example module of the boot environment that uses DovrelTTF: it loads a font,
// renders a line, frees everything, and reports the outcome by throwing an exception
// that the library's runtime carries to the handler. The module brings no runtime of its
// own (freestanding, SjLj exceptions); everything it needs binds to the library.
#include "DovrelTTF.h"

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
