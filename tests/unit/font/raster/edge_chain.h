// A test's check that an outline builder's edges form one chain from a point to a point.
#pragma once
#include <gtest/gtest.h>

#include "font/raster/outline.h"

// Edges join end to end, start at `from` and end at `to`.
inline void expect_chain(const OutlineBuilder& b, Point from, Point to) {
  ASSERT_GT(b.segments.size, 0u);
  const LineSegment* s = b.segments.data;
  EXPECT_EQ(s[0].p0.x, from.x);
  EXPECT_EQ(s[0].p0.y, from.y);
  for (unsigned long k = 1; k < b.segments.size; ++k) {
    ASSERT_EQ(s[k].p0.x, s[k - 1].p1.x) << "edge " << k;
    ASSERT_EQ(s[k].p0.y, s[k - 1].p1.y) << "edge " << k;
  }
  EXPECT_EQ(s[b.segments.size - 1].p1.x, to.x);
  EXPECT_EQ(s[b.segments.size - 1].p1.y, to.y);
}
