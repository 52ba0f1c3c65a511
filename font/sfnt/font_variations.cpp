#include "font/sfnt/font_variations.h"

namespace {

constexpr uint64_t kFvarHeaderSize = 16;
constexpr uint16_t kAxisRecordSize = 20;
constexpr uint64_t kAvarHeaderSize = 8;
constexpr uint64_t kHvarHeaderSize = 20;
constexpr uint64_t kMvarHeaderSize = 12;
constexpr uint64_t kMvarRecordSize = 8;
constexpr uint32_t kMaxAxes = 64;

double fixed_at(ByteView data, uint64_t at) {
  return static_cast<int32_t>(read_u32_be(data, at)) / 65536.0;
}

double f2dot14_at(ByteView data, uint64_t at) {
  return read_i16_be(data, at) / 16384.0;
}

double round_to_f2dot14(double value) {
  return round_half_up(value * 16384.0) / 16384.0;
}

double round_to_fixed(double value) {
  return round_half_up(value * 65536.0) / 65536.0;
}

bool find(const dv::unordered_map<unsigned int, TableRecord>& tables, const char (&tag)[5],
          TableRecord& record) {
  const auto* found = tables.find(sfnt_tag(tag));
  if (found == tables.end())
    return false;
  record = found->second;
  return true;
}

bool read_axes(ByteView data, uint64_t fvar, uint64_t end, FontVariations& v) {
  const uint64_t axes = fvar + read_u16_be(data, fvar + 4);
  const uint16_t axis_count = read_u16_be(data, fvar + 8);
  const uint16_t axis_size = read_u16_be(data, fvar + 10);
  if (axis_count == 0 || axis_count > kMaxAxes || axis_size < kAxisRecordSize ||
      axes + uint64_t{axis_count} * axis_size > end)
    return false;
  for (uint64_t i = 0; i < axis_count; ++i) {
    const uint64_t at = axes + i * axis_size;
    VariationAxis axis{read_u32_be(data, at), fixed_at(data, at + 4), fixed_at(data, at + 8),
                       fixed_at(data, at + 12), read_u16_be(data, at + 18)};
    if (!(axis.minimum <= axis.default_value && axis.default_value <= axis.maximum))
      return false;
    v.axes.push_back(axis);
  }
  return true;
}

// Named instances that do not fit are dropped; the axes stand without them.
void read_instances(ByteView data, uint64_t fvar, uint64_t end, FontVariations& v) {
  const uint64_t axis_count = v.axes.size;
  const uint64_t first =
      fvar + read_u16_be(data, fvar + 4) + axis_count * read_u16_be(data, fvar + 10);
  const uint16_t count = read_u16_be(data, fvar + 12);
  const uint16_t size = read_u16_be(data, fvar + 14);
  if (size < 4 + 4 * axis_count || first + uint64_t{count} * size > end)
    return;
  for (uint64_t i = 0; i < count; ++i) {
    const uint64_t at = first + i * size;
    v.instances.push_back(
        NamedInstance{read_u16_be(data, at), static_cast<uint32_t>(v.instance_coordinates.size)});
    for (uint64_t axis = 0; axis < axis_count; ++axis)
      v.instance_coordinates.push_back(fixed_at(data, at + 4 + 4 * axis));
  }
}

bool read_fvar(ByteView data, const TableRecord& fvar, FontVariations& v) {
  const uint64_t end = uint64_t{fvar.offset} + fvar.length;
  if (fvar.length < kFvarHeaderSize || read_u16_be(data, fvar.offset) != 1 ||
      !read_axes(data, fvar.offset, end, v)) {
    v.axes.clear();
    return false;
  }
  read_instances(data, fvar.offset, end, v);
  return true;
}

// One map per axis, in axis order; a table that does not hold them all within its length is
// ignored. A map that breaks the format's rules (-1 -> -1, 0 -> 0 and 1 -> 1 present,
// coordinates ascending) is used as it stands: through_avar gives a defined value for any.
void read_avar(ByteView data, const TableRecord& avar, FontVariations& v) {
  const uint64_t end = uint64_t{avar.offset} + avar.length;
  if (avar.length < kAvarHeaderSize || read_u16_be(data, avar.offset) != 1 ||
      read_u16_be(data, uint64_t{avar.offset} + 6) != v.axes.size)
    return;
  uint64_t at = uint64_t{avar.offset} + kAvarHeaderSize;
  for (uint64_t axis = 0; axis < v.axes.size; ++axis) {
    if (at + 2 > end)
      break;
    const uint16_t count = read_u16_be(data, at);
    at += 2;
    if (at + 4 * uint64_t{count} > end)
      break;
    v.avar_first.push_back(static_cast<uint32_t>(v.avar_pairs.size / 2));
    v.avar_count.push_back(count);
    for (uint64_t i = 0; i < count; ++i, at += 4) {
      v.avar_pairs.push_back(f2dot14_at(data, at));
      v.avar_pairs.push_back(f2dot14_at(data, at + 2));
    }
  }
  if (v.avar_first.size != v.axes.size) {
    v.avar_first.clear();
    v.avar_count.clear();
    v.avar_pairs.clear();
  }
}

void read_hvar(ByteView data, const TableRecord& hvar, FontVariations& v) {
  const uint64_t start = hvar.offset;
  const uint64_t end = start + hvar.length;
  if (hvar.length < kHvarHeaderSize || read_u16_be(data, start) != 1)
    return;
  const uint32_t store = read_u32_be(data, start + 4);
  const uint32_t advance_map = read_u32_be(data, start + 8);
  if (store == 0 || store >= hvar.length || advance_map >= hvar.length)
    return;
  v.hvar_store = ItemVariationStore{start + store, end, true};
  v.hvar_advance_map = advance_map == 0 ? 0 : start + advance_map;
}

void read_mvar(ByteView data, const TableRecord& mvar, FontVariations& v) {
  const uint64_t start = mvar.offset;
  if (mvar.length < kMvarHeaderSize || read_u16_be(data, start) != 1)
    return;
  const uint16_t record_size = read_u16_be(data, start + 6);
  const uint16_t count = read_u16_be(data, start + 8);
  const uint16_t store = read_u16_be(data, start + 10);
  if (record_size < kMvarRecordSize || store == 0 || store >= mvar.length ||
      kMvarHeaderSize + uint64_t{record_size} * count > mvar.length)
    return;
  v.mvar_store = ItemVariationStore{start + store, start + mvar.length, true};
  v.mvar_records = start + kMvarHeaderSize;
  v.mvar_record_count = count;
  v.mvar_record_size = record_size;
}

double through_avar(const FontVariations& v, uint32_t axis, double value) {
  if (v.avar_first.size == 0 || v.avar_count.data[axis] == 0)
    return value;
  const double* pairs = v.avar_pairs.data + 2 * uint64_t{v.avar_first.data[axis]};
  const uint32_t count = v.avar_count.data[axis];
  if (value <= pairs[0])
    return value - pairs[0] + pairs[1];
  for (uint32_t i = 1; i < count; ++i) {
    const double from0 = pairs[2 * i - 2], to0 = pairs[2 * i - 1];
    const double from1 = pairs[2 * i], to1 = pairs[2 * i + 1];
    if (value < from1) {
      if (from1 <= from0)
        return to0;
      return to0 + (to1 - to0) * (value - from0) / (from1 - from0);
    }
  }
  return value - pairs[2 * count - 2] + pairs[2 * count - 1];
}

// The MVAR delta of the value tagged `tag`, 0 when the font lists none.
double metric_delta(ByteView data, const FontVariations& v, uint32_t tag) {
  for (uint64_t i = 0; i < v.mvar_record_count; ++i) {
    const uint64_t at = v.mvar_records + i * v.mvar_record_size;
    if (read_u32_be(data, at) != tag)
      continue;
    double delta = 0.0;
    uint64_t work = 0;
    item_variation_delta(data, v.mvar_store, read_u16_be(data, at + 4), read_u16_be(data, at + 6),
                         v.coordinates.data, static_cast<uint32_t>(v.axes.size), delta, work);
    return round_half_up(delta);
  }
  return 0.0;
}

} // namespace

