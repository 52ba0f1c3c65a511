// Light hinting through the font backends of each format: the edges of the zones land on
// whole rows, x and the advances stay exactly as unhinted, the work is paid from the
// budget; and hostile outlines through the hinter itself.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "font/entry_points.h"
#include "font/font_handle.h"
#include "font/hinting/horizontal_edges.h"
#include "font/hinting/light_hinting.h"
#include "font/hinting/vertical_warp.h"
#include "font/load_options.h"
#include "font/text/image.h"
#include "support/required_package.h"

namespace {

struct InstalledFont {
  const char* name;
  const char* path;
  unsigned int options;
};

const InstalledFont kFonts[] = {
    {"TrueType", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 0},
    {"Cff", "/usr/share/fonts/opentype/cantarell/Cantarell-Regular.otf", load_option::kOpenTypeCff},
    {"Type1", "/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb", load_option::kCompleteType1},
};

std::vector<unsigned char> read_file(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>());
}

// A handle's backend at one size, hinted or not.
class Face {
public:
  Face(const std::vector<unsigned char>& bytes, unsigned int options, float pixel_size)
      : handle_(static_cast<FontHandle*>(
            dv::dv_ttf_font_load_memory_ex(bytes.data(), bytes.size(), pixel_size, options))) {
    if (handle_ != nullptr)
      scale_ = pixel_size / handle_->backend->units_per_em();
  }
  ~Face() {
    if (handle_ != nullptr)
      dv::dv_ttf_font_free(handle_);
  }
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;

  bool loaded() const { return handle_ != nullptr; }
  GlyphBitmap glyph(unsigned int c) { return handle_->backend->rasterize(c, scale_); }
  GlyphBitmap glyph(unsigned int c, GlyphBudget& budget) {
    return handle_->backend->rasterize(c, scale_, budget);
  }

private:
  FontHandle* handle_;
  double scale_ = 0.0;
};

// The coverage of each row holding some, top row first (a bitmap's blank margin left out).
std::vector<long> row_sums(const GlyphBitmap& g) {
  std::vector<long> sums;
  for (int row = 0; row < g.height; ++row) {
    long sum = 0;
    for (int column = 0; column < g.width; ++column)
      sum += g.pixels.data[row * g.width + column];
    if (sum != 0)
      sums.push_back(sum);
  }
  return sums;
}

// The highest and lowest rows (counted up from the baseline, row y spanning y-1..y) where
// some pixel reaches a quarter of full coverage.
struct InkRows {
  int top = 0;
  int bottom = 0;
};

InkRows ink_rows(const GlyphBitmap& g) {
  InkRows rows{INT32_MIN, INT32_MAX};
  for (int row = 0; row < g.height; ++row)
    for (int column = 0; column < g.width; ++column)
      if (g.pixels.data[row * g.width + column] >= 64) {
        rows.top = std::max(rows.top, g.top - row);
        rows.bottom = std::min(rows.bottom, g.top - row);
      }
  return rows;
}

const std::string kLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

class LightHintingFormats : public ::testing::TestWithParam<InstalledFont> {
protected:
  void SetUp() override {
    bytes_ = read_file(GetParam().path);
    if (bytes_.empty())
      DV_MISSING_PACKAGE(GetParam().path, dvtest::package_of(GetParam().path));
  }
  std::vector<unsigned char> bytes_;
};

// An H's stems end on its bottom and top rows: those rows hold as much ink as the rows next
// to them, where an edge between rows would leave them part-covered.
TEST_P(LightHintingFormats, CapitalStemsEndOnWholeRows) {
  for (float size = 10; size <= 16; ++size) {
    Face face(bytes_, GetParam().options | load_option::kHinting, size);
    ASSERT_TRUE(face.loaded());
    const GlyphBitmap h = face.glyph('H');
    const std::vector<long> sums = row_sums(h);
    ASSERT_GE(sums.size(), 4u);
    const long bottom = sums.back();
    const long above_bottom = sums[sums.size() - 2];
    EXPECT_NEAR(bottom, above_bottom, above_bottom / 20 + 4) << size << " px";
    EXPECT_NEAR(sums.front(), sums[1], sums[1] / 20 + 4) << size << " px";
    EXPECT_EQ(ink_rows(h).bottom, 1) << "the H sits on the baseline at " << size << " px";
  }
}

