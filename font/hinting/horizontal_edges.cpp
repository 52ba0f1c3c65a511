#include "font/hinting/horizontal_edges.h"

namespace {

// Runs are chains of edges that travel more across than up or down, all the same way. A
// run's horizontal edge lies at its extreme height on the side away from the ink; it spans
// what of the run lies within kBand of that height and must span at least kMinLength
// (a slanted run reaches its extreme at one end only, and spans little of it).
constexpr double kBand = 0.35;
constexpr double kMinLength = 0.5;
// A run ending at its extreme height holds an edge only when it is flat there (a flat
// stretch rises at most this much per unit travelled); a slanted one merely turns there.
constexpr double kMaxFlatSlope = 0.2;

double magnitude(double v) {
  return v < 0 ? -v : v;
}

// Twice the signed area the outline encloses: positive when its outer contours turn
// counter-clockwise (y up), the ink then lying left of the direction of travel.
double twice_signed_area(const OutlineBuilder& outline) {
  double area = 0.0;
  for (size_t i = 0; i < outline.segments.size; ++i) {
    const LineSegment& s = outline.segments[i];
    area += s.p0.x * s.p1.y - s.p1.x * s.p0.y;
  }
  return area;
}

bool across(const LineSegment& s) {
  const double dx = s.p1.x - s.p0.x;
  return dx != 0.0 && magnitude(s.p1.y - s.p0.y) <= magnitude(dx);
}

bool continues(const LineSegment& previous, const LineSegment& next) {
  const bool same_way = (previous.p1.x > previous.p0.x) == (next.p1.x > next.p0.x);
  return same_way && previous.p1.x == next.p0.x && previous.p1.y == next.p0.y && across(next);
}

// The horizontal extent of the part of `s` lying between heights `low` and `high`, widened
// into [x_min, x_max]; nothing when no part does.
void widen_by_part_within(const LineSegment& s, double low, double high, double& x_min,
                          double& x_max) {
  if ((s.p0.y < low && s.p1.y < low) || (s.p0.y > high && s.p1.y > high))
    return;
  double t0 = 0.0;
  double t1 = 1.0;
  const double dy = s.p1.y - s.p0.y;
  if (dy == 0.0) {
    if (!(s.p0.y >= low && s.p0.y <= high))
      return;
  } else {
    double ta = (low - s.p0.y) / dy;
    double tb = (high - s.p0.y) / dy;
    if (ta > tb) {
      const double swap = ta;
      ta = tb;
      tb = swap;
    }
    t0 = ta > t0 ? ta : t0;
    t1 = tb < t1 ? tb : t1;
    if (!(t0 <= t1))
      return;
  }
  const double dx = s.p1.x - s.p0.x;
  const double xa = s.p0.x + t0 * dx;
  const double xb = s.p0.x + t1 * dx;
  const double left = xa < xb ? xa : xb;
  const double right = xa < xb ? xb : xa;
  x_min = left < x_min ? left : x_min;
  x_max = right > x_max ? right : x_max;
}

bool flat(const LineSegment& s) {
  return magnitude(s.p1.y - s.p0.y) <= kMaxFlatSlope * magnitude(s.p1.x - s.p0.x);
}

// The edges of one chain of connected edges (a contour), taken in order from `start` and
// around: runs, each the same way and more across than up or down, and within each run
// `at(j)` is its j-th edge.
struct Chain {
  const LineSegment* segments;
  size_t count;
  size_t start;
  // j < count, and start < count: one subtraction wraps it (no division per edge).
  const LineSegment& at(size_t j) const {
    const size_t i = start + j;
    return segments[i < count ? i : i - count];
  }
};

// Whether the run chain[first, last) reaches `extreme` between two of its edges or along a
// flat edge at one of its ends.
bool turns_at(const Chain& chain, size_t first, size_t last, double extreme) {
  for (size_t j = first; j + 1 < last; ++j) {
    if (chain.at(j).p1.y == extreme)
      return true;
  }
  return (chain.at(first).p0.y == extreme && flat(chain.at(first))) ||
         (chain.at(last - 1).p1.y == extreme && flat(chain.at(last - 1)));
}

// The edge of the run chain[first, last): at its highest point when `top`, else its lowest;
// of no length when the run only ends there, slanted.
HorizontalEdge run_edge(const Chain& chain, size_t first, size_t last, bool top) {
  double extreme = chain.at(first).p0.y;
  for (size_t j = first; j < last; ++j) {
    const double y = chain.at(j).p1.y;
    extreme = (top ? y > extreme : y < extreme) ? y : extreme;
  }
  if (!turns_at(chain, first, last, extreme))
    return HorizontalEdge{extreme, 0.0, 0.0, 0.0, top, false, 0.0};
  const double low = top ? extreme - kBand : extreme;
  const double high = top ? extreme : extreme + kBand;
  double x_min = 1e300;
  double x_max = -1e300;
  for (size_t j = first; j < last; ++j)
    widen_by_part_within(chain.at(j), low, high, x_min, x_max);
  return HorizontalEdge{extreme, x_min, x_max, x_max - x_min, top, false, 0.0};
}

bool connected(const LineSegment& previous, const LineSegment& next) {
  return previous.p1.x == next.p0.x && previous.p1.y == next.p0.y;
}

// Where the chain's first run begins: past the run that crosses its closing point, so that a
// run is never cut in two there.
size_t run_start(const LineSegment* segments, size_t count) {
  if (!connected(segments[count - 1], segments[0]))
    return 0;
  for (size_t i = 0; i < count; ++i) {
    if (!continues(segments[(i + count - 1) % count], segments[i]))
      return i;
  }
  return 0; // one run all around: start anywhere
}

// Appends the edges of one chain; false past `max_edges`.
bool chain_edges(const Chain& chain, bool counter_clockwise, size_t max_edges,
                 dv::vector<HorizontalEdge>& edges) {
  size_t j = 0;
  while (j < chain.count) {
    if (!across(chain.at(j))) {
      ++j;
      continue;
    }
    const size_t first = j;
    const bool leftward = chain.at(j).p1.x < chain.at(j).p0.x;
    const double start_x = chain.at(j).p0.x;
    ++j;
    while (j < chain.count && continues(chain.at(j - 1), chain.at(j)))
      ++j;
    // The run travels one way: a run shorter than an edge's least length holds none.
    if (!(magnitude(chain.at(j - 1).p1.x - start_x) >= kMinLength))
      continue;
    const HorizontalEdge edge = run_edge(chain, first, j, leftward == counter_clockwise);
    if (!(edge.length >= kMinLength))
      continue;
    if (edges.size == max_edges)
      return false;
    edges.push_back(edge);
  }
  return true;
}

} // namespace

bool find_horizontal_edges(const OutlineBuilder& outline, size_t max_edges,
                           dv::vector<HorizontalEdge>& edges) {
  edges.clear();
  const bool counter_clockwise = twice_signed_area(outline) > 0.0;
  const LineSegment* segments = outline.segments.data;
  const size_t count = outline.segments.size;
  size_t first = 0;
  while (first < count) {
    size_t end = first + 1;
    while (end < count && connected(segments[end - 1], segments[end]))
      ++end;
    const size_t length = end - first;
    const Chain chain{segments + first, length, run_start(segments + first, length)};
    if (!chain_edges(chain, counter_clockwise, max_edges, edges))
      return false;
    first = end;
  }
  return true;
}
