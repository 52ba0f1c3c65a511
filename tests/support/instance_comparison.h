// What the comparisons of a variable font with the static fonts fontTools makes of it
// share: the generators' listings of locations, loading a fixture through a backend, and
// the distance between two flattened outlines.
#pragma once

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "font/backend.h"
#include "font/raster/outline.h"
#include "support/fonttools_fixtures.h"

namespace instancetest {

// One line of a generator's listing: the variable font, the static font made of one
// location, and the location's user values and fontTools' normalized coordinates in the
// order of the font's axes.
struct Instance {
  std::string variable_font;
  std::string static_font;
  std::vector<double> user_values;
  std::vector<double> normalized;
  bool at_masters() const {
    return std::all_of(normalized.begin(), normalized.end(),
                       [](double v) { return v == -1.0 || v == 0.0 || v == 1.0; });
  }
  bool at_default() const {
    return std::all_of(normalized.begin(), normalized.end(), [](double v) { return v == 0.0; });
  }
};

inline std::vector<Instance> instances(const std::string& listing) {
  std::vector<Instance> all;
  for (const auto& fields : fonttools_fixtures::listing(listing)) {
    Instance instance{fields.at(0), fields.at(1), {}, {}};
    const size_t axes = std::stoul(fields.at(2));
    for (size_t i = 0; i < axes; ++i) {
      instance.user_values.push_back(std::stod(fields.at(3 + i)));
      instance.normalized.push_back(std::stod(fields.at(3 + axes + i)));
    }
    all.push_back(instance);
  }
  return all;
}

// Fixture `name` loaded by a backend `make` gives; null when missing or refused.
inline std::unique_ptr<FontBackend> load_backend(const std::string& name,
                                                 FontBackend* (*make)(unsigned int)) {
  const std::vector<unsigned char> bytes = fonttools_fixtures::read(name);
  std::unique_ptr<FontBackend> backend(make(0));
  if (bytes.empty() ||
      !backend->load(dv::vector<unsigned char>(bytes.data(), bytes.data() + bytes.size())))
    return nullptr;
  return backend;
}

inline double distance_to_segment(const Point& p, const LineSegment& s) {
  const double dx = s.p1.x - s.p0.x, dy = s.p1.y - s.p0.y;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? ((p.x - s.p0.x) * dx + (p.y - s.p0.y) * dy) / length2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - (s.p0.x + t * dx), p.y - (s.p0.y + t * dy));
}

// The largest distance from a vertex of `a` to the nearest edge of `b`, both drawn at
// `scale` pixels per font unit, in font units.
inline double farthest_vertex(const OutlineBuilder& a, const OutlineBuilder& b, double scale) {
  double farthest = 0.0;
  for (uint64_t i = 0; i < a.segments.size; ++i) {
    double nearest = INFINITY;
    for (uint64_t j = 0; j < b.segments.size; ++j)
      nearest = std::min(nearest, distance_to_segment(a.segments.data[i].p0, b.segments.data[j]));
    farthest = std::max(farthest, nearest);
  }
  return farthest / scale;
}

// The larger of the two one-way distances.
inline double outline_distance(const OutlineBuilder& a, const OutlineBuilder& b, double scale) {
  return std::max(farthest_vertex(a, b, scale), farthest_vertex(b, a, scale));
}

} // namespace instancetest