// The x-height letters share one top row and the flat-bottomed ones the baseline row, at
// every menu size.
TEST_P(LightHintingFormats, LowercaseSharesItsRows) {
  for (float size = 10; size <= 16; ++size) {
    Face face(bytes_, GetParam().options | load_option::kHinting, size);
    ASSERT_TRUE(face.loaded());
    const int x_top = ink_rows(face.glyph('x')).top;
    for (const char c : std::string("acemnorsuvwz"))
      EXPECT_EQ(ink_rows(face.glyph(c)).top, x_top) << c << " at " << size << " px";
    for (const char c : std::string("hikmnrxz"))
      EXPECT_EQ(ink_rows(face.glyph(c)).bottom, 1) << c << " at " << size << " px";
  }
}

// Hinting moves nothing sideways: each glyph's box columns and advance are those of the
// unhinted glyph, and its rows move by at most one. (Type 1 bitmaps are cropped to their
// ink, which a faint column may leave or join.)
TEST_P(LightHintingFormats, KeepsXAndAdvances) {
  for (float size : {10.0f, 12.0f, 13.0f, 16.0f, 24.0f, 48.0f}) {
    Face plain(bytes_, GetParam().options, size);
    Face hinted(bytes_, GetParam().options | load_option::kHinting, size);
    ASSERT_TRUE(plain.loaded() && hinted.loaded());
    const int cropped = (GetParam().options & load_option::kCompleteType1) != 0 ? 1 : 0;
    for (const char c : kLetters) {
      const GlyphBitmap a = plain.glyph(c);
      const GlyphBitmap b = hinted.glyph(c);
      EXPECT_EQ(a.advance, b.advance) << c << " at " << size << " px";
      EXPECT_LE(std::abs(a.left - b.left), cropped) << c << " at " << size << " px";
      EXPECT_LE(std::abs(a.width - b.width), 2 * cropped) << c << " at " << size << " px";
      EXPECT_LE(std::abs(a.top - b.top), 1) << c << " at " << size << " px";
      EXPECT_LE(std::abs((a.top - a.height) - (b.top - b.height)), 1)
          << c << " at " << size << " px";
    }
  }
}

// A text measures as wide with hinting as without, its height and baseline within a row,
// and renders at the size measured.
TEST_P(LightHintingFormats, TextMeasuresTheSame) {
  const char* const kTexts[] = {"Boot the default entry", "Hefty 0.9 (x-height)", "Wxyz|jgq"};
  for (float size : {10.0f, 12.0f, 16.0f, 33.0f}) {
    for (const char* text : kTexts) {
      int plain[3] = {};
      int hinted[3] = {};
      void* a =
          dv::dv_ttf_font_load_memory_ex(bytes_.data(), bytes_.size(), size, GetParam().options);
      void* b = dv::dv_ttf_font_load_memory_ex(bytes_.data(), bytes_.size(), size,
                                               GetParam().options | load_option::kHinting);
      ASSERT_TRUE(a != nullptr && b != nullptr);
      EXPECT_EQ(dv::dv_ttf_font_measure(a, text, &plain[0], &plain[1], &plain[2]), 1);
      EXPECT_EQ(dv::dv_ttf_font_measure(b, text, &hinted[0], &hinted[1], &hinted[2]), 1);
      EXPECT_EQ(plain[0], hinted[0]) << text << " at " << size << " px";
      // The ink may move a row up or down, and the image grows or shrinks with it.
      EXPECT_LE(std::abs(plain[1] - hinted[1]), 1) << text << " at " << size << " px";
      EXPECT_LE(std::abs(plain[2] - hinted[2]), 1) << text << " at " << size << " px";
      TextImage* image = dv::dv_ttf_font_render(b, text, 0, 0, 0, 255.0);
      ASSERT_NE(image, nullptr);
      EXPECT_EQ(image->width, hinted[0]);
      EXPECT_EQ(image->height, hinted[1]);
      delete[] image->pixels;
      delete image;
      dv::dv_ttf_font_free(a);
      dv::dv_ttf_font_free(b);
    }
  }
}

