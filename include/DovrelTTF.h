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
// DV_TTF_LOAD_COLLECTIONS). Bits 7-15 are reserved: an options word that sets any of them
// gives null. A face index past a collection's last face, and any index but 0 for a file
// that is no collection, gives null. The handles work with the functions below as any other.
constexpr unsigned int DV_TTF_LOAD_CFF = 1u;            // OpenType CFF or CFF2 outlines ("OTTO")
constexpr unsigned int DV_TTF_LOAD_COLLECTIONS = 2u;    // collections ("ttcf"), face options >> 16
constexpr unsigned int DV_TTF_LOAD_COMPLETE_TYPE1 = 4u; // Type 1 in full, glyphs found by name
constexpr unsigned int DV_TTF_LOAD_KERNING = 8u;        // pair kerning (GPOS, else kern)
// Light hinting: horizontal edges (baseline, x-height, cap height, the bars of letters)
// snapped to whole pixel rows, vertically only; advances, kerning and widths unchanged.
constexpr unsigned int DV_TTF_LOAD_HINTING = 16u;
// Character maps of formats 0 (Macintosh Roman, Cyrillic or Central European), 13 (ranges
// sharing a glyph) and 14: a variation selector (U+FE00-U+FE0F, U+E0100-U+E01EF) after a
// character picks the variant glyph the font lists for the pair, else the character's own;
// a selector itself draws nothing.
constexpr unsigned int DV_TTF_LOAD_CHARACTER_MAPS = 64u;
// The formats and kerning, every bit the extended loaders first offered. Hinting and the
// further character maps change what existing text draws, so they are asked for by name.
constexpr unsigned int DV_TTF_LOAD_ALL = 15u;
// dv_ttf_font_load_memory_ex reads the caller's bytes in place instead of copying them:
// the caller promises they stay unchanged and alive until the handle is freed. The
// library never writes to them. dv_ttf_font_load_ex ignores the bit (it keeps the one
// copy of the file it read). Not part of DV_TTF_LOAD_ALL, since it is a promise, not a
// feature.
constexpr unsigned int DV_TTF_LOAD_BORROW = 32u;
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
// and the work they cost, in units of a few nanoseconds of rasterizing each (docs/limits.md
// says what counts).
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

// ---- Variable fonts (TrueType outlines: fvar, avar, gvar, HVAR, MVAR) ----------------
//
// A handle of a variable font draws its default instance until told otherwise.
// dv_ttf_font_set_variation picks another: `settings` lists axis tags and user-space
// values, "wght=700,wdth=87.5" (spaces around tags and values allowed, a later pair for
// a tag wins); axes not named keep their default; values are clamped to each axis's
// range; null or "" returns to the default instance. The glyphs drawn so far are dropped,
// as dv_ttf_font_resize drops them. Returns 1, or 0 with the handle unchanged for a null
// handle, a font without variations, a tag the font does not have, or a malformed string.
// Exported as _Z25dv_ttf_font_set_variationPvPKc.
int dv_ttf_font_set_variation(void* font, const char* settings);

// The number of axes of the font (0 for a font without variations); when 0 <= index <
// that number, axis `index`'s tag (four characters, the first in the high byte) and its
// minimum, default and maximum user values are stored through the pointers not null.
// Exported as _Z26dv_ttf_font_variation_axisPviPjPdS1_S1_.
int dv_ttf_font_variation_axis(void* font, int index, unsigned int* tag, double* minimum,
                               double* default_value, double* maximum);

// The number of named instances of the font (0 without variations); when 0 <= index <
// that number, instance `index`'s subfamily name ID (in the font's name table) and up to
// `value_count` of its user values, in axis order, are stored through the pointers not
// null.
// Exported as _Z26dv_ttf_font_named_instancePviPjPdi.
int dv_ttf_font_named_instance(void* font, int index, unsigned int* subfamily_name_id,
                               double* values, int value_count);

// ---- Text for a boot screen: fallback fonts, laid-out text, surfaces, carets ----------
//
// Fallback fonts. dv_ttf_font_set_fallbacks gives a handle an ordered list of other
// handles (at most 15; count 0 clears the list). The laid-out functions below draw each
// code point from the first font of [the handle, its fallbacks...] whose character map
// has it, and a code point none has with the handle's own missing glyph. Fallback glyphs
// are drawn at the handle's pixel size and cached in the handle (resizing the handle, or
// changing its list, drops them). The fallbacks' own lists are not consulted. The five
// functions above ignore fallback lists: their images stay what they always were.
//
// Lifetime: a list holds its handles by reference count. dv_ttf_font_free on a handle
// empties its own list at once; the handle itself is destroyed then when no list holds it,
// and otherwise stays alive, unusable by the caller, until the last list holding it lets
// it go (its holder is freed or given another list). Handles may therefore be freed in any
// order; a freed handle must not be passed to any function again.
//
// Returns 1, or 0 with the list unchanged for a null handle, a null entry, null
// `fallbacks` with a count above 0, more than 15 entries, or a heap too small for the
// list. The handle itself and repeated entries are left out of the list.
// Exported as _Z25dv_ttf_font_set_fallbacksPvPKS_m.
int dv_ttf_font_set_fallbacks(void* font, void* const* fallbacks, unsigned long count);

