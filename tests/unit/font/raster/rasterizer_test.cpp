#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "font/raster/curve_flattening.h"
#include "font/raster/rasterizer.h"
#include "unit/font/raster/reference_rasterizer.h"

namespace {

struct Rect {
  double x0, y0, x1, y1;
};

// Counter-clockwise in y-up space unless `reversed`.
void add_rect(OutlineBuilder& b, Rect r, bool reversed = false) {
  if (!reversed) {
    b.move_to({r.x0, r.y0});
    b.line_to({r.x1, r.y0});
    b.line_to({r.x1, r.y1});
    b.line_to({r.x0, r.y1});
  } else {
    b.move_to({r.x0, r.y0});
    b.line_to({r.x0, r.y1});
    b.line_to({r.x1, r.y1});
    b.line_to({r.x1, r.y0});
  }
  b.close_contour();
}

// Coverage of the pixel whose lower-left corner is (x, y), or -1 outside the bitmap.
int pixel_at(const GlyphBitmap& g, int x, int y) {
  const int column = x - g.left;
  const int row = g.top - 1 - y;
  if (column < 0 || row < 0 || column >= g.width || row >= g.height)
    return -1;
  return g.pixels.data[row * g.width + column];
}

void expect_empty(const GlyphBitmap& g, double advance) {
  EXPECT_EQ(g.left, 0);
  EXPECT_EQ(g.top, 0);
  EXPECT_EQ(g.width, 0);
  EXPECT_EQ(g.height, 0);
  EXPECT_EQ(g.pixels.size, 0u);
  EXPECT_EQ(g.advance, advance);
}

} // namespace

TEST(Rasterizer, NoEdgesGivesEmptyBitmapWithAdvance) {
  OutlineBuilder empty;
  expect_empty(rasterize_outline(empty, 7.25), 7.25);
  OutlineBuilder moves_only;
  moves_only.move_to({0, 0});
  moves_only.move_to({10, 10});
  expect_empty(rasterize_outline(moves_only, 3), 3);
}

TEST(Rasterizer, TwoPixelSquare) {
  OutlineBuilder b;
  add_rect(b, {0, 0, 2, 2});
  RasterScratch scratch;
  GlyphBudget budget{16, 1000};
  const GlyphBitmap g = rasterize_outline(b, 9.5, scratch, budget);
  EXPECT_EQ(g.left, -1);
  EXPECT_EQ(g.top, 3);
  EXPECT_EQ(g.width, 4);
  EXPECT_EQ(g.height, 4);
  EXPECT_EQ(g.advance, 9.5);
  // Its cost: 4 edges; the 2 upright ones crossing 8 sample rows each, each crossing
  // sorted among at most 2 (log2 of the 2 edges that cross rows, plus one); 16 pixels.
  EXPECT_EQ(budget.work, 1000u - (4u + 16u * 2u + 16u));
  EXPECT_EQ(budget.bitmap_pixels, 0);
  EXPECT_FALSE(budget.exhausted);
  // A pixel or a unit of work less, and the square is refused before its bitmap exists.
  for (GlyphBudget short_budget :
       {GlyphBudget{15, 1000}, GlyphBudget{16, 4u + 16u * 2u + 16u - 1u}}) {
    expect_empty(rasterize_outline(b, 9.5, scratch, short_budget), 9.5);
    EXPECT_TRUE(short_budget.exhausted);
  }
  const std::vector<unsigned char> expected = {0, 0,   0,   0, 0, 255, 255, 0,
                                               0, 255, 255, 0, 0, 0,   0,   0};
  ASSERT_EQ(g.pixels.size, expected.size());
  EXPECT_EQ(std::vector<unsigned char>(g.pixels.data, g.pixels.data + g.pixels.size), expected);
}

