// Item variation stores (the store HVAR and MVAR share): sets of deltas, each weighted by
// how far the current instance lies inside the regions of the design space it names.
// Everything is read in place and checked at each read, so a store proven to start inside
// its table needs no check when loaded.
#pragma once
#include <stdint.h>

#include "containers/vector.h"
#include "font/font_bytes.h"

// `value` rounded to the nearest integer, halves up, within +-2^31 (hostile stores can sum
// to anything, and a font unit never needs more).
inline double round_half_up(double value) {
  if (!(value > -2147483648.0))
    return -2147483648.0;
  if (value >= 2147483647.0)
    return 2147483647.0;
  const double shifted = value + 0.5;
  const double truncated = static_cast<double>(static_cast<int64_t>(shifted));
  return truncated > shifted ? truncated - 1.0 : truncated;
}

// A store and the end of the table holding it, both absolute offsets into the font data.
struct ItemVariationStore {
  uint64_t offset = 0;
  uint64_t table_end = 0;
  bool present = false;
};

// The weight (0 to 1) of a region, one start/peak/end triple of F2Dot14 per axis, at the
// normalized coordinates: 1 on an axis whose peak is 0 or whose triple is inconsistent,
// 0 outside [start, end], rising linearly to 1 at the peak.
double region_scalar(double start, double peak, double end, double coordinate);

// The delta of item (`outer`, `inner`) at `coordinates` (one per axis, `axis_count` of
// them), in font units, unrounded. Reads it charges one work unit each to `work`. False
// when the item or what it refers to does not lie inside the table; the delta is then 0.
bool item_variation_delta(ByteView data, const ItemVariationStore& store, uint32_t outer,
                          uint32_t inner, const double* coordinates, uint32_t axis_count,
                          double& delta, uint64_t& work);

// The number of regions item variation data `outer` names; false when its header does
// not lie inside the table.
bool item_data_region_count(ByteView data, const ItemVariationStore& store, uint32_t outer,
                            uint16_t& count);

// The weight at `coordinates` of each region item variation data `outer` names, in its
// order, into `weights` (`count` of them, as item_data_region_count gives). Charges one
// work unit per region to `work`. False when the data or a region it names does not lie
// inside the table or the region list's axis count is not `axis_count`.
bool item_data_region_weights(ByteView data, const ItemVariationStore& store, uint32_t outer,
                              const double* coordinates, uint32_t axis_count, double* weights,
                              uint16_t count, uint64_t& work);

// Whether the store's header and region list lie inside the table and its regions have
// `axis_count` axes each.
bool item_store_fits_axes(ByteView data, const ItemVariationStore& store, uint32_t axis_count);

// The (outer, inner) pair a DeltaSetIndexMap at absolute offset `map` (up to `table_end`)
// gives item `index`; an index past the map's last entry uses that entry. False when the
// map does not fit in the table.
bool delta_set_index(ByteView data, uint64_t map, uint64_t table_end, uint32_t index,
                     uint32_t& outer, uint32_t& inner);
