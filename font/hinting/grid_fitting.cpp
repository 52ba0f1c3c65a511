#include "font/hinting/grid_fitting.h"

#include "runtime/math.h"

namespace {

constexpr double kMaxZoneMove = 1.0;

double distance(double a, double b) {
  return a < b ? b - a : a - b;
}

// The zone an edge belongs to and where it goes there: the zone's fitted flat row or its
// fitted overshoot row, whichever height the edge is nearer. False when it is in no zone.
bool zone_target(const BlueZones& zones, const HorizontalEdge& edge, double& target) {
  double best = zones.tolerance;
  bool found = false;
  for (int i = 0; i < zones.count; ++i) {
    const BlueZone& zone = zones.zones[i];
    if (zone.top != edge.top)
      continue;
    const double low = (zone.flat < zone.overshoot ? zone.flat : zone.overshoot) - zones.tolerance;
    const double high = (zone.flat > zone.overshoot ? zone.flat : zone.overshoot) + zones.tolerance;
    if (!(edge.y >= low && edge.y <= high))
      continue;
    const double to_flat = distance(edge.y, zone.flat);
    const double to_overshoot = distance(edge.y, zone.overshoot);
    const double nearest = to_flat < to_overshoot ? to_flat : to_overshoot;
    // Inside a zone counts as nearer than anything within the tolerance outside one.
    const double score = edge.y >= low + zones.tolerance && edge.y <= high - zones.tolerance
                             ? -1.0 / (1.0 + nearest)
                             : nearest;
    const double fitted = to_flat <= to_overshoot ? zone.fitted_flat : zone.fitted_overshoot;
    // A zone row a whole row or more away belongs to another part of the letter.
    if (distance(fitted, edge.y) < kMaxZoneMove && (!found || score < best)) {
      best = score;
      found = true;
      target = fitted;
    }
  }
  return found;
}

// The nearest top edge above `bottom` within `max_stem` that overlaps it horizontally:
// together they bound a horizontal stroke. -1 when there is none.
long stroke_partner(const dv::vector<HorizontalEdge>& edges, size_t bottom, double max_stem,
                    const bool* paired) {
  const HorizontalEdge& low = edges[bottom];
  long best = -1;
  for (size_t i = 0; i < edges.size; ++i) {
    const HorizontalEdge& high = edges[i];
    if (!high.top || paired[i] || !(high.y > low.y) || high.y - low.y > max_stem)
      continue;
    const double overlap = (high.x_max < low.x_max ? high.x_max : low.x_max) -
                           (high.x_min > low.x_min ? high.x_min : low.x_min);
    if (!(overlap > 0.0))
      continue;
    if (best < 0 || high.y < edges[static_cast<size_t>(best)].y)
      best = static_cast<long>(i);
  }
  return best;
}

double whole_rows(double height) {
  const double rows = dv::floor(height + 0.5);
  return rows >= 1.0 ? rows : 1.0;
}

// Places a stroke between edges `low` and `high`: a whole number of rows tall, hanging from
// an edge already in a zone, else centred where it was on the nearest whole row.
void fit_stroke(HorizontalEdge& low, HorizontalEdge& high) {
  const double rows = whole_rows(high.y - low.y);
  if (low.fitted && high.fitted)
    return;
  if (high.fitted) {
    low.target = high.target - rows;
  } else if (low.fitted) {
    high.target = low.target + rows;
  } else {
    low.target = dv::floor((low.y + high.y) * 0.5 - rows * 0.5 + 0.5);
    high.target = low.target + rows;
  }
  low.fitted = high.fitted = true;
}

constexpr size_t kMaxStrokeEdges = 256;

} // namespace

void fit_edges_to_grid(const BlueZones& zones, dv::vector<HorizontalEdge>& edges,
                       VerticalWarp& warp) {
  warp.pins.clear();
  if (zones.count == 0 || edges.size > kMaxStrokeEdges)
    return warp.finish();
  for (HorizontalEdge& edge : edges) {
    edge.fitted = zone_target(zones, edge, edge.target);
    if (edge.fitted)
      warp.pin(edge.y, edge.target);
  }
  bool paired[kMaxStrokeEdges] = {};
  for (size_t i = 0; i < edges.size; ++i) {
    if (edges[i].top || paired[i])
      continue;
    const long partner = stroke_partner(edges, i, zones.max_stroke, paired);
    if (partner < 0)
      continue;
    HorizontalEdge& low = edges[i];
    HorizontalEdge& high = edges[static_cast<size_t>(partner)];
    paired[i] = paired[partner] = true;
    const bool was_fitted = low.fitted && high.fitted;
    fit_stroke(low, high);
    if (!was_fitted)
      warp.pin_pair(WarpPin{low.y, low.target}, WarpPin{high.y, high.target});
  }
  warp.finish();
}
