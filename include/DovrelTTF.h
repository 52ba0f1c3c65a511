// DovrelTTF: the library's font functions as a module of the boot environment sees them.
//
// The library is /lib/DovrelTTF.dylib (Mach-O) on the machine, libDovrelTTF.so (ELF) in
// the stand-in's ELF form. Compile a module as C++ (for example clang++-14
// -ffreestanding -fsjlj-exceptions) and link it against the library: these
// declarations have C++ linkage on purpose, so the calls bind to the mangled names the
// library exports (given beside each one). The language runtime (operator new/delete,
// exceptions with the SjLj model, type_info tables) comes from the library as well.
//
// Fonts: TrueType (.ttf) and Type 1 (PFB or PFA); the extended loaders below add OpenType
// with CFF outlines (.otf), collections (.ttc) and more. A font handle is opaque; every
// function accepts a null handle and does nothing with it (or returns null). Pixel
// sizes below 1, and NaN, count as 1.
#pragma once

#include <stddef.h>
#include <stdint.h>

// The image dv_ttf_font_render returns. `pixels` holds width * height * 4 bytes, RGBA
// (not premultiplied), rows top first, and is never null (an empty text gives a 0 x 0
// image whose pointer holds 4 zero bytes). The record comes from `new` and the pixels
// from `new[]`: release both with dv_ttf_image_free below (or delete[] image->pixels and
// delete image), never with free().
struct TextImage {
  int32_t width;
  int32_t height;
  uint8_t* pixels;
  uint64_t reserved[2]; // 0
};

static_assert(sizeof(TextImage) == 32, "TextImage is 32 bytes");
static_assert(offsetof(TextImage, width) == 0, "width at byte 0");
static_assert(offsetof(TextImage, height) == 4, "height at byte 4");
static_assert(offsetof(TextImage, pixels) == 8, "pixel pointer at byte 8");
static_assert(offsetof(TextImage, reserved) == 16, "reserved words at bytes 16 and 24");

// Loads a font file through the library's file system (the host's files). Null when the
// file is missing or unreadable, the library refuses the font, or the heap has too little
// memory left for it (nothing is kept then).
// Exported as _Z16dv_ttf_font_loadPKcf.
void* dv_ttf_font_load(const char* path, float pixel_size);

// Loads a font from memory; the library keeps its own copy of the bytes. Null for null
// or empty data, for fonts the library refuses, and when the heap has too little memory
// left for it (nothing is kept then). (`unsigned long` is size_t on
// x86-64 and spells the exported name.)
// Exported as _Z23dv_ttf_font_load_memoryPKvmf.
void* dv_ttf_font_load_memory(const void* data, unsigned long size, float pixel_size);

// The extended loaders: dv_ttf_font_load_memory and dv_ttf_font_load with an options word.
// With options 0 they behave exactly as those two. Otherwise each bit below turns on a
// format or feature, and bits 16-31 pick the face of a collection (with
// DV_TTF_LOAD_COLLECTIONS). Bits 4-15 are reserved: an options word that sets any of them
// gives null. A face index past a collection's last face, and any index but 0 for a file
// that is no collection, gives null. The handles work with the functions below as any other.
constexpr unsigned int DV_TTF_LOAD_CFF = 1u;            // OpenType with CFF outlines ("OTTO")
constexpr unsigned int DV_TTF_LOAD_COLLECTIONS = 2u;    // collections ("ttcf"), face options >> 16
constexpr unsigned int DV_TTF_LOAD_COMPLETE_TYPE1 = 4u; // Type 1 in full, glyphs found by name
constexpr unsigned int DV_TTF_LOAD_KERNING = 8u;        // pair kerning (GPOS, else kern)
constexpr unsigned int DV_TTF_LOAD_ALL = 15u;           // every option bit
// The options bits that pick face `face` of a collection.
constexpr unsigned int dv_ttf_face_option(unsigned int face) {
  return face << 16;
}

// Exported as _Z26dv_ttf_font_load_memory_exPKvmfj.
void* dv_ttf_font_load_memory_ex(const void* data, unsigned long size, float pixel_size,
                                 unsigned int options);

// Exported as _Z19dv_ttf_font_load_exPKcfj.
void* dv_ttf_font_load_ex(const char* path, float pixel_size, unsigned int options);

// Changes the pixel size for later renders.
// Exported as _Z18dv_ttf_font_resizePvf.
void dv_ttf_font_resize(void* font, float pixel_size);