// How a laid-out text is arranged. A null pointer stands for all fields 0.
//   max_width  > 0: lines wrap at break opportunities to fit this many pixels, and the
//              image is at least this wide; <= 0: lines break only at line feeds.
//              Lines may end after a run of spaces (which do not count toward a line's
//              width when wrapping), after a hyphen (U+002D, U+2010) or U+200B, and before
//              or after an ideograph or kana (not before closing punctuation or small
//              kana, not after opening brackets). A word wider than the line on its own
//              breaks between any two characters; a single character wider than the line
//              stands alone on it.
//   align      DV_TTF_ALIGN_LEFT, _CENTRE or _RIGHT: each line within the image width,
//              the widest line or max_width, whichever is wider (centred lines start at
//              floor((image width - line width) / 2)).
//   line_gap   pixels added between lines; below 0 counts as 0.
//   flags      DV_TTF_LAYOUT_ELLIPSIS (with max_width > 0): each line that does not fit
//              is shortened, instead of wrapped, to its longest start that fits followed
//              by "..." (U+2026, from the chain); only "..." when nothing does.
// An unknown align value or flag bit makes every function taking the record refuse (null
// or 0). Each line's baseline is one row for all its glyphs: its ascent and descent are
// the largest of the fonts whose glyphs it holds.
struct DvTtfLayout {
  int32_t max_width;
  int32_t align;
  int32_t line_gap;
  uint32_t flags;
};
constexpr int32_t DV_TTF_ALIGN_LEFT = 0;
constexpr int32_t DV_TTF_ALIGN_CENTRE = 1;
constexpr int32_t DV_TTF_ALIGN_RIGHT = 2;
constexpr uint32_t DV_TTF_LAYOUT_ELLIPSIS = 1u;

// dv_ttf_font_render through the handle's fallbacks and the layout. With no fallbacks and
// a null layout (or all fields 0) the image is byte for byte dv_ttf_font_render's. The
// same limits apply, and null wherever they are passed, as for dv_ttf_font_render.
// Exported as _Z25dv_ttf_font_render_layoutPvPKcPK11DvTtfLayoutiiid.
TextImage* dv_ttf_font_render_layout(void* font, const char* text, const DvTtfLayout* layout,
                                     int red, int green, int blue, double opacity);

// dv_ttf_font_measure for dv_ttf_font_render_layout: exactly its image's width and height
// and its first line's baseline row, or 0 (outputs untouched) wherever it gives null. New
// glyphs are measured, not cached.
// Exported as _Z26dv_ttf_font_measure_layoutPvPKcPK11DvTtfLayoutPiS5_S5_.
int dv_ttf_font_measure_layout(void* font, const char* text, const DvTtfLayout* layout, int* width,
                               int* height, int* baseline);

// A caller's 32-bit pixel surface: `height` rows of `width` pixels, each row `pitch` bytes
// after the one before (pitch >= width * 4).
struct DvTtfSurface {
  void* pixels;
  int32_t width;
  int32_t height;
  int32_t pitch;
  uint32_t format;
};
constexpr uint32_t DV_TTF_SURFACE_BGRX8888 = 1u; // bytes B, G, R, unused (kept)
constexpr uint32_t DV_TTF_SURFACE_RGBX8888 = 2u; // bytes R, G, B, unused (kept)
constexpr uint32_t DV_TTF_SURFACE_RGBA8888 = 3u; // bytes R, G, B, A; straight alpha

// Draws the image dv_ttf_font_render_layout would give onto `surface`, its top-left
// corner at (x, y) (any values: the text is clipped at every edge), without making the
// image. Each pixel of the image with alpha a = floor(coverage * A / 255) (A the opacity,
// rounded and clamped to 0-255; the colour C clamped to 0-255) is blended onto the
// surface pixel below it, exactly rounded:
//   BGRX8888, RGBX8888: each channel D becomes round((C * a + D * (255 - a)) / 255); the
//     unused byte is left as it is.
//   RGBA8888: with P = 255 * a + Da * (255 - a), alpha becomes round(P / 255) and each
//     channel round((255 * C * a + D * Da * (255 - a)) / P).
// A pixel with a = 0, and every pixel outside the surface or the text's image, is left as
// it is. Returns 1, or 0 drawing nothing for an invalid surface (null, width or height
// below 1, pitch below width * 4, unknown format) and wherever dv_ttf_font_render_layout
// gives null. Once the text's glyphs are cached and the handle has drawn a text as long
// before, a draw asks the heap for nothing.
// Exported as _Z16dv_ttf_font_drawPvPKcPK11DvTtfLayoutPK12DvTtfSurfaceiiiiid.
int dv_ttf_font_draw(void* font, const char* text, const DvTtfLayout* layout,
                     const DvTtfSurface* surface, int x, int y, int red, int green, int blue,
                     double opacity);

// One caret position in the image of dv_ttf_font_render_layout.
struct DvTtfCaret {
  uint32_t byte_offset; // where the code point starts in the text (its length: the end)
  int32_t line;         // its line, 0 first
  int32_t x;            // the pen's column before the code point
  int32_t top;          // the line box: its first row and height,
  int32_t height;
  int32_t baseline; // and its baseline's row
};

// The caret positions of a text: one for each code point (carriage returns left out, as
// renders drop them) in order, then one for the end of the text. A drawn code point's x is
// the line's start plus its pen position before it, rounded up; a code point not drawn
// (spaces where a line wraps, characters an ellipsis hides, a line feed) gets the position
// after its line's last drawn character, as does the end. The empty text gives one
// position, x 0 on line 0. Writes the first `capacity` positions to `carets` (null with
// capacity 0 to only count) and returns how many there are; 0 wherever
// dv_ttf_font_render_layout gives null.
// Exported as _Z27dv_ttf_font_caret_positionsPvPKcPK11DvTtfLayoutP10DvTtfCaretm.
long dv_ttf_font_caret_positions(void* font, const char* text, const DvTtfLayout* layout,
                                 DvTtfCaret* carets, unsigned long capacity);

// Releases an image from dv_ttf_font_render (null is fine) with the library's delete
// operators.
inline void dv_ttf_image_free(TextImage* image) {
  if (image == nullptr)
    return;
  delete[] image->pixels;
  delete image;
}
