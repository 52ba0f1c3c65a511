#include "font/sfnt/item_variation_store.h"

#include "font/sfnt/sfnt.h"

namespace {

// A read of `count` bytes at `at` that stays inside the table and the data.
bool inside(ByteView data, uint64_t table_end, uint64_t at, uint64_t count) {
  return has_bytes(data, at, count) && at + count <= table_end;
}

double f2dot14_at(ByteView data, uint64_t at) {
  return read_i16_be(data, at) / 16384.0;
}

// The weight of region `region` of the region list at absolute `list`.
bool region_weight(ByteView data, uint64_t table_end, uint64_t list, uint16_t region,
                   const double* coordinates, uint32_t axis_count, double& weight) {
  if (!inside(data, table_end, list, 4))
    return false;
  const uint16_t axes = read_u16_be(data, list);
  const uint16_t regions = read_u16_be(data, list + 2);
  if (region >= regions || axes != axis_count)
    return false;
  const uint64_t first = list + 4 + uint64_t{region} * axes * 6;
  if (!inside(data, table_end, first, uint64_t{axes} * 6))
    return false;
  weight = 1.0;
  for (uint32_t axis = 0; axis < axes && weight != 0.0; ++axis) {
    const uint64_t at = first + 6 * uint64_t{axis};
    weight *= region_scalar(f2dot14_at(data, at), f2dot14_at(data, at + 2),
                            f2dot14_at(data, at + 4), coordinates[axis]);
  }
  return true;
}

// The absolute offset of item variation data `outer`, proven to hold its 6-byte header.
bool item_data_at(ByteView data, const ItemVariationStore& store, uint32_t outer, uint64_t& set) {
  const uint64_t end = store.table_end;
  if (!store.present || !inside(data, end, store.offset, 8))
    return false;
  const uint16_t data_count = read_u16_be(data, store.offset + 6);
  if (outer >= data_count || !inside(data, end, store.offset + 8 + 4 * uint64_t{outer}, 4))
    return false;
  set = store.offset + read_u32_be(data, store.offset + 8 + 4 * uint64_t{outer});
  return inside(data, end, set, 6);
}

} // namespace

bool item_data_region_count(ByteView data, const ItemVariationStore& store, uint32_t outer,
                            uint16_t& count) {
  uint64_t set = 0;
  if (!item_data_at(data, store, outer, set))
    return false;
  count = read_u16_be(data, set + 4);
  return true;
}

bool item_data_region_weights(ByteView data, const ItemVariationStore& store, uint32_t outer,
                              const double* coordinates, uint32_t axis_count, double* weights,
                              uint16_t count, uint64_t& work) {
  uint64_t set = 0;
  if (!item_data_at(data, store, outer, set) || read_u16_be(data, set + 4) != count ||
      !inside(data, store.table_end, set + 6, 2 * uint64_t{count}))
    return false;
  const uint64_t list = store.offset + read_u32_be(data, store.offset + 2);
  work += count;
  for (uint16_t r = 0; r < count; ++r) {
    const uint16_t region = read_u16_be(data, set + 6 + 2 * uint64_t{r});
    if (!region_weight(data, store.table_end, list, region, coordinates, axis_count, weights[r]))
      return false;
  }
  return true;
}

bool item_store_fits_axes(ByteView data, const ItemVariationStore& store, uint32_t axis_count) {
  const uint64_t end = store.table_end;
  if (!store.present || !inside(data, end, store.offset, 8))
    return false;
  const uint64_t list = store.offset + read_u32_be(data, store.offset + 2);
  if (!inside(data, end, list, 4) || read_u16_be(data, list) != axis_count)
    return false;
  const uint64_t regions = read_u16_be(data, list + 2);
  return inside(data, end, list + 4, regions * axis_count * 6);
}

double region_scalar(double start, double peak, double end, double coordinate) {
  if (peak == 0.0 || start > peak || peak > end || (start < 0.0 && end > 0.0))
    return 1.0;
  if (coordinate == peak)
    return 1.0;
  if (coordinate <= start || coordinate >= end)
    return 0.0;
  return coordinate < peak ? (coordinate - start) / (peak - start)
                           : (end - coordinate) / (end - peak);
}

bool item_variation_delta(ByteView data, const ItemVariationStore& store, uint32_t outer,
                          uint32_t inner, const double* coordinates, uint32_t axis_count,
                          double& delta, uint64_t& work) {
  delta = 0.0;
  const uint64_t end = store.table_end;
  uint64_t set = 0;
  if (!item_data_at(data, store, outer, set))
    return false;
  const uint64_t list = store.offset + read_u32_be(data, store.offset + 2);
  const uint16_t items = read_u16_be(data, set);
  const uint16_t word_field = read_u16_be(data, set + 2);
  const uint16_t region_count = read_u16_be(data, set + 4);
  const bool long_words = (word_field & 0x8000) != 0;
  const uint32_t words = word_field & 0x7FFF;
  if (inner >= items || words > region_count)
    return false;
  const uint64_t word_size = long_words ? 4 : 2;
  const uint64_t row_size = words * word_size + (region_count - words) * (word_size / 2);
  const uint64_t regions = set + 6;
  const uint64_t row = regions + 2 * uint64_t{region_count} + row_size * inner;
  if (!inside(data, end, regions, 2 * uint64_t{region_count}) || !inside(data, end, row, row_size))
    return false;
  work += region_count;
  uint64_t at = row;
  for (uint32_t r = 0; r < region_count; ++r) {
    int32_t value = 0;
    const uint64_t size = r < words ? word_size : word_size / 2;
    if (size == 4)
      value = static_cast<int32_t>(read_u32_be(data, at));
    else if (size == 2)
      value = read_i16_be(data, at);
    else
      value = static_cast<int8_t>(data.data[at]);
    at += size;
    double weight = 0.0;
    if (!region_weight(data, end, list, read_u16_be(data, regions + 2 * uint64_t{r}), coordinates,
                       axis_count, weight))
      return false;
    delta += weight * value;
  }
  return true;
}

bool delta_set_index(ByteView data, uint64_t map, uint64_t table_end, uint32_t index,
                     uint32_t& outer, uint32_t& inner) {
  if (!inside(data, table_end, map, 2))
    return false;
  const uint8_t format = data.data[map];
  const uint8_t entry_format = data.data[map + 1];
  uint32_t count = 0;
  uint64_t entries = 0;
  if (format == 0 && inside(data, table_end, map + 2, 2)) {
    count = read_u16_be(data, map + 2);
    entries = map + 4;
  } else if (format == 1 && inside(data, table_end, map + 2, 4)) {
    count = read_u32_be(data, map + 2);
    entries = map + 6;
  } else {
    return false;
  }
  if (count == 0)
    return false;
  const uint32_t entry_size = ((entry_format >> 4) & 3u) + 1;
  const uint32_t inner_bits = (entry_format & 0xFu) + 1;
  const uint64_t at = entries + uint64_t{entry_size} * (index < count ? index : count - 1);
  if (!inside(data, table_end, at, entry_size))
    return false;
  uint32_t value = 0;
  for (uint32_t i = 0; i < entry_size; ++i)
    value = value << 8 | data.data[at + i];
  outer = value >> inner_bits;
  inner = value & ((1u << inner_bits) - 1);
  return true;
}
