// Ordering the crossings of one sample row by position.
#pragma once
#include <stddef.h>
#include <stdint.h>

// An edge crossing the current sample row. `key` orders crossings left to right; the
// rasterizer packs the crossing's sample column and winding into it.
struct RowCrossing {
  uint32_t key;
  int32_t edge;
};

// Sorts by ascending key. Rows change little from one to the next, so the previous row's
// order is nearly right and insertion sort finishes in about n steps; when an order moves
// much more than that (crossing edges in hostile outlines) it falls back to heapsort, so
// no row costs more than n log n.
void sort_many_crossings(RowCrossing* crossings, size_t count);

// Moves crossings[i] left into its place among the sorted crossings[0..i); returns how far.
inline size_t insert_in_order(RowCrossing* crossings, size_t i) {
  const RowCrossing moving = crossings[i];
  size_t at = i;
  while (at > 0 && crossings[at - 1].key > moving.key) {
    crossings[at] = crossings[at - 1];
    --at;
  }
  crossings[at] = moving;
  return i - at;
}

// Sorts by ascending key. Up to kFewCrossings (every row of a small glyph) insertion sort
// needs at most n (n - 1) / 2 moves, fewer than the 8 per crossing sort_many_crossings
// allows before heapsort, so the result is the same and it runs inline here.
constexpr size_t kFewCrossings = 8;

inline void sort_crossings(RowCrossing* crossings, size_t count) {
  if (count > kFewCrossings) {
    sort_many_crossings(crossings, count);
    return;
  }
  for (size_t i = 1; i < count; ++i)
    insert_in_order(crossings, i);
}