// Renders UTF-8 text (a newline starts a new line) in the colour red, green, blue
// (0-255, clamped) at the given opacity (0-255, clamped). Null for a null handle or text,
// when the heap has too little memory left for the render (the handle stays usable, and
// the same render gives the same image once there is memory), and when the render would
// pass one of the limits below. Glyphs already rasterized at the handle's size cost
// nothing against them, so a text refused for its new glyphs can be drawn in pieces.
// Exported as _Z18dv_ttf_font_renderPvPKciiid.
TextImage* dv_ttf_font_render(void* font, const char* text, int red, int green, int blue,
                              double opacity);

// The limits of one dv_ttf_font_render call (it gives null beyond any of them):
// the text's bytes before the terminating 0,
constexpr unsigned long DV_TTF_RENDER_MAX_TEXT_BYTES = 1ul << 19;
// the image's width times height (a line is at least one line height tall),
constexpr long long DV_TTF_RENDER_MAX_IMAGE_PIXELS = 1ll << 24;
// the distinct code points not yet rasterized at the handle's size,
constexpr unsigned long DV_TTF_RENDER_MAX_NEW_GLYPHS = 1ul << 14;
// the bitmap pixels those glyphs add,
constexpr long long DV_TTF_RENDER_MAX_NEW_GLYPH_PIXELS = 1ll << 24;
// and the work they cost, in units of a few nanoseconds of rasterizing each (the README's
// budget section says what counts).
constexpr unsigned long long DV_TTF_RENDER_MAX_WORK = 1ull << 27;

// The limits of one glyph: a glyph past any of them is refused, and the render gives null
// (dv_ttf_font_measure returns 0), never an image with the glyph left out. Real glyphs stay
// far below them. A glyph whose data is broken (cut short, bad offsets, a charstring that
// fails, a composite nested in itself, charstrings or subroutine nesting beyond what the
// format allows) is drawn blank with its advance instead, and the render goes on.
// Pixels a side of its bitmap, a one-pixel margin around the ink included,
constexpr long long DV_TTF_GLYPH_MAX_BITMAP_SIDE = 16384;
// pixels of that bitmap in all,
constexpr long long DV_TTF_GLYPH_MAX_BITMAP_PIXELS = 1ll << 24;
// crossings of its outline's edges with the rasterizer's sample rows (four per pixel row;
// how many one row holds is not limited, only the work they cost),
constexpr unsigned long long DV_TTF_GLYPH_MAX_CROSSINGS = 1ull << 25;
// edges of its outline, every format, a curve counting the straight edges it is cut into,
constexpr unsigned long DV_TTF_GLYPH_MAX_EDGES = 1ul << 18;
// TrueType: points decoded over the glyph and all its components,
constexpr unsigned long DV_TTF_GLYPH_MAX_TRUETYPE_POINTS = 1ul << 18;
// component records expanded,
constexpr unsigned long DV_TTF_GLYPH_MAX_TRUETYPE_COMPONENTS = 4096;
// the deepest nesting of a composite (the glyph itself at depth 0),
constexpr int DV_TTF_GLYPH_MAX_COMPOSITE_DEPTH = 11;
// CFF: charstring operands and operators executed, subroutines and accents included,
constexpr unsigned long DV_TTF_GLYPH_MAX_CFF_STEPS = 1ul << 18;
// and Type 1: charstring bytes interpreted, subroutines included, and curve edges made.
constexpr unsigned long DV_TTF_GLYPH_MAX_TYPE1_WORK = 1ul << 20;

// Measures UTF-8 text without drawing it: the width and height of the image
// dv_ttf_font_render would return for the same text and handle (at its present size), and
// the first line's baseline: the y of the glyph origin, counted in pixels from the image's
// top edge. It is a boundary between rows, not a row: the rows 0 to baseline - 1 lie
// above it, and it may equal the image's height when the font has no descent (a 1 px
// font gives a 10 x 1 image with baseline 1). The empty text gives 0, and its image is
// 0 x 0. Returns 1, or 0 with the outputs untouched wherever dv_ttf_font_render would
// return null; null output pointers are skipped. No image is allocated and nothing joins
// the handle's glyph cache: TrueType and CFF glyphs the handle has not drawn yet are
// measured from their outlines without being drawn (a Type 1 glyph's box is that of its
// ink, so those are drawn, measured and dropped).
// Exported as _Z19dv_ttf_font_measurePvPKcPiS2_S2_.
int dv_ttf_font_measure(void* font, const char* text, int* width, int* height, int* baseline);

// Releases a font handle and everything it holds.
// Exported as _Z16dv_ttf_font_freePv.
void dv_ttf_font_free(void* font);

// Releases an image from dv_ttf_font_render (null is fine) with the library's delete
// operators.
inline void dv_ttf_image_free(TextImage* image) {
  if (image == nullptr)
    return;
  delete[] image->pixels;
  delete image;
}
