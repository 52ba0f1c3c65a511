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
void sort_crossings(RowCrossing* crossings, size_t count);