void read_font_variations(ByteView data, const dv::unordered_map<unsigned int, TableRecord>& tables,
                          FontVariations& variations) {
  TableRecord record;
  if (!find(tables, "fvar", record) || !read_fvar(data, record, variations))
    return;
  variations.coordinates.assign(variations.axes.size, 0.0);
  if (find(tables, "avar", record))
    read_avar(data, record, variations);
  if (find(tables, "HVAR", record))
    read_hvar(data, record, variations);
  if (find(tables, "MVAR", record))
    read_mvar(data, record, variations);
}

double normalize_coordinate(const FontVariations& variations, uint32_t axis, double value) {
  const VariationAxis& a = variations.axes.data[axis];
  value = value < a.minimum ? a.minimum : (value > a.maximum ? a.maximum : value);
  double normalized = 0.0;
  if (value < a.default_value)
    normalized = (value - a.default_value) / (a.default_value - a.minimum);
  else if (value > a.default_value)
    normalized = (value - a.default_value) / (a.maximum - a.default_value);
  // avar maps the 16.16 value; only its result is rounded to F2Dot14. Rounding to F2Dot14
  // first would move a value just short of a map point onto the point.
  normalized = through_avar(variations, axis, round_to_fixed(normalized));
  normalized = normalized < -1.0 ? -1.0 : (normalized > 1.0 ? 1.0 : normalized);
  return round_to_f2dot14(normalized);
}

void select_instance(ByteView data, FontVariations& variations, const double* values) {
  variations.at_default = true;
  for (uint32_t axis = 0; axis < variations.axes.size; ++axis) {
    const double normalized = normalize_coordinate(variations, axis, values[axis]);
    variations.coordinates.data[axis] = normalized;
    variations.at_default = variations.at_default && normalized == 0.0;
  }
  const bool varies = !variations.at_default && variations.mvar_store.present;
  variations.ascent_delta = varies ? metric_delta(data, variations, sfnt_tag("hasc")) : 0.0;
  variations.descent_delta = varies ? metric_delta(data, variations, sfnt_tag("hdsc")) : 0.0;
  variations.line_gap_delta = varies ? metric_delta(data, variations, sfnt_tag("hlgp")) : 0.0;
}

bool hvar_advance_delta(ByteView data, const FontVariations& variations, uint16_t glyph,
                        double& delta, uint64_t& work) {
  delta = 0.0;
  if (!variations.hvar_store.present)
    return false;
  if (variations.at_default)
    return true;
  uint32_t outer = 0;
  uint32_t inner = glyph;
  if (variations.hvar_advance_map != 0 &&
      !delta_set_index(data, variations.hvar_advance_map, variations.hvar_store.table_end, glyph,
                       outer, inner))
    return true;
  item_variation_delta(data, variations.hvar_store, outer, inner, variations.coordinates.data,
                       static_cast<uint32_t>(variations.axes.size), delta, work);
  delta = round_half_up(delta);
  return true;
}
