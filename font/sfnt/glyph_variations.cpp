#include "font/sfnt/glyph_variations.h"

namespace {

constexpr uint64_t kGvarHeaderSize = 20;
constexpr uint16_t kSharedPointNumbers = 0x8000;
constexpr uint16_t kTupleCountMask = 0x0FFF;
constexpr uint16_t kEmbeddedPeak = 0x8000;
constexpr uint16_t kIntermediateRegion = 0x4000;
constexpr uint16_t kPrivatePointNumbers = 0x2000;
constexpr uint16_t kTupleIndexMask = 0x0FFF;
constexpr uint8_t kPointsAreWords = 0x80;
constexpr uint8_t kPointRunMask = 0x7F;
constexpr uint8_t kDeltasAreZero = 0x80;
constexpr uint8_t kDeltasAreWords = 0x40;
constexpr uint8_t kDeltaRunMask = 0x3F;

// A cursor over [at, end) of the data; every read checks and fails past the end.
struct Reader {
  ByteView data;
  uint64_t at;
  uint64_t end;

  bool u8(uint8_t& value) {
    if (at >= end)
      return false;
    value = data.data[at++];
    return true;
  }
  bool u16(uint16_t& value) {
    if (end - at < 2 || at > end)
      return false;
    value = read_u16_be(data, at);
    at += 2;
    return true;
  }
};

double f2dot14_at(ByteView data, uint64_t at) {
  return read_i16_be(data, at) / 16384.0;
}

// Packed point numbers; `all` when the list stands for every point of the glyph.
bool read_points(Reader& reader, dv::vector<unsigned short>& points, bool& all) {
  points.clear();
  uint8_t first = 0;
  if (!reader.u8(first))
    return false;
  all = first == 0;
  uint32_t count = first;
  if (first & kPointsAreWords) {
    uint8_t low = 0;
    if (!reader.u8(low))
      return false;
    count = (first & kPointRunMask) << 8 | low;
  }
  uint16_t point = 0;
  while (points.size < count) {
    uint8_t control = 0;
    if (!reader.u8(control))
      return false;
    const uint32_t run = (control & kPointRunMask) + 1u;
    for (uint32_t i = 0; i < run && points.size < count; ++i) {
      uint16_t step = 0;
      uint8_t byte = 0;
      if (control & kPointsAreWords) {
        if (!reader.u16(step))
          return false;
      } else {
        if (!reader.u8(byte))
          return false;
        step = byte;
      }
      point = static_cast<uint16_t>(point + step);
      points.push_back(point);
    }
  }
  return true;
}

// `count` packed deltas into `out`.
bool read_deltas(Reader& reader, uint32_t count, dv::vector<double>& out) {
  out.clear();
  while (out.size < count) {
    uint8_t control = 0;
    if (!reader.u8(control))
      return false;
    const uint32_t run = (control & kDeltaRunMask) + 1u;
    for (uint32_t i = 0; i < run && out.size < count; ++i) {
      int32_t value = 0;
      if (control & kDeltasAreZero) {
        value = 0;
      } else if (control & kDeltasAreWords) {
        uint16_t word = 0;
        if (!reader.u16(word))
          return false;
        value = static_cast<int16_t>(word);
      } else {
        uint8_t byte = 0;
        if (!reader.u8(byte))
          return false;
        value = static_cast<int8_t>(byte);
      }
      out.push_back(value);
    }
  }
  return true;
}

// The weight of a tuple whose peak, start and end (absolute offsets of axis_count F2Dot14
// each; start and end 0 without an intermediate region) lie inside the table.
double tuple_scalar(ByteView data, uint64_t peak, uint64_t start, uint64_t end, bool intermediate,
                    const double* coordinates, uint32_t axis_count) {
  double scalar = 1.0;
  for (uint32_t axis = 0; axis < axis_count && scalar != 0.0; ++axis) {
    const double p = f2dot14_at(data, peak + 2 * uint64_t{axis});
    const double c = coordinates[axis];
    if (p == 0.0 || c == p)
      continue;
    if (!intermediate) {
      if (c < (p < 0.0 ? p : 0.0) || c > (p > 0.0 ? p : 0.0))
        return 0.0;
      scalar *= c / p;
      continue;
    }
    const double s = f2dot14_at(data, start + 2 * uint64_t{axis});
    const double e = f2dot14_at(data, end + 2 * uint64_t{axis});
    if (c <= s || c >= e)
      return 0.0;
    scalar *= c < p ? (c - s) / (p - s) : (e - c) / (e - p);
  }
  return scalar;
}

// Infers the deltas of points p1..p2 from touched points ref1 and ref2, one axis at a time:
// a point outside the references' span moves with the nearer one, a point between them
// is interpolated; references at one coordinate with different deltas infer nothing.
void interpolate(const short* original, double* delta, uint32_t p1, uint32_t p2, uint32_t ref1,
                 uint32_t ref2) {
  if (p1 > p2)
    return;
  double in1 = original[ref1], in2 = original[ref2];
  double d1 = delta[ref1], d2 = delta[ref2];
  if (in1 > in2) {
    const double in = in1;
    const double d = d1;
    in1 = in2;
    d1 = d2;
    in2 = in;
    d2 = d;
  }
  if (in1 == in2 && d1 != d2)
    return;
  const double out1 = in1 + d1, out2 = in2 + d2;
  const double slope = in1 != in2 ? (out2 - out1) / (in2 - in1) : 0.0;
  for (uint32_t p = p1; p <= p2; ++p) {
    const double x = original[p];
    if (x <= in1)
      delta[p] = d1;
    else if (x >= in2)
      delta[p] = d2;
    else
      delta[p] = out1 + (x - in1) * slope - x;
  }
}

void interpolate_both(const GlyphPointSet& points, GlyphDeltaScratch& s, uint32_t p1, uint32_t p2,
                      uint32_t ref1, uint32_t ref2) {
  interpolate(points.xs, s.tuple_dx.data, p1, p2, ref1, ref2);
  interpolate(points.ys, s.tuple_dy.data, p1, p2, ref1, ref2);
}

// IUP over every contour of the outline points; counts the points it visits.
void infer_untouched(const GlyphPointSet& points, GlyphDeltaScratch& s, uint64_t& deltas) {
  uint32_t start = 0;
  for (uint32_t c = 0; c < points.contour_count; ++c) {
    const uint32_t end = points.end_points[c];
    if (end < start || end >= points.outline_points)
      return;
    uint32_t point = start;
    while (point <= end && !s.touched.data[point])
      ++point;
    if (point <= end) {
      deltas += end - start + 1;
      const uint32_t first_touched = point;
      uint32_t current = point;
      for (++point; point <= end; ++point) {
        if (!s.touched.data[point])
          continue;
        interpolate_both(points, s, current + 1, point - 1, current, point);
        current = point;
      }
      if (current == first_touched) {
        for (uint32_t p = start; p <= end; ++p) {
          s.tuple_dx.data[p] = s.tuple_dx.data[current];
          s.tuple_dy.data[p] = s.tuple_dy.data[current];
        }
      } else {
        interpolate_both(points, s, current + 1, end, current, first_touched);
        if (first_touched > start)
          interpolate_both(points, s, start, first_touched - 1, current, first_touched);
      }
    }
    start = end + 1;
  }
}

// One tuple's deltas for the listed points, weighted and added; unlisted outline points
// are inferred.
bool apply_tuple(Reader& reader, const dv::vector<unsigned short>& listed, bool all, double scalar,
                 const GlyphPointSet& points, GlyphDeltaScratch& s, double* dx, double* dy,
                 uint64_t& deltas) {
  const uint32_t count = all ? points.count : static_cast<uint32_t>(listed.size);
  dv::vector<double>& read_x = s.read_x;
  dv::vector<double>& read_y = s.read_y;
  if (!read_deltas(reader, count, read_x) || !read_deltas(reader, count, read_y))
    return false;
  deltas += 2 * uint64_t{count};
  if (all) {
    for (uint32_t i = 0; i < count; ++i) {
      dx[i] += scalar * read_x.data[i];
      dy[i] += scalar * read_y.data[i];
    }
    return true;
  }
  s.tuple_dx.assign(points.count, 0.0);
  s.tuple_dy.assign(points.count, 0.0);
  s.touched.assign(points.count, 0);
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t point = listed.data[i];
    if (point >= points.count)
      continue;
    s.tuple_dx.data[point] = read_x.data[i];
    s.tuple_dy.data[point] = read_y.data[i];
    s.touched.data[point] = 1;
  }
  infer_untouched(points, s, deltas);
  for (uint32_t p = 0; p < points.count; ++p) {
    dx[p] += scalar * s.tuple_dx.data[p];
    dy[p] += scalar * s.tuple_dy.data[p];
  }
  deltas += points.count;
  return true;
}

