#include "font/truetype/outline.h"

#include "font/glyph_limits.h"
#include "font/raster/curve_flattening.h"
#include "font/sfnt/item_variation_store.h"
#include "font/sfnt/sfnt.h"

namespace {

// Simple-glyph point flags.
constexpr uint8_t kOnCurve = 0x01;
constexpr uint8_t kXIsByte = 0x02;
constexpr uint8_t kYIsByte = 0x04;
constexpr uint8_t kRepeat = 0x08;
constexpr uint8_t kXSameOrPositive = 0x10;
constexpr uint8_t kYSameOrPositive = 0x20;

// Composite component flags.
constexpr uint16_t kArgsAreWords = 0x0001;
constexpr uint16_t kArgsAreOffsets = 0x0002;
constexpr uint16_t kUniformScale = 0x0008;
constexpr uint16_t kMoreComponents = 0x0020;
constexpr uint16_t kXYScale = 0x0040;
constexpr uint16_t kTwoByTwo = 0x0080;
constexpr uint16_t kHasInstructions = 0x0100;
constexpr uint16_t kUseMyMetrics = 0x0200;
constexpr uint16_t kScaledOffset = 0x0800;

constexpr uint64_t kGlyphHeaderSize = 10;

// What one top-level glyph may still spend, shared by all its components, and the
// composites being expanded, outermost first.
struct GlyphWork {
  uint32_t components_left;
  uint32_t points_left;
  uint64_t segment_limit; // builder size the glyph may not exceed
  GlyfScratch& scratch;
  bool past_limits = false;
  uint16_t composites[kMaxCompositeDepth + 1] = {};
  int composite_count = 0;
  uint64_t variation_deltas = 0;
  double origin_delta = 0.0;
  double advance_delta = 0.0;
  int32_t metrics_glyph = -1; // a top-level component whose metrics the glyph takes
  bool in_metrics_component = false;