// A row of k crossings costs k (1 + ceil(log2 k)) units, for small and large k alike:
// side-by-side boxes two pixels high give 8 sample rows of two crossings per box.
TEST(Rasterizer, SweepWorkGrowsWithTheCrossingsOfEachRow) {
  struct Case {
    int boxes;
    uint64_t units_per_row; // 2 boxes crossings, times 1 + ceil(log2(2 boxes))
  };
  const Case cases[] = {{1, 2 * 2},  {4, 8 * 4},  {7, 14 * 5},
                        {8, 16 * 5}, {9, 18 * 6}, {17, 34 * 7}};
  for (const Case& c : cases) {
    OutlineBuilder b;
    for (int k = 0; k < c.boxes; ++k)
      add_rect(b, {k * 1.0, 0, k + 0.5, 2});
    RasterScratch scratch;
    GlyphBudget budget = GlyphBudget::unlimited();
    const GlyphBitmap g = rasterize_outline(b, 0, scratch, budget);
    ASSERT_EQ(g.height, 4) << c.boxes << " boxes";
    const uint64_t edges = 4u * static_cast<uint64_t>(c.boxes);
    const auto pixels = static_cast<uint64_t>(g.width * g.height);
    EXPECT_EQ(UINT64_MAX - budget.work, edges + 8u * c.units_per_row + pixels)
        << c.boxes << " boxes";
  }
}

TEST(Rasterizer, HalfCoveredPixel) {
  OutlineBuilder b;
  add_rect(b, {0, 0, 1.5, 1});
  const GlyphBitmap g = rasterize_outline(b, 0);
  EXPECT_EQ(pixel_at(g, 0, 0), 255);
  EXPECT_EQ(pixel_at(g, 1, 0), 127);
  EXPECT_EQ(pixel_at(g, 2, 0), 0);
}

TEST(Rasterizer, FractionalBoundsGetOnePixelMargin) {
  OutlineBuilder b;
  add_rect(b, {0.2, 0.2, 3.7, 1.7});
  const GlyphBitmap g = rasterize_outline(b, 0);
  EXPECT_EQ(g.left, -1);
  EXPECT_EQ(g.width, 6);
  EXPECT_EQ(g.top, 3);
  EXPECT_EQ(g.height, 4);
  for (int row = 0; row < g.height; ++row) {
    EXPECT_EQ(g.pixels.data[row * g.width], 0);
    EXPECT_EQ(g.pixels.data[row * g.width + g.width - 1], 0);
  }
  for (int column = 0; column < g.width; ++column) {
    EXPECT_EQ(g.pixels.data[column], 0);
    EXPECT_EQ(g.pixels.data[(g.height - 1) * g.width + column], 0);
  }
}

TEST(Rasterizer, StrayMoveWidensTheBitmap) {
  OutlineBuilder b;
  add_rect(b, {0, 0, 1, 1});
  b.move_to({10, -5});
  const GlyphBitmap g = rasterize_outline(b, 0);
  EXPECT_EQ(g.left, -1);
  EXPECT_EQ(g.width, 12);
  EXPECT_EQ(g.top, 2);
  EXPECT_EQ(g.height, 8);
  EXPECT_EQ(pixel_at(g, 9, -5), 0);
}

TEST(Rasterizer, NonZeroWindingForOverlapsAndHoles) {
  struct Case {
    const char* name;
    bool inner_reversed;
    int inner_value;
  };
  // An outer 6x6 square with an inner 2x2 square at (2,2): an inner contour of the opposite
  // direction cuts a hole, one of the same direction adds winding and stays filled.
  for (const Case c : {Case{"hole", true, 0}, Case{"same direction", false, 255}}) {
    for (bool flip_all : {false, true}) {
      OutlineBuilder b;
      add_rect(b, {0, 0, 6, 6}, flip_all);
      add_rect(b, {2, 2, 4, 4}, c.inner_reversed != flip_all);
      const GlyphBitmap g = rasterize_outline(b, 0);
      EXPECT_EQ(pixel_at(g, 2, 2), c.inner_value) << c.name << " flipped " << flip_all;
      EXPECT_EQ(pixel_at(g, 3, 3), c.inner_value) << c.name << " flipped " << flip_all;
      EXPECT_EQ(pixel_at(g, 1, 1), 255) << c.name << " flipped " << flip_all;
      EXPECT_EQ(pixel_at(g, 5, 5), 255) << c.name << " flipped " << flip_all;
    }
  }
  // Two overlapping squares of the same direction: the overlap is full, not cancelled.
  OutlineBuilder b;
  add_rect(b, {0, 0, 3, 3});
  add_rect(b, {2, 2, 5, 5});
  const GlyphBitmap g = rasterize_outline(b, 0);
  EXPECT_EQ(pixel_at(g, 2, 2), 255);
  EXPECT_EQ(pixel_at(g, 3, 1), 0);
}