// Where glyph `glyph`'s variation data lies; false when it has none or it does not fit.
bool glyph_data(ByteView data, const GlyphVariationTable& table, uint16_t glyph, uint64_t& start,
                uint64_t& stop) {
  if (glyph >= table.glyph_count)
    return false;
  const uint64_t offsets = table.offset + kGvarHeaderSize;
  if (table.long_offsets) {
    start = read_u32_be(data, offsets + 4 * uint64_t{glyph});
    stop = read_u32_be(data, offsets + 4 * uint64_t{glyph} + 4);
  } else {
    start = 2 * uint64_t{read_u16_be(data, offsets + 2 * uint64_t{glyph})};
    stop = 2 * uint64_t{read_u16_be(data, offsets + 2 * uint64_t{glyph} + 2)};
  }
  start += table.data_array;
  stop += table.data_array;
  return start < stop && stop <= table.end;
}

} // namespace

bool read_glyph_variation_table(ByteView data, const TableRecord& gvar, uint32_t axis_count,
                                GlyphVariationTable& table) {
  const uint64_t start = gvar.offset;
  const uint64_t end = start + gvar.length;
  if (gvar.length < kGvarHeaderSize || read_u16_be(data, start) != 1 ||
      read_u16_be(data, start + 4) != axis_count)
    return false;
  table.offset = start;
  table.end = end;
  table.axis_count = static_cast<uint16_t>(axis_count);
  table.shared_tuple_count = read_u16_be(data, start + 6);
  table.shared_tuples = start + read_u32_be(data, start + 8);
  table.glyph_count = read_u16_be(data, start + 12);
  table.long_offsets = (read_u16_be(data, start + 14) & 1) != 0;
  table.data_array = start + read_u32_be(data, start + 16);
  const uint64_t offsets_size = (uint64_t{table.glyph_count} + 1) * (table.long_offsets ? 4 : 2);
  const uint64_t shared_size = uint64_t{table.shared_tuple_count} * axis_count * 2;
  table.present = start + kGvarHeaderSize + offsets_size <= end &&
                  table.shared_tuples + shared_size <= end && table.data_array <= end;
  return table.present;
}