  // False, with the glyph marked as past its limits, when it is.
  bool within(bool within_limit) {
    past_limits = past_limits || !within_limit;
    return within_limit;
  }
  bool expanding(uint16_t glyph) const {
    for (int i = 0; i < composite_count; ++i) {
      if (composites[i] == glyph)
        return true;
    }
    return false;
  }
};

bool within_segment_limit(const OutlineBuilder& builder, GlyphWork& work) {
  return work.within(builder.segments.size <= work.segment_limit && !builder.overflowed);
}

// A simple glyph decoded into flat per-point lists (the scratch's storage).
struct SimpleGlyph {
  explicit SimpleGlyph(GlyfScratch& scratch)
      : end_points(scratch.end_points), flags(scratch.flags), xs(scratch.xs), ys(scratch.ys) {
    end_points.clear();
    flags.clear();
  }
  dv::vector<unsigned short>& end_points;
  dv::vector<unsigned char>& flags;
  dv::vector<short>& xs;
  dv::vector<short>& ys;
  uint32_t num_points = 0;
};

// Reads n end points, skips the instructions and leaves `at` on the first flag byte.
bool read_end_points(ByteView data, uint64_t& at, uint32_t contours, SimpleGlyph& glyph) {
  if (!has_bytes(data, at, 2ull * contours))
    return false;
  glyph.end_points.resize(contours);
  for (uint32_t c = 0; c < contours; ++c, at += 2)
    glyph.end_points.data[c] = read_u16_be(data, at);
  if (!has_bytes(data, at, 2))
    return false;
  const uint16_t instruction_length = read_u16_be(data, at);
  at += 2;
  if (!has_bytes(data, at, instruction_length))
    return false;
  at += instruction_length;
  glyph.num_points = static_cast<uint16_t>(glyph.end_points.data[contours - 1] + 1);
  return true;
}

// Flags with their repeats expanded; a repeat may run past the point count. The last flag
// byte read starts below the point count and adds at most 256 flags, which the room
// reserved here holds; the flags are written through the array's data.
bool read_flags(ByteView data, uint64_t& at, SimpleGlyph& glyph) {
  glyph.flags.reserve(size_t{glyph.num_points} + 255);
  unsigned char* flags = glyph.flags.data;
  size_t count = 0;
  while (count < glyph.num_points) {
    if (!has_bytes(data, at, 1))
      return false;
    const unsigned char flag = data.data[at++];
    flags[count++] = flag;
    if ((flag & kRepeat) == 0)
      continue;
    if (!has_bytes(data, at, 1))
      return false;
    for (unsigned repeats = data.data[at++]; repeats > 0; --repeats)
      flags[count++] = flag;
  }
  glyph.flags.size = count;
  return true;
}

// Delta-coded coordinates of one axis into `out` (room for every point); the running
// value wraps as a 16-bit number. `kChecked` checks each read against the data's end.
template <bool kChecked>
bool decode_coordinates(ByteView data, uint64_t& at, const SimpleGlyph& glyph, uint8_t is_byte,
                        uint8_t same_or_positive, short* out) {
  uint16_t value = 0;
  for (uint32_t i = 0; i < glyph.num_points; ++i) {
    const unsigned char flag = glyph.flags.data[i];
    if (flag & is_byte) {
      if (kChecked && !has_bytes(data, at, 1))
        return false;
      const uint16_t delta = data.data[at++];
      value = static_cast<uint16_t>((flag & same_or_positive) ? value + delta : value - delta);
    } else if ((flag & same_or_positive) == 0) {
      if (kChecked && !has_bytes(data, at, 2))
        return false;
      value = static_cast<uint16_t>(value + read_u16_be(data, at));
      at += 2;
    }
    out[i] = static_cast<short>(value);
  }
  return true;
}

// One axis's coordinates. A point takes at most two bytes, so when that many remain for
// every point no single read needs its own check.
bool read_coordinates(ByteView data, uint64_t& at, const SimpleGlyph& glyph, uint8_t is_byte,
                      uint8_t same_or_positive, dv::vector<short>& out) {
  out.resize(glyph.num_points);
  if (has_bytes(data, at, 2ull * glyph.num_points))
    return decode_coordinates<false>(data, at, glyph, is_byte, same_or_positive, out.data);
  return decode_coordinates<true>(data, at, glyph, is_byte, same_or_positive, out.data);
}

bool decode_simple_glyph(ByteView data, uint64_t at, uint32_t contours, GlyphWork& work,
                         SimpleGlyph& glyph) {
  if (!read_end_points(data, at, contours, glyph))
    return false;
  if (!work.within(glyph.num_points <= work.points_left))
    return false;
  work.points_left -= glyph.num_points;
  return read_flags(data, at, glyph) &&
         read_coordinates(data, at, glyph, kXIsByte, kXSameOrPositive, glyph.xs) &&
         read_coordinates(data, at, glyph, kYIsByte, kYSameOrPositive, glyph.ys);
}

// One contour's points mapped through the transform, with an on-curve point between every
// two off-curve ones (their midpoint in font units, then mapped), starting on the curve and
// repeating its start at the end. Each point is mapped once, to the same value the builder
// calls would get from mapping it where they use it.
struct ContourPoints {
  dv::vector<Point>& points;
  dv::vector<bool>& on_curve;
};

// Point `i` of the glyph, moved by its deltas when the instance varies (`dx` not null).
Point glyph_point(const SimpleGlyph& glyph, const double* dx, const double* dy, uint32_t i) {
  if (dx == nullptr)
    return Point{static_cast<double>(glyph.xs.data[i]), static_cast<double>(glyph.ys.data[i])};
  return Point{glyph.xs.data[i] + dx[i], glyph.ys.data[i] + dy[i]};
}

void collect_contour(const SimpleGlyph& glyph, const double* dx, const double* dy, uint32_t first,
                     uint32_t last, const AffineTransform& transform, ContourPoints& contour) {
  // Each glyph point gives at most two (itself and a midpoint after it), and the repeated
  // start one more: that room is reserved once and filled through the arrays' data.
  const size_t room = 2 * (static_cast<size_t>(last) - first + 1) + 2;
  contour.points.clear();
  contour.on_curve.clear();
  contour.points.reserve(room);
  contour.on_curve.reserve(room);
  Point* points = contour.points.data;
  bool* on_curve = contour.on_curve.data;
  size_t count = 0;
  for (uint32_t i = first; i <= last; ++i) {
    const Point point = glyph_point(glyph, dx, dy, i);
    const bool on = (glyph.flags.data[i] & kOnCurve) != 0;
    points[count] = transform_point(transform, point);
    on_curve[count++] = on;
    const uint32_t next = i == last ? first : i + 1;
    if (!on && (glyph.flags.data[next] & kOnCurve) == 0) {
      const Point next_point = glyph_point(glyph, dx, dy, next);
      points[count] = transform_point(transform, midpoint(point, next_point));
      on_curve[count++] = true;
    }
  }
  contour.points.size = count;
  contour.on_curve.size = count;
  if (!contour.on_curve.data[0]) {
    const Point last_point = contour.points.data[contour.points.size - 1];
    contour.points.emplace_at(contour.points.data, last_point);
    contour.on_curve.emplace_at(contour.on_curve.data, true);
  }
  const Point first_point = contour.points.data[0];
  contour.points.push_back(first_point);
  contour.on_curve.emplace_back(true);
}

bool emit_contour(const ContourPoints& contour, OutlineBuilder& builder, GlyphWork& work) {
  const Point* points = contour.points.data;
  const size_t count = contour.points.size;
  builder.move_to(points[0]);
  size_t i = 0;
  while (i + 1 < count) {
    if (contour.on_curve.data[i + 1]) {
      builder.line_to(points[i + 1]);
      i += 1;
    } else if (i + 2 < count) {
      flatten_quadratic(builder, points[i], points[i + 1], points[i + 2]);
      i += 2;
    } else {
      break;
    }
    if (!within_segment_limit(builder, work))
      return false;
  }
  builder.close_contour();
  return within_segment_limit(builder, work);
}

// The deltas of glyph `glyph` at the font's instance into the scratch's dx and dy, one per
// point of `points` (zero where the data is malformed). At the top level (depth 0) the
// phantom points' deltas move the origin and the advance, unless HVAR gives advances.
bool vary_points(const TrueTypeFont& font, uint16_t glyph, const GlyphPointSet& points, int depth,
                 GlyphWork& work) {
  GlyfScratch& s = work.scratch;
  s.dx.assign(points.count, 0.0);
  s.dy.assign(points.count, 0.0);
  const uint64_t most = kMaxVariationDeltas - work.variation_deltas;
  uint64_t deltas = 0;
  const bool read = add_glyph_deltas(font.data, font.gvar, glyph, font.variations.coordinates.data,
                                     points, s.deltas, s.dx.data, s.dy.data, deltas, most);
  work.variation_deltas += deltas;
  if (!work.within(deltas <= most))
    return false;
  if (!read) {
    s.dx.assign(points.count, 0.0);
    s.dy.assign(points.count, 0.0);
  }
  const uint32_t origin = points.count - 4;
  if (font.variations.hvar_store.present)
    return true;
  if (depth == 0) {
    work.origin_delta = s.dx.data[origin];
    work.advance_delta = s.dx.data[origin + 1] - s.dx.data[origin];
  } else if (depth == 1 && work.in_metrics_component) {
    work.advance_delta = s.dx.data[origin + 1] - s.dx.data[origin];
  }
  return true;
}

// The glyph's points moved by the instance's deltas (and, at the top level, by the moved
// origin); false past the delta limit.
bool vary_simple_glyph(const TrueTypeFont& font, uint16_t glyph_index, const SimpleGlyph& glyph,
                       int depth, GlyphWork& work) {
  const GlyphPointSet points{glyph.num_points + 4,  glyph.num_points,
                             glyph.xs.data,         glyph.ys.data,
                             glyph.end_points.data, static_cast<uint32_t>(glyph.end_points.size)};
  if (!vary_points(font, glyph_index, points, depth, work))
    return false;
  if (depth == 0 && work.origin_delta != 0.0) {
    for (uint32_t i = 0; i < glyph.num_points; ++i)
      work.scratch.dx.data[i] -= work.origin_delta;
  }
  return true;
}

bool append_simple_glyph(const TrueTypeFont& font, uint16_t glyph_index, uint64_t pos,
                         uint32_t contours, const AffineTransform& transform,
                         OutlineBuilder& builder, int depth, GlyphWork& work) {
  ByteView data = font.data;
  SimpleGlyph glyph(work.scratch);
  if (!decode_simple_glyph(data, pos + kGlyphHeaderSize, contours, work, glyph))
    return false;
  const double* dx = nullptr;
  const double* dy = nullptr;
  if (varies(font) && font.gvar.present) {
    if (!vary_simple_glyph(font, glyph_index, glyph, depth, work))
      return false;
    dx = work.scratch.dx.data;
    dy = work.scratch.dy.data;
  }
  ContourPoints contour{work.scratch.contour_points, work.scratch.contour_on_curve};
  uint32_t first = 0;
  for (uint32_t c = 0; c < contours; ++c) {
    const uint32_t last = glyph.end_points.data[c];
    if (first > last || last >= glyph.num_points)
      return false;
    collect_contour(glyph, dx, dy, first, last, transform, contour);
    if (!emit_contour(contour, builder, work))
      return false;
    first = last + 1;
  }
  return true;
}

double f2dot14(uint16_t raw) {
  return static_cast<int16_t>(raw) / 16384.0;
}

// One component record's placement: the matrix and the offset in the parent's units.
struct ComponentPlacement {
  uint16_t flags;
  uint16_t glyph;
  double xscale = 1.0;
  double scale01 = 0.0;
  double scale10 = 0.0;
  double yscale = 1.0;
  double ox = 0.0;
  double oy = 0.0;
};

bool read_component_arguments(ByteView data, uint64_t& at, ComponentPlacement& c) {
  if (c.flags & kArgsAreWords) {
    if (!has_bytes(data, at, 4))
      return false;
    c.ox = read_i16_be(data, at);
    c.oy = read_i16_be(data, at + 2);
    at += 4;
  } else {
    if (!has_bytes(data, at, 2))
      return false;
    c.ox = static_cast<int8_t>(data.data[at]);
    c.oy = static_cast<int8_t>(data.data[at + 1]);
    at += 2;
  }
  return (c.flags & kArgsAreOffsets) != 0; // point matching is not supported
}

bool read_component_matrix(ByteView data, uint64_t& at, ComponentPlacement& c) {
  if (c.flags & kUniformScale) {
    if (!has_bytes(data, at, 2))
      return false;
    c.xscale = c.yscale = f2dot14(read_u16_be(data, at));
    at += 2;
  } else if (c.flags & kXYScale) {
    if (!has_bytes(data, at, 4))
      return false;
    c.xscale = f2dot14(read_u16_be(data, at));
    c.yscale = f2dot14(read_u16_be(data, at + 2));
    at += 4;
  } else if (c.flags & kTwoByTwo) {
    if (!has_bytes(data, at, 8))
      return false;
    c.xscale = f2dot14(read_u16_be(data, at));
    c.scale01 = f2dot14(read_u16_be(data, at + 2));
    c.scale10 = f2dot14(read_u16_be(data, at + 4));
    c.yscale = f2dot14(read_u16_be(data, at + 6));
    at += 8;
  }
  if (c.flags & kScaledOffset) {
    const double ox = c.xscale * c.ox + c.scale10 * c.oy;
    const double oy = c.scale01 * c.ox + c.yscale * c.oy;
    c.ox = ox;
    c.oy = oy;
  }
  return true;
}

// The parent's transform applied after the component's own mapping.
AffineTransform compose(const AffineTransform& t, const ComponentPlacement& c) {
  return {t.xx * c.xscale + t.xy * c.scale01, t.xx * c.scale10 + t.xy * c.yscale,
          t.yx * c.xscale + t.yy * c.scale01, t.yx * c.scale10 + t.yy * c.yscale,
          t.xx * c.ox + t.xy * c.oy + t.dx,   t.yx * c.ox + t.yy * c.oy + t.dy};
}

bool skip_component_instructions(ByteView data, uint64_t& at) {
  if (!has_bytes(data, at, 2))
    return false;
  const uint16_t length = read_u16_be(data, at);
  at += 2;
  if (!has_bytes(data, at, length))
    return false;
  at += length;
  return true;
}

bool append_glyph(const TrueTypeFont& font, uint16_t glyph, const AffineTransform& transform,
                  OutlineBuilder& builder, int depth, GlyphWork& work);

// Reads one component record at `at`, moving past it; false when it does not fit or uses
// point matching.
bool read_component(ByteView data, uint64_t& at, uint64_t end, ComponentPlacement& component) {
  if (at > end || !has_bytes(data, at, 4))
    return false;
  component = ComponentPlacement{read_u16_be(data, at), read_u16_be(data, at + 2)};
  at += 4;
  return read_component_arguments(data, at, component);
}

// The number of component records, or 0 when one is malformed.
uint32_t count_components(ByteView data, uint64_t at, uint64_t end) {
  uint32_t count = 0;
  for (;;) {
    ComponentPlacement component{0, 0};
    if (!read_component(data, at, end, component) || !read_component_matrix(data, at, component))
      return 0;
    ++count;
    if ((component.flags & kHasInstructions) && !skip_component_instructions(data, at))
      return 0;
    if ((component.flags & kMoreComponents) == 0 || count > kMaxGlyphComponents)
      return count;
  }
}

// The components' offset deltas (rounded to font units, as offsets are whole units) in
// `offsets`, two per component; the top-level origin delta moves `transform`.
bool vary_composite(const TrueTypeFont& font, uint16_t glyph, uint64_t pos, uint64_t end, int depth,
                    AffineTransform& transform, dv::vector<double>& offsets, GlyphWork& work) {
  const uint32_t components = count_components(font.data, pos + kGlyphHeaderSize, end);
  const GlyphPointSet points{components + 4, 0, nullptr, nullptr, nullptr, 0};
  if (!vary_points(font, glyph, points, depth, work))
    return false;
  offsets.resize(2 * uint64_t{components});
  for (uint32_t i = 0; i < components; ++i) {
    offsets.data[2 * i] = round_half_up(work.scratch.dx.data[i]);
    offsets.data[2 * i + 1] = round_half_up(work.scratch.dy.data[i]);
  }
  if (depth == 0) {
    transform.dx -= transform.xx * work.origin_delta;
    transform.dy -= transform.yx * work.origin_delta;
  }
  return true;
}

bool append_composite_glyph(const TrueTypeFont& font, uint16_t glyph, uint64_t pos, uint64_t end,
                            const AffineTransform& parent, OutlineBuilder& builder, int depth,
                            GlyphWork& work) {
  ByteView data = font.data;
  AffineTransform transform = parent;
  dv::vector<double> offsets; // stays empty at the default instance
  if (varies(font) && font.gvar.present &&
      !vary_composite(font, glyph, pos, end, depth, transform, offsets, work))
    return false;
  uint64_t at = pos + kGlyphHeaderSize;
  for (uint64_t index = 0;; ++index) {
    ComponentPlacement component{0, 0};
    if (!read_component(data, at, end, component))
      return false;
    if (2 * index + 1 < offsets.size) {
      component.ox += offsets.data[2 * index];
      component.oy += offsets.data[2 * index + 1];
    }
    if (!read_component_matrix(data, at, component))
      return false;
    if (!work.within(work.components_left != 0))
      return false;
    --work.components_left;
    // Away from the default instance a component may lend the glyph its metrics (at the
    // default the font's own hmtx entry stands, as it always has).
    const bool lends_metrics = depth == 0 && varies(font) && (component.flags & kUseMyMetrics) != 0;
    if (lends_metrics)
      work.metrics_glyph = component.glyph;
    work.in_metrics_component = lends_metrics;
    const bool appended = append_glyph(font, component.glyph, compose(transform, component),
                                       builder, depth + 1, work);
    work.in_metrics_component = false;
    if (!appended)
      return false;
    if ((component.flags & kHasInstructions) && !skip_component_instructions(data, at))
      return false;
    if ((component.flags & kMoreComponents) == 0)
      return true;
  }
}

// A glyph without an outline (a space) still has its four phantom points: away from the
// default instance their deltas move its origin and its advance.
bool vary_empty_glyph(const TrueTypeFont& font, uint16_t glyph, int depth, GlyphWork& work) {
  if (!varies(font) || !font.gvar.present)
    return true;
  const GlyphPointSet phantom_points{4, 0, nullptr, nullptr, nullptr, 0};
  return vary_points(font, glyph, phantom_points, depth, work);
}

bool append_glyph(const TrueTypeFont& font, uint16_t glyph, const AffineTransform& transform,
                  OutlineBuilder& builder, int depth, GlyphWork& work) {
  if (glyph >= font.num_glyphs)
    return true;
  const uint32_t start = glyph_offset(font, glyph);
  const uint32_t end = glyph_offset(font, glyph + 1u);
  if (end <= start)
    return vary_empty_glyph(font, glyph, depth, work); // such as a space
  const uint64_t pos = static_cast<uint64_t>(font.glyf.offset) + start;
  const uint64_t length = end - start;
  if (!has_bytes(font.data, pos, kGlyphHeaderSize))
    return false;
  const int16_t contours = read_i16_be(font.data, pos);
  if (contours < 0) {
    // A composite within itself never ends: broken data. Nested deeper than the limit
    // without that, it is a large glyph.
    if (work.expanding(glyph))
      return false;
    if (!work.within(depth <= kMaxCompositeDepth && work.composite_count <= kMaxCompositeDepth))
      return false;
    work.composites[work.composite_count++] = glyph;
    const bool appended =
        append_composite_glyph(font, glyph, pos, pos + length, transform, builder, depth, work);
    --work.composite_count;
    return appended;
  }
  if (contours == 0)
    return vary_empty_glyph(font, glyph, depth, work);
  return append_simple_glyph(font, glyph, pos, static_cast<uint32_t>(contours), transform, builder,
                             depth, work);
}

} // namespace