// Rows crossed by two or three contours, four or six crossings each, in every order of
// windings: side by side, nested (a hole or a double winding), overlapping, touching, and
// a box of no width beside others.
TEST(Rasterizer, RowsOfSeveralContoursMatchTheReference) {
  struct Case {
    const char* name;
    std::vector<Rect> rects;
  };
  const Case cases[] = {
      {"side by side", {{0.3, 0.2, 2.6, 5.1}, {3.4, 0.7, 5.9, 4.4}}},
      {"nested", {{0.1, 0.1, 6.0, 6.0}, {2.2, 1.9, 3.7, 4.3}}},
      {"overlapping", {{0.0, 0.6, 3.3, 3.9}, {2.1, 1.4, 5.2, 5.0}}},
      {"touching", {{0.5, 0.5, 2.5, 4.5}, {2.5, 0.5, 4.75, 4.5}}},
      {"no width beside some", {{1.0, 0.25, 1.0, 3.75}, {2.0, 0.25, 4.5, 3.75}}},
      {"three side by side", {{0.2, 0.3, 1.7, 4.9}, {2.4, 0.1, 3.3, 5.2}, {4.1, 0.8, 6.6, 3.5}}},
      {"three nested", {{0.0, 0.0, 7.0, 7.0}, {1.1, 1.3, 5.8, 5.6}, {2.6, 2.4, 4.2, 4.1}}},
      {"three overlapping", {{0.0, 0.5, 3.2, 4.0}, {2.0, 1.0, 5.1, 4.6}, {4.3, 0.2, 7.4, 3.3}}},
  };
  for (const Case& c : cases) {
    // Bit k reverses contour k + 1; the first contour's direction comes from flip_all.
    for (unsigned reversed = 0; reversed < 1u << (c.rects.size() - 1); ++reversed) {
      for (const bool flip_all : {false, true}) {
        OutlineBuilder b;
        add_rect(b, c.rects[0], flip_all);
        for (size_t k = 1; k < c.rects.size(); ++k)
          add_rect(b, c.rects[k], ((reversed >> (k - 1) & 1) != 0) != flip_all);
        EXPECT_EQ(difference_from_reference(rasterize_outline(b, 0), reference_rasterize(b)), "")
            << c.name << ", reversed " << reversed << ", flipped " << flip_all;
      }
    }
  }
}

TEST(Rasterizer, ReversingEveryEdgeChangesNothing) {
  OutlineBuilder forward;
  forward.move_to({0.3, 0.1});
  flatten_quadratic(forward, {0.3, 0.1}, {9.7, 0.4}, {8.2, 7.9});
  flatten_quadratic(forward, {8.2, 7.9}, {0.5, 9.1}, {4.1, 3.3});
  forward.close_contour();
  add_rect(forward, {2.5, 1.25, 5.1, 3.05}, true);
  OutlineBuilder backward = forward;
  for (unsigned long k = 0; k < backward.segments.size; ++k) {
    LineSegment& s = backward.segments.data[k];
    const Point start = s.p0;
    s.p0 = s.p1;
    s.p1 = start;
  }
  const GlyphBitmap a = rasterize_outline(forward, 0);
  const GlyphBitmap b = rasterize_outline(backward, 0);
  ASSERT_EQ(a.pixels.size, b.pixels.size);
  EXPECT_EQ(std::vector<unsigned char>(a.pixels.data, a.pixels.data + a.pixels.size),
            std::vector<unsigned char>(b.pixels.data, b.pixels.data + b.pixels.size));
}

TEST(Rasterizer, SamplesOnLeftAndBottomEdgesAreInsideOnRightAndTopOutside) {
  // Every edge of this square passes exactly through a line of samples.
  OutlineBuilder b;
  add_rect(b, {0.125, 0.125, 1.125, 1.125});
  const GlyphBitmap g = rasterize_outline(b, 0);
  EXPECT_EQ(pixel_at(g, 0, 0), 255); // samples on the left and bottom edges count
  EXPECT_EQ(pixel_at(g, 1, 0), 0);   // the column of samples on the right edge does not
  EXPECT_EQ(pixel_at(g, 0, 1), 0);   // the row of samples on the top edge does not
}

