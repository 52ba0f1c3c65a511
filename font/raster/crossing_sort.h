// Ordering the crossings of one sample row by position.
#pragma once
#include <stddef.h>
#include <stdint.h>

// A crossing is an unsigned key whose order is its position left to right: the rasterizer
// packs the crossing's sample column and winding into the key's high bits (the low 32
// bits of a 64-bit key may name the edge).

// Sorts by ascending key. Rows change little from one to the next and the rasterizer
// lists each row's crossings in the previous row's order, so insertion sort finishes in
// about n steps; when an order moves much more than that (crossing edges in hostile
// outlines) it falls back to heapsort, so no row costs more than n log n.
void sort_many_crossings(uint32_t* crossings, size_t count);
void sort_many_crossings(uint64_t* crossings, size_t count);

// Moves crossings[i] left into its place among the sorted crossings[0..i); returns how far.
template <class Key> size_t insert_in_order(Key* crossings, size_t i) {
  const Key moving = crossings[i];
  size_t at = i;
  while (at > 0 && crossings[at - 1] > moving) {
    crossings[at] = crossings[at - 1];
    --at;
  }
  crossings[at] = moving;
  return i - at;
}

// Sorts by ascending key. Up to kFewCrossings (every row of a small glyph) insertion sort
// needs at most n (n - 1) / 2 moves, fewer than the 8 per crossing sort_many_crossings
// allows before heapsort, so the result is the same and it runs inline here; a row of
// two crossings (the commonest) is one comparison.
constexpr size_t kFewCrossings = 8;

template <class Key> void sort_crossings(Key* crossings, size_t count) {
  if (count == 2) {
    if (crossings[0] > crossings[1]) {
      const Key held = crossings[0];
      crossings[0] = crossings[1];
      crossings[1] = held;
    }
    return;
  }
  if (count > kFewCrossings) {
    sort_many_crossings(crossings, count);
    return;
  }
  for (size_t i = 1; i < count; ++i)
    insert_in_order(crossings, i);
}
