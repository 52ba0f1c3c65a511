// The glyph pipeline every format draws through: what a drawing's report decides (paid,
// refused, blank or drawn), that the outline starts empty for each glyph while its storage
// is kept, and that a large glyph's storage is given back afterwards.
#include <gtest/gtest.h>

#include "font/raster/glyph_pipeline.h"

namespace {

// A 10 x 10 pixel square, drawn into the pipeline's outline.
void draw_square(OutlineBuilder& outline) {
  outline.move_to({0, 0});
  outline.line_to({10, 0});
  outline.line_to({10, 10});
  outline.line_to({0, 10});
  outline.close_contour();
}

struct ReportCase {
  const char* name;
  OutlineDrawing drawing;
  uint64_t budget_work;
  bool inked;
  bool exhausted;
};

const ReportCase kReports[] = {
    {"drawn", {7.5, 40, false, true}, 100000, true, false},
    {"not drawn is blank", {7.5, 40, false, false}, 100000, false, false},
    {"past its limits is refused", {7.5, 40, true, true}, 100000, false, true},
    {"the drawing unpaid", {7.5, 40, false, true}, 39, false, true},
    {"the drawing paid, the rasterizing not", {7.5, 40, false, true}, 41, false, true},
};

GlyphBitmap run(GlyphScratch<>& scratch, const OutlineDrawing& report, GlyphOutput output,
                GlyphBudget& budget) {
  return run_glyph_pipeline(scratch, output, budget,
                            [&](OutlineBuilder& outline, NoSourceScratch&) {
                              draw_square(outline);
                              return report;
                            });
}

TEST(GlyphPipeline, TheDrawingsReportDecides) {
  for (const ReportCase& c : kReports) {
    for (const GlyphOutput output : {GlyphOutput::kPixels, GlyphOutput::kBox}) {
      GlyphScratch<> scratch;
      GlyphBudget budget{INT64_MAX, c.budget_work};
      const GlyphBitmap bitmap = run(scratch, c.drawing, output, budget);
      EXPECT_EQ(bitmap.advance, 7.5) << c.name;
      EXPECT_EQ(bitmap.width > 0, c.inked) << c.name;
      EXPECT_EQ(budget.exhausted, c.exhausted) << c.name;
      EXPECT_EQ(bitmap.pixels.size > 0, c.inked && output == GlyphOutput::kPixels) << c.name;
      if (!c.exhausted)
        EXPECT_LE(budget.work, c.budget_work - c.drawing.work) << c.name;
    }
  }
}

TEST(GlyphPipeline, EachGlyphStartsFromAnEmptyOutline) {
  GlyphScratch<> scratch;
  GlyphBudget budget = GlyphBudget::unlimited();
  OutlineDrawing drawn;
  drawn.drawn = true;
  const GlyphBitmap first = run(scratch, drawn, GlyphOutput::kPixels, budget);
  const size_t kept = scratch.outline.segments.capacity;
  const GlyphBitmap second = run(scratch, drawn, GlyphOutput::kPixels, budget);
  EXPECT_EQ(scratch.outline.segments.size, 4u);
  EXPECT_EQ(scratch.outline.segments.capacity, kept);
  EXPECT_EQ(first.width, second.width);
  EXPECT_EQ(first.height, second.height);
}

// Storage of the outline source's own, counted with the rest.
struct LargeSourceScratch {
  dv::vector<unsigned char> bytes;
};
size_t held_bytes(const LargeSourceScratch& scratch) {
  return scratch.bytes.capacity;
}

TEST(GlyphPipeline, StorageOfALargeGlyphIsGivenBack) {
  for (const size_t source_bytes : {kMaxKeptScratchBytes / 2, kMaxKeptScratchBytes + 1}) {
    GlyphScratch<LargeSourceScratch> scratch;
    GlyphBudget budget = GlyphBudget::unlimited();
    run_glyph_pipeline(scratch, GlyphOutput::kPixels, budget,
                       [&](OutlineBuilder& outline, LargeSourceScratch& source) {
                         source.bytes.resize(source_bytes);
                         draw_square(outline);
                         OutlineDrawing drawing;
                         drawing.drawn = true;
                         return drawing;
                       });
    const bool kept = source_bytes <= kMaxKeptScratchBytes;
    EXPECT_EQ(scratch.source.bytes.capacity > 0, kept) << source_bytes;
    EXPECT_EQ(scratch.outline.segments.capacity > 0, kept) << source_bytes;
  }
}

} // namespace