TEST(Rasterizer, SeventeenCoverageValues) {
  const std::vector<int> expected = {0,   15,  31,  47,  63,  79,  95,  111, 127,
                                     143, 159, 175, 191, 207, 223, 239, 255};
  for (int count = 0; count <= 16; ++count) {
    // Within the unit pixel: count / 4 full columns of samples, then count % 4 samples of
    // the next column from the top. A unit square further right keeps the frame in place.
    const double full = 0.25 * (count / 4);
    const int extra = count % 4;
    OutlineBuilder b;
    add_rect(b, {0, 0, full, 1});
    if (extra > 0)
      add_rect(b, {full, 1 - 0.25 * extra, full + 0.25, 1});
    add_rect(b, {3, 0, 4, 1});
    const GlyphBitmap g = rasterize_outline(b, 0);
    EXPECT_EQ(pixel_at(g, 0, 0), expected[count]) << count << " samples";
  }
}

TEST(Rasterizer, OpenContourLacksItsClosingEdge) {
  // Only the left edge exists: everything to its left in its rows has winding -1 (inside).
  OutlineBuilder b;
  b.move_to({2, 2});
  b.line_to({2, 0});
  const GlyphBitmap g = rasterize_outline(b, 0);
  EXPECT_EQ(pixel_at(g, 1, 0), 255);
  EXPECT_EQ(pixel_at(g, 2, 0), 0);
}

TEST(Rasterizer, AbsurdBoundsGiveEmptyBitmap) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    Rect rect;
    bool refused; // a large glyph, rather than nothing to draw
  };
  const std::vector<Case> cases = {
      {{0, 0, 16383, 1}, true},                    // wider than the side limit with its margin
      {{0, 0, 5000, 5000}, true},                  // beyond the pixel limit
      {{0, 0, 1e10, 1}, true},                     // beyond the 32-bit range
      {{-3e9, 0, -3e9 + 1, 1}, true},              // far left
      {{0, 2147483647.5, 1, 2147483647.75}, true}, // top edge would not fit in 32 bits
      {{0, 0, inf, 1}, true},
      {{nan, 0, 1, 1}, false}, // the first point's NaN leaves no bounds
  };
  for (const Case& c : cases) {
    OutlineBuilder b;
    add_rect(b, c.rect);
    RasterScratch scratch;
    GlyphBudget budget = GlyphBudget::unlimited();
    expect_empty(rasterize_outline(b, 2, scratch, budget), 2);
    EXPECT_EQ(budget.exhausted, c.refused) << c.rect.x1;
    GlyphBudget measuring = GlyphBudget::unlimited();
    expect_empty(measure_outline(b, 2, measuring), 2);
    EXPECT_EQ(measuring.exhausted, c.refused) << c.rect.x1;
  }
  // Just inside the side and pixel limits, margin included, the glyph is drawn.
  for (const Rect& r : {Rect{0, 0, 16382, 1}, Rect{0, 0, 4094, 4094}}) {
    OutlineBuilder b;
    add_rect(b, r);
    RasterScratch scratch;
    GlyphBudget budget = GlyphBudget::unlimited();
    const GlyphBitmap g = rasterize_outline(b, 2, scratch, budget);
    EXPECT_FALSE(budget.exhausted);
    EXPECT_EQ(pixel_at(g, 0, 0), 255) << r.x1;
  }
  // Within the limits near the edge of the 32-bit range still works.
  OutlineBuilder b;
  add_rect(b, {-2147483600.0, 0, -2147483598.0, 1});
  const GlyphBitmap g = rasterize_outline(b, 0);
  EXPECT_EQ(g.left, -2147483601);
  EXPECT_EQ(pixel_at(g, -2147483600, 0), 255);
}

TEST(Rasterizer, MatchesReferenceOnRandomOutlines) {
  std::mt19937 random(12345);
  std::uniform_real_distribution<double> coordinate(-6.0, 6.0);
  for (int shape = 0; shape < 60; ++shape) {
    OutlineBuilder b;
    const int contours = 1 + shape % 3;
    for (int c = 0; c < contours; ++c) {
      Point pen{coordinate(random), coordinate(random)};
      b.move_to(pen);
      for (int k = 0; k < 5; ++k) {
        const Point control{coordinate(random), coordinate(random)};
        // Quarter-pixel grid points make samples land exactly on vertices and edges.
        const Point to{std::round(coordinate(random) * 4) / 4,
                       std::round(coordinate(random) * 4) / 4};
        if (k % 2 == 0)
          flatten_quadratic(b, pen, control, to);
        else
          b.line_to(to);
        pen = to;
      }
      b.close_contour();
    }
    const GlyphBitmap g = rasterize_outline(b, 1);
    EXPECT_EQ(difference_from_reference(g, reference_rasterize(b)), "") << "shape " << shape;
  }
}