// The first hinted glyph also measures the font's heights; a budget that pays for the
// glyph unhinted, but not for its hinting, refuses it. Without the option nothing changes.
TEST_P(LightHintingFormats, WorkIsPaidFromTheBudget) {
  Face plain(bytes_, GetParam().options, 12);
  ASSERT_TRUE(plain.loaded());
  GlyphBudget measured = GlyphBudget::unlimited();
  const GlyphBitmap unhinted = plain.glyph('e', measured);
  const uint64_t unhinted_cost = UINT64_MAX - measured.work;

  Face hinted(bytes_, GetParam().options | load_option::kHinting, 12);
  GlyphBudget tight{INT64_MAX, unhinted_cost};
  const GlyphBitmap refused = hinted.glyph('e', tight);
  EXPECT_TRUE(tight.exhausted);
  EXPECT_EQ(refused.width, 0);

  GlyphBudget ample = GlyphBudget::unlimited();
  const GlyphBitmap first = hinted.glyph('e', ample);
  EXPECT_FALSE(ample.exhausted);
  EXPECT_GT(UINT64_MAX - ample.work, unhinted_cost);
  EXPECT_EQ(first.width, unhinted.width);
  // Measured once: the next glyph pays its own hinting only, less than the first paid.
  GlyphBudget second = GlyphBudget::unlimited();
  hinted.glyph('e', second);
  EXPECT_LT(UINT64_MAX - second.work, UINT64_MAX - ample.work);
  EXPECT_GT(UINT64_MAX - second.work, unhinted_cost);
}

INSTANTIATE_TEST_SUITE_P(Formats, LightHintingFormats, ::testing::ValuesIn(kFonts),
                         [](const auto& instance) { return std::string(instance.param.name); });

// Heights of a font with 1000 units per em, as measured from its reference glyphs.
FontHeights sans_heights() {
  FontHeights heights;
  heights.measured = true;
  const double values[FontHeights::kCount] = {0, -12, 520, 532, 720, 732, 760, -210};
  for (int i = 0; i < FontHeights::kCount; ++i) {
    heights.value[i] = values[i];
    heights.known[i] = true;
  }
  return heights;
}

// Hostile outlines through the hinter: thousands of near-horizontal zig-zags, NaN and
// infinite points, coordinates far out of range. Each is hinted or left as drawn, within
// the budget, and x never moves.
TEST(LightHintingHostile, OutlinesStayWithinTheBudget) {
  const auto zigzag = [](int teeth, double height) {
    OutlineBuilder outline;
    outline.move_to({0.0, 0.0});
    for (int i = 1; i <= teeth; ++i)
      outline.line_to({i * 0.75, (i % 2) * height});
    outline.line_to({teeth * 0.75, 8.0});
    outline.close_contour();
    return outline;
  };
  const auto with_point = [&](Point p) {
    OutlineBuilder outline = zigzag(40, 0.1);
    outline.line_to(p);
    outline.close_contour();
    return outline;
  };
  const double nan = __builtin_nan("");
  const double inf = __builtin_inf();
  const std::pair<const char*, OutlineBuilder> cases[] = {
      {"ManyEdges", zigzag(20000, 0.1)},
      {"FewEdges", zigzag(12, 0.05)},
      {"Flat", zigzag(50, 0.0)},
      {"NaN", with_point({nan, nan})},
      {"Infinite", with_point({inf, -inf})},
      {"FarAway", with_point({1e12, 3e11})},
      {"NaNHeight", with_point({1.0, nan})},
  };
  for (const auto& [name, original] : cases) {
    for (const uint64_t work : {uint64_t{10}, uint64_t{1} << 20, UINT64_MAX}) {
      LightHinting hinting;
      hinting.enabled = true;
      hinting.heights = sans_heights();
      OutlineBuilder outline = original;
      GlyphBudget budget{INT64_MAX, work};
      const bool hinted = hint_outline(outline, 0.012, hinting, budget);
      EXPECT_EQ(hinted, !budget.exhausted) << name;
      EXPECT_LE(budget.work, work) << name;
      ASSERT_EQ(outline.segments.size, original.segments.size) << name;
      for (size_t i = 0; i < outline.segments.size; ++i) {
        const LineSegment& s = outline.segments[i];
        const LineSegment& o = original.segments[i];
        EXPECT_TRUE(s.p0.x == o.p0.x || (s.p0.x != s.p0.x && o.p0.x != o.p0.x)) << name;
        EXPECT_TRUE(s.p1.x == o.p1.x || (s.p1.x != s.p1.x && o.p1.x != o.p1.x)) << name;
      }
    }
  }
}