bool append_glyph_outline(const TrueTypeFont& font, uint16_t glyph,
                          const AffineTransform& transform, OutlineBuilder& builder, int depth,
                          GlyfScratch& scratch) {
  GlyphWork work{kMaxGlyphComponents, kMaxGlyphPoints, builder.segments.size + kMaxOutlineSegments,
                 scratch};
  const bool appended = append_glyph(font, glyph, transform, builder, depth, work);
  scratch.points_and_components =
      (kMaxGlyphComponents - work.components_left) + (kMaxGlyphPoints - work.points_left);
  scratch.past_limits = work.past_limits;
  scratch.variation_deltas = work.variation_deltas;
  scratch.origin_delta = work.origin_delta;
  scratch.advance_delta = work.advance_delta;
  scratch.metrics_glyph = work.metrics_glyph;
  return appended;
}

bool append_glyph_outline(const TrueTypeFont& font, uint16_t glyph,
                          const AffineTransform& transform, OutlineBuilder& builder, int depth) {
  GlyfScratch scratch;
  return append_glyph_outline(font, glyph, transform, builder, depth, scratch);
}

size_t held_bytes(const GlyfScratch& scratch) {
  return scratch.end_points.capacity * sizeof(unsigned short) +
         scratch.flags.capacity * sizeof(unsigned char) + scratch.xs.capacity * sizeof(short) +
         scratch.ys.capacity * sizeof(short) + scratch.contour_points.capacity * sizeof(Point) +
         scratch.contour_on_curve.capacity * sizeof(bool) +
         (scratch.dx.capacity + scratch.dy.capacity) * sizeof(double) + held_bytes(scratch.deltas);
}
