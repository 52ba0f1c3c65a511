#include "font/hinting/vertical_warp.h"

namespace {

// The index of the first pin whose `from` is not below y (pins.size when there is none).
// A glyph has a handful of pins: below eight they are walked, which beats halving.
size_t first_pin_at_or_above(const dv::vector<WarpPin>& pins, double y) {
  if (pins.size < 8) {
    size_t i = 0;
    while (i < pins.size && pins[i].from < y)
      ++i;
    return i;
  }
  size_t low = 0;
  size_t high = pins.size;
  while (low < high) {
    const size_t middle = low + (high - low) / 2;
    if (pins[middle].from < y)
      low = middle + 1;
    else
      high = middle;
  }
  return low;
}

} // namespace

bool VerticalWarp::pin(double from, double to) {
  const size_t at = first_pin_at_or_above(pins, from);
  if (at < pins.size && pins[at].from == from)
    return pins[at].to == to;
  if (at > 0 && !(pins[at - 1].to < to))
    return false;
  if (at < pins.size && !(pins[at].to > to))
    return false;
  pins.emplace_at(pins.data + at, WarpPin{from, to});
  return true;
}

bool VerticalWarp::pin_pair(const WarpPin& low, const WarpPin& high) {
  const size_t before = pins.size;
  if (!pin(low.from, low.to))
    return false;
  if (pin(high.from, high.to))
    return true;
  if (pins.size != before) {
    const size_t at = first_pin_at_or_above(pins, low.from);
    pins.erase(pins.data + at, pins.data + at + 1);
  }
  return false;
}

void VerticalWarp::finish() {
  for (size_t i = 0; i + 1 < pins.size; ++i)
    pins[i].slope = (pins[i + 1].to - pins[i].to) / (pins[i + 1].from - pins[i].from);
}

double VerticalWarp::apply(double y) const {
  if (pins.size == 0)
    return y;
  const size_t at = first_pin_at_or_above(pins, y);
  if (at == 0)
    return y + (pins[0].to - pins[0].from);
  if (at == pins.size)
    return y + (pins[at - 1].to - pins[at - 1].from);
  const WarpPin& below = pins[at - 1];
  // A y equal to a pin's height lands on its `to` exactly.
  if (y == pins[at].from)
    return pins[at].to;
  return below.to + (y - below.from) * below.slope;
}

void warp_outline(const VerticalWarp& warp, OutlineBuilder& outline) {
  // An edge of a contour mostly starts where the one before it ended: that height is moved
  // once. The comparison is with the unmoved end, kept aside.
  double previous_end = 0.0;
  double previous_moved = 0.0;
  for (size_t i = 0; i < outline.segments.size; ++i) {
    LineSegment& s = outline.segments[i];
    const double end = s.p1.y;
    s.p0.y = i > 0 && s.p0.y == previous_end ? previous_moved : warp.apply(s.p0.y);
    s.p1.y = warp.apply(end);
    previous_end = end;
    previous_moved = s.p1.y;
  }
  outline.min_y = warp.apply(outline.min_y);
  outline.max_y = warp.apply(outline.max_y);
}
