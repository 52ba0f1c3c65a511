#include "font/raster/crossing_sort.h"

namespace {

// Moves per element insertion sort may spend before heapsort takes over.
constexpr size_t kInsertionMovesPerElement = 8;

template <class Key> void swap(Key& a, Key& b) {
  const Key held = a;
  a = b;
  b = held;
}

// False when the move budget ran out; the array is then a permutation of the input.
template <class Key> bool insertion_sort(Key* crossings, size_t count) {
  size_t budget = kInsertionMovesPerElement * count;
  for (size_t i = 1; i < count; ++i) {
    const size_t moved = insert_in_order(crossings, i);
    if (moved > budget)
      return false;
    budget -= moved;
  }
  return true;
}

template <class Key> void sift_down(Key* heap, size_t root, size_t count) {
  for (;;) {
    size_t largest = root;
    const size_t left = 2 * root + 1;
    const size_t right = left + 1;
    if (left < count && heap[left] > heap[largest])
      largest = left;
    if (right < count && heap[right] > heap[largest])
      largest = right;
    if (largest == root)
      return;
    swap(heap[root], heap[largest]);
    root = largest;
  }
}

template <class Key> void heap_sort(Key* crossings, size_t count) {
  for (size_t root = count / 2; root > 0; --root)
    sift_down(crossings, root - 1, count);
  for (size_t end = count; end > 1; --end) {
    swap(crossings[0], crossings[end - 1]);
    sift_down(crossings, 0, end - 1);
  }
}

template <class Key> void sort_with_fallback(Key* crossings, size_t count) {
  if (!insertion_sort(crossings, count))
    heap_sort(crossings, count);
}

} // namespace

void sort_many_crossings(uint32_t* crossings, size_t count) {
  sort_with_fallback(crossings, count);
}

void sort_many_crossings(uint64_t* crossings, size_t count) {
  sort_with_fallback(crossings, count);
}