// The warp moves heights only, keeps their order, and lands pinned heights on their rows.
TEST(VerticalWarp, MovesHeightsInOrderAndNeverX) {
  VerticalWarp warp;
  EXPECT_TRUE(warp.pin(0.2, 0.0));
  EXPECT_TRUE(warp.pin(5.4, 6.0));
  EXPECT_FALSE(warp.pin(3.0, 7.0)) << "would fold the outline";
  EXPECT_FALSE(warp.pin(0.2, 1.0)) << "the height is pinned elsewhere";
  EXPECT_FALSE(warp.pin_pair({2.0, 2.0}, {2.5, 6.0}));
  EXPECT_EQ(warp.pins.size, 2u) << "a refused pair leaves no half behind";
  warp.finish();

  OutlineBuilder outline;
  outline.move_to({1.0, -1.0});
  outline.line_to({3.0, 0.2});
  outline.line_to({2.0, 2.8});
  outline.line_to({4.0, 5.4});
  outline.line_to({0.5, 9.0});
  outline.close_contour();
  const OutlineBuilder before = outline;
  warp_outline(warp, outline);
  ASSERT_EQ(outline.segments.size, before.segments.size);
  double previous_y = -1e9;
  double previous_from = -1e9;
  for (size_t i = 0; i < outline.segments.size; ++i) {
    EXPECT_EQ(outline.segments[i].p0.x, before.segments[i].p0.x);
    EXPECT_EQ(outline.segments[i].p1.x, before.segments[i].p1.x);
    if (before.segments[i].p0.y > previous_from) {
      EXPECT_GT(outline.segments[i].p0.y, previous_y);
    }
    previous_from = before.segments[i].p0.y;
    previous_y = outline.segments[i].p0.y;
  }
  EXPECT_EQ(warp.apply(0.2), 0.0);
  EXPECT_EQ(warp.apply(5.4), 6.0);
  EXPECT_DOUBLE_EQ(warp.apply(-1.0), -1.2);
  EXPECT_DOUBLE_EQ(warp.apply(9.0), 9.6);
  EXPECT_EQ(outline.min_y, warp.apply(before.min_y));
  EXPECT_EQ(outline.max_y, warp.apply(before.max_y));
}

// A rectangle's top and bottom are edges on the right sides, whichever way it turns.
TEST(HorizontalEdges, TellTopsFromBottomsEitherWay) {
  for (const bool clockwise : {false, true}) {
    OutlineBuilder outline;
    const Point corners[] = {{0, 0}, {4, 0}, {4, 3}, {0, 3}};
    outline.move_to(corners[0]);
    for (int i = 1; i < 4; ++i)
      outline.line_to(corners[clockwise ? 4 - i : i]);
    outline.close_contour();
    dv::vector<HorizontalEdge> edges;
    ASSERT_TRUE(find_horizontal_edges(outline, 8, edges));
    ASSERT_EQ(edges.size, 2u);
    for (const HorizontalEdge& edge : edges) {
      EXPECT_EQ(edge.top, edge.y == 3.0) << (clockwise ? "clockwise" : "counter-clockwise");
      EXPECT_EQ(edge.length, 4.0);
    }
  }
}

} // namespace
