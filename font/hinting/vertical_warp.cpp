#include "font/hinting/vertical_warp.h"

namespace {

// The index of the first pin whose `from` is not below y (pins.size when there is none).
size_t first_pin_at_or_above(const dv::vector<WarpPin>& pins, double y) {
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

double VerticalWarp::apply(double y) const {
  if (pins.size == 0)
    return y;
  const size_t at = first_pin_at_or_above(pins, y);
  if (at == 0)
    return y + (pins[0].to - pins[0].from);
  if (at == pins.size)
    return y + (pins[at - 1].to - pins[at - 1].from);
  const WarpPin& below = pins[at - 1];
  const WarpPin& above = pins[at];
  // from strictly increases, so above.from - below.from > 0; a y equal to a pin's height
  // lands on its `to` exactly (t == 1 only through the pin found at `at`).
  if (y == above.from)
    return above.to;
  const double t = (y - below.from) / (above.from - below.from);
  return below.to + t * (above.to - below.to);
}

void warp_outline(const VerticalWarp& warp, OutlineBuilder& outline) {
  for (size_t i = 0; i < outline.segments.size; ++i) {
    LineSegment& s = outline.segments[i];
    s.p0.y = warp.apply(s.p0.y);
    s.p1.y = warp.apply(s.p1.y);
  }
  outline.min_y = warp.apply(outline.min_y);
  outline.max_y = warp.apply(outline.max_y);
}
