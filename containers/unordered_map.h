// dv::unordered_map: an insertion-ordered hash map without per-entry nodes.
//
// `entries` holds the key/value pairs in insertion order; an entry is known by
// its index. `buckets` holds one chain head per bucket (a power of two, at
// least 8 once anything was inserted) and `next` links each entry to the next,
// older entry of its chain. New entries go to the head of their chain. The map
// keeps (entries + 1) <= 0.75 * buckets across an insertion by rehashing first.
// Entries are never removed one by one.
#pragma once
#include <stddef.h>

#include "containers/hash.h"
#include "containers/pair.h"
#include "containers/type_visibility.h"
#include "containers/utility.h"
#include "containers/vector.h"
#include "runtime/export.h"

namespace dv {

template <class K, class V, class H = hash<K>, class E = equal_to<K>>
struct DV_VISIBLE_TYPE unordered_map {
  using entry_type = pair<K, V>;

  DV_EXPORTED_DATA static constexpr unsigned long npos = ~0UL;

  vector<entry_type> entries;
  vector<unsigned long> buckets;
  vector<unsigned long> next;
  H hasher;
  E equal;

  // The smallest power of two that is at least `count`, and never below 8.
  static unsigned long bucket_count_for_size(unsigned long count) {
    unsigned long buckets_needed = 8;
    while (buckets_needed < count && buckets_needed < (1UL << 63)) {
      buckets_needed *= 2;
    }
    return buckets_needed;
  }

  unsigned long bucket_for_key(const K& key) const { return hasher(key) & (buckets.size - 1); }

  unsigned long find_index(const K& key) const {
    if (buckets.size == 0) {
      return npos;
    }
    for (unsigned long i = buckets.data[bucket_for_key(key)]; i != npos; i = next.data[i]) {
      if (equal(entries.data[i].first, key)) {
        return i;
      }
    }
    return npos;
  }

  entry_type* find(const K& key) {
    unsigned long index = find_index(key);
    return index == npos ? end() : entries.data + index;
  }

  const entry_type* find(const K& key) const {
    unsigned long index = find_index(key);
    return index == npos ? end() : entries.data + index;
  }

  // Rehashes before an entry is appended when the table would pass 3/4 full.
  void prepare_insert() {
    unsigned long count = entries.size;
    if (buckets.size == 0 || 4 * count + 4 > 3 * buckets.size) {
      rehash(2 * count + 2);
    }
  }

  // Both arrays get their room before either changes, so a failed allocation leaves the
  // map as it was.
  void rehash(unsigned long hint) {
    unsigned long count = entries.size;
    unsigned long base = count < 4 ? 8 : 2 * count;
    unsigned long bucket_count = bucket_count_for_size(base > hint ? base : hint);
    buckets.reserve(bucket_count);
    next.reserve(count);
    buckets.assign(bucket_count, npos);
    next.assign(count, npos);
    rebuild_buckets();
  }

  void rebuild_buckets() {
    for (unsigned long& head : buckets) {
      head = npos;
    }
    for (unsigned long i = 0; i < entries.size; ++i) {
      link_index(i);
    }
  }

  void link_index(unsigned long index) {
    unsigned long bucket = bucket_for_key(entries.data[index].first);
    next.data[index] = buckets.data[bucket];
    buckets.data[bucket] = index;
  }

  // The entry with `key`; when there is none, a new entry holding `value`.
  // The bool tells whether the entry was inserted.
  template <class KeyArg> pair<entry_type*, bool> emplace(KeyArg&& key, V value) {
    unsigned long index = find_index(key);
    if (index != npos) {
      return pair<entry_type*, bool>(entries.data + index, false);
    }
    // The link's room first: once the entry is in, nothing can fail.
    prepare_insert();
    next.reserve_one_more();
    entries.emplace_back(dv::forward<KeyArg>(key), dv::move(value));
    next.emplace_back(npos);
    link_index(entries.size - 1);
    return pair<entry_type*, bool>(entries.data + entries.size - 1, true);
  }

  V& operator[](const K& key) { return emplace(key, V()).first->second; }
  V& operator[](K&& key) { return emplace(dv::move(key), V()).first->second; }

  // Makes room for `count` entries: the entries stay in place while that many
  // are inserted.
  void reserve(unsigned long count) { reserve_room(count, count); }

  // The same guarantee, but when the entries must move the room at least doubles, so a
  // map filled a few entries per reservation moves each entry a bounded number of times
  // in all (amortised constant work per entry) instead of once per reservation.
  void reserve_growing(unsigned long count) {
    const unsigned long doubled = 2 * entries.capacity;
    reserve_room(count > entries.capacity && doubled > count ? doubled : count, count);
  }

  // Room for `room` entries, with buckets for `count` of them.
  void reserve_room(unsigned long room, unsigned long count) {
    entries.reserve(room);
    next.reserve(room);
    if (bucket_count_for_size(buckets.size) < count) {
      rehash(2 * count);
    }
  }

  // Drops every entry and keeps the storage; the next insertion starts over
  // with fresh buckets.
  void clear() {
    entries.clear();
    buckets.resize(0);
    next.resize(0);
  }

  unsigned long count() const { return entries.size; }
  bool empty() const { return entries.size == 0; }
  entry_type* begin() { return entries.data; }
  entry_type* end() { return entries.data + entries.size; }
  const entry_type* begin() const { return entries.data; }
  const entry_type* end() const { return entries.data + entries.size; }
};

} // namespace dv
