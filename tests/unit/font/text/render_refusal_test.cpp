// explain_render_refusal against the render itself: for texts past each limit of a render
// and for one within them all, it names exactly the limits passed, with the figures the
// render would have had, and refuses exactly where dv_ttf_font_render gives null.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "font/entry_points.h"
#include "font/render_limits.h"
#include "font/text/render_refusal.h"
#include "support/utf8_encode.h"
#include "unit/font/fake_font_backend.h"

using testfont::FakeBackend;
using testfont::FakeGlyph;

namespace {

using namespace render_limits;

// Pixel size 10 at 1000 units per em: line height 10.
constexpr float kPixelSize = 10.0f;

struct RefusalCase {
  const char* name;
  float pixel_size;
  std::function<std::string()> text;
  std::function<void(FakeBackend&)> glyphs;
  std::function<void(const RenderRefusal&)> expect;
};

std::string distinct_characters(unsigned int count) {
  std::string text;
  for (unsigned int i = 0; i < count; ++i)
    textref::append_utf8(text, 0x4E00 + i);
  return text;
}

const RefusalCase kCases[] = {
    {"within every limit", kPixelSize, [] { return std::string("AB\nBA"); },
     [](FakeBackend& b) { b.glyphs['A'] = FakeGlyph{0, 8, 6, 8, 7.0, 255, 100}; },
     [](const RenderRefusal& r) {
       EXPECT_FALSE(r.refused());
       EXPECT_EQ(r.width, 7);
       EXPECT_EQ(r.height, 20);
       EXPECT_EQ(r.glyph_pixels, 48);
       EXPECT_GE(r.work, 100u);
     }},
    {"the text's bytes", kPixelSize, [] { return std::string(kMaxTextBytes + 5, 'A'); }, nullptr,
     [](const RenderRefusal& r) {
       EXPECT_EQ(r.early, RenderRefusal::Early::kTextBytes);
       EXPECT_EQ(r.text_bytes, kMaxTextBytes + 5);
     }},
    {"the lines' least height", 1000.0f, [] { return std::string(kMaxImagePixels / 1000, '\n'); },
     nullptr,
     [](const RenderRefusal& r) {
       EXPECT_EQ(r.early, RenderRefusal::Early::kLines);
       EXPECT_EQ(r.lines, uint64_t(kMaxImagePixels / 1000 + 1));
       EXPECT_EQ(r.line_height, 1000);
     }},
    {"the new glyphs, counted to the end", kPixelSize,
     [] { return distinct_characters(kMaxNewGlyphs + 10) + distinct_characters(5); }, nullptr,
     [](const RenderRefusal& r) {
       EXPECT_EQ(r.early, RenderRefusal::Early::kNewGlyphs);
       EXPECT_EQ(r.new_glyphs, kMaxNewGlyphs + 10);
     }},
    {"the image", kPixelSize, [] { return std::string(3000, 'W'); },
     [](FakeBackend& b) { b.glyphs['W'] = FakeGlyph{0, 8, 6, 8, 1000.0, 255}; },
     [](const RenderRefusal& r) {
       EXPECT_EQ(r.early, RenderRefusal::Early::kNone);
       EXPECT_TRUE(r.image_too_large);
       EXPECT_FALSE(r.too_many_glyph_pixels || r.too_much_work);
       EXPECT_EQ(r.height, 10);
       EXPECT_GE(r.width, 2999 * 1000);
     }},
    {"the glyphs' pixels, drawn over one another", kPixelSize, [] { return std::string("AB"); },
     [](FakeBackend& b) {
       b.glyphs['A'] = FakeGlyph{0, 8, 3000, 3000, 0.0, 255};
       b.glyphs['B'] = FakeGlyph{0, 8, 3000, 3000, 0.0, 255};
     },
     [](const RenderRefusal& r) {
       EXPECT_TRUE(r.too_many_glyph_pixels);
       EXPECT_FALSE(r.image_too_large || r.too_much_work);
       EXPECT_EQ(r.glyph_pixels, 2 * 3000 * 3000);
     }},
    {"the work", kPixelSize, [] { return std::string("AB"); },
     [](FakeBackend& b) {
       b.glyphs['A'] = FakeGlyph{0, 8, 6, 8, 7.0, 255, kMaxRasterWork};
       b.glyphs['B'] = FakeGlyph{0, 8, 6, 8, 7.0, 255, 1};
     },
     [](const RenderRefusal& r) {
       EXPECT_TRUE(r.too_much_work);
       EXPECT_FALSE(r.image_too_large || r.too_many_glyph_pixels);
       EXPECT_EQ(r.work, kMaxRasterWork + 1);
     }},
};

TEST(RenderRefusal, NamesTheLimitsTheRenderPasses) {
  for (const RefusalCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string text = c.text();
    auto* backend = new FakeBackend;
    if (c.glyphs)
      c.glyphs(*backend);
    FontHandle* explained = testfont::make_fake_handle(backend, c.pixel_size);
    const RenderRefusal refusal = explain_render_refusal(explained, text.c_str());
    c.expect(refusal);
    EXPECT_EQ(explained->bitmap_cache.count(), 0u) << "glyphs are measured, not cached";

    FontHandle* rendered = testfont::copy_fake_handle(*explained, false);
    TextImage* image = dv::dv_ttf_font_render(rendered, text.c_str(), 1, 2, 3, 255.0);
    EXPECT_EQ(image == nullptr, refusal.refused());
    dv_ttf_image_free(image);
    dv::dv_ttf_font_free(rendered);
    dv::dv_ttf_font_free(explained);
  }
}

} // namespace
