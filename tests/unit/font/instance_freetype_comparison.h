// A variable font's instance against FreeType's, glyph after glyph at one size: advances to
// 1/64 px, ink boxes within a pixel wherever FreeType's own outline through our rasterizer
// keeps them there, and a coverage difference no larger than that outline's plus an
// allowance. The differences are kept for the summary line.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "font/glyph_bitmap.h"
#include "unit/font/freetype_peer.h"

namespace ftpeer {

struct InstanceComparison {
  std::vector<double> ours;     // each glyph's difference from FreeType's
  std::vector<double> baseline; // FreeType's outline through our rasterizer, likewise
  size_t inked = 0;

  // `drawn` is our glyph of FreeType's glyph `glyph`, at `pixel_size`, the face set to the
  // same instance.
  void add(const Face& face, unsigned glyph, int pixel_size, const GlyphBitmap& drawn,
           double allowed, const std::string& where) {
    Coverage theirs;
    ASSERT_TRUE(face.render(glyph, pixel_size, theirs)) << where;
    const double their_advance = face.face()->glyph->advance.x / 64.0;
    EXPECT_LE(std::fabs(drawn.advance - their_advance), 1.0 / 64)
        << where << ": ours " << drawn.advance << ", FreeType " << their_advance;
    Coverage reference;
    ASSERT_TRUE(face.render_outline_with_library(glyph, pixel_size, reference)) << where;
    const Coverage mine = coverage_of(drawn);
    inked += has_ink(drawn) ? 1 : 0;
    if (within_pixels(reference.ink(), theirs.ink(), 1))
      EXPECT_TRUE(within_pixels(mine.ink(), theirs.ink(), 1))
          << where << ": ours " << describe(mine.ink()) << ", FreeType " << describe(theirs.ink());
    const double difference = relative_difference(mine, theirs);
    const double reference_difference = relative_difference(reference, theirs);
    EXPECT_LE(difference, reference_difference + allowed) << where;
    ours.push_back(difference);
    baseline.push_back(reference_difference);
  }

  void print(const std::string& what) const {
    std::printf("%s: %zu glyphs, difference 99th %.3f largest %.3f (FreeType's outline "
                "through our rasterizer: %.3f, %.3f)\n",
                what.c_str(), ours.size(), percentile(ours, 99), percentile(ours, 100),
                percentile(baseline, 99), percentile(baseline, 100));
  }
};

} // namespace ftpeer