bool add_glyph_deltas(ByteView data, const GlyphVariationTable& table, uint16_t glyph,
                      const double* coordinates, const GlyphPointSet& points,
                      GlyphDeltaScratch& scratch, double* dx, double* dy, uint64_t& deltas,
                      uint64_t most_deltas) {
  uint64_t start = 0;
  uint64_t stop = 0;
  if (!table.present || !glyph_data(data, table, glyph, start, stop))
    return true;
  Reader header{data, start, stop};
  uint16_t count_field = 0;
  uint16_t data_offset = 0;
  if (!header.u16(count_field) || !header.u16(data_offset) || data_offset > stop - start)
    return false;
  Reader serialized{data, start + data_offset, stop};
  bool shared_all = false;
  scratch.shared_points.clear();
  if ((count_field & kSharedPointNumbers) &&
      !read_points(serialized, scratch.shared_points, shared_all))
    return false;
  const uint32_t axes = table.axis_count;
  for (uint32_t t = 0; t < (count_field & kTupleCountMask); ++t) {
    uint16_t size = 0;
    uint16_t index = 0;
    if (!header.u16(size) || !header.u16(index))
      return false;
    uint64_t peak = table.shared_tuples + 2 * uint64_t{axes} * (index & kTupleIndexMask);
    if (index & kEmbeddedPeak) {
      peak = header.at;
      header.at += 2 * uint64_t{axes};
    } else if ((index & kTupleIndexMask) >= table.shared_tuple_count) {
      return false;
    }
    const bool intermediate = (index & kIntermediateRegion) != 0;
    const uint64_t region_start = header.at;
    if (intermediate)
      header.at += 4 * uint64_t{axes};
    if (header.at > stop || serialized.end - serialized.at < size || serialized.at > stop)
      return false;
    Reader tuple{data, serialized.at, serialized.at + size};
    serialized.at += size;
    const double scalar = tuple_scalar(data, peak, region_start, region_start + 2 * uint64_t{axes},
                                       intermediate, coordinates, axes);
    if (scalar == 0.0)
      continue;
    bool all = shared_all;
    const dv::vector<unsigned short>* listed = &scratch.shared_points;
    if (index & kPrivatePointNumbers) {
      if (!read_points(tuple, scratch.private_points, all))
        return false;
      listed = &scratch.private_points;
    }
    if (!apply_tuple(tuple, *listed, all, scalar, points, scratch, dx, dy, deltas) ||
        deltas > most_deltas)
      return false;
  }
  return true;
}

size_t held_bytes(const GlyphDeltaScratch& scratch) {
  return (scratch.shared_points.capacity + scratch.private_points.capacity) *
             sizeof(unsigned short) +
         (scratch.tuple_dx.capacity + scratch.tuple_dy.capacity + scratch.read_x.capacity +
          scratch.read_y.capacity) *
             sizeof(double) +
         scratch.touched.capacity;
}