TEST(Rasterizer, CrossingsBeyondTheLimitRefuseTheGlyph) {
  // 1000 x 16000 pixels (64,008 sample rows) crossed by more than 2^25 / 64,008 edges that
  // each span all of them: refused after counting, before any sampling.
  OutlineBuilder b;
  const int rects = static_cast<int>(kMaxCrossings / (16002 * 4) / 2) + 1;
  for (int k = 0; k < rects; ++k) {
    const double x = (k % 1990) * 0.5;
    add_rect(b, {x, 0, x + 0.25, 16000});
  }
  RasterScratch scratch;
  GlyphBudget budget = GlyphBudget::unlimited();
  expect_empty(rasterize_outline(b, 4, scratch, budget), 4);
  // What was counted before refusing still counts as work done, and the glyph is refused:
  // the render gives null rather than an image without it.
  EXPECT_LT(budget.work, UINT64_MAX - kMaxCrossings);
  EXPECT_TRUE(budget.exhausted);
  // One rectangle fewer stays within the limit and draws.
  OutlineBuilder within;
  for (int k = 0; k + 1 < rects; ++k) {
    const double x = (k % 1990) * 0.5;
    add_rect(within, {x, 0, x + 0.25, 16000});
  }
  EXPECT_EQ(rasterize_outline(within, 4).height, 16002);
}

namespace {

// Random outlines of every awkward kind, drawn by a seeded generator.
class OutlineGenerator {
public:
  explicit OutlineGenerator(unsigned seed) : random_(seed) {}

  OutlineBuilder next() {
    origin_ = {pick({0.0, 0.3, -2147480000.5, 2147470000.0, 1e-9}),
               pick({0.0, -0.7, 2147480000.25, -2147470000.0, -1e-9})};
    extent_ = {pick({1e-6, 0.4, 9.0, 37.0, 600.0}), pick({1e-6, 0.4, 9.0, 37.0})};
    snap_ = pick({0.0, 0.125, 0.25, 1.0});
    OutlineBuilder b;
    const int contours = 1 + static_cast<int>(random_() % 3);
    for (int c = 0; c < contours; ++c)
      add_contour(b);
    return b;
  }

private:
  template <size_t N> double pick(const double (&values)[N]) { return values[random_() % N]; }

  // A point inside the extent, on the 1/8 grid (sample rows and columns, pixel edges) when
  // snapping, so that samples land exactly on vertices and edges.
  Point point() {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    Point p{unit(random_) * extent_.x, unit(random_) * extent_.y};
    if (snap_ != 0.0)
      p = {std::round(p.x / snap_) * snap_, std::round(p.y / snap_) * snap_};
    return {origin_.x + p.x, origin_.y + p.y};
  }

  void add_contour(OutlineBuilder& b) {
    Point pen = point();
    b.move_to(pen);
    const int steps = 2 + static_cast<int>(random_() % 9);
    for (int k = 0; k < steps; ++k) {
      Point to = point();
      switch (random_() % 8) {
      case 0: // horizontal
        to.y = pen.y;
        break;
      case 1: // vertical
        to.x = pen.x;
        break;
      case 2: // a sliver: the smallest step in y there is
        to.y = std::nextafter(pen.y, to.y);
        break;
      case 3: // back onto the previous edge (degenerate, zero area)
        to = pen;
        break;
      case 4:
        flatten_quadratic(b, pen, point(), to);
        pen = to;
        continue;
      default:
        break;
      }
      if (random_() % 97 == 0)
        to.x = std::numeric_limits<double>::quiet_NaN();
      b.line_to(to);
      pen = to;
    }
    if (random_() % 4 != 0)
      b.close_contour();
  }

  std::mt19937 random_;
  Point origin_{0, 0};
  Point extent_{1, 1};
  double snap_ = 0;
};

} // namespace

TEST(Rasterizer, MatchesReferenceOnAwkwardRandomOutlines) {
  OutlineGenerator generator(20261210);
  int drawn = 0;
  for (int shape = 0; shape < 1000; ++shape) {
    const OutlineBuilder b = generator.next();
    const GlyphBitmap g = rasterize_outline(b, 1);
    ASSERT_EQ(difference_from_reference(g, reference_rasterize(b)), "") << "shape " << shape;
    drawn += g.width > 0 ? 1 : 0;
  }
  EXPECT_GT(drawn, 600);
}
