#include <gtest/gtest.h>

#include <vector>

#include "containers/string.h"
#include "containers/unordered_map.h"
#include "containers/vector.h"
#include "unit/containers/probe.h"

namespace {

using GlyphIndexCache = dv::unordered_map<unsigned int, unsigned short>;
using Charstrings = dv::unordered_map<dv::string, dv::vector<unsigned char>>;
constexpr unsigned long kNpos = ~0UL;

// Walks the chain of `bucket` and returns the entry indices in chain order.
template <class Map> std::vector<unsigned long> chain(const Map& map, unsigned long bucket) {
  std::vector<unsigned long> indices;
  for (unsigned long i = map.buckets.data[bucket]; i != Map::npos; i = map.next.data[i]) {
    indices.push_back(i);
  }
  return indices;
}

// Keys whose hashes fall into bucket 0 of a table with `bucket_count` buckets.
std::vector<unsigned int> keys_in_bucket_zero(unsigned long bucket_count, size_t wanted) {
  std::vector<unsigned int> keys;
  for (unsigned int key = 0; keys.size() < wanted; ++key) {
    if ((dv::hash<unsigned int>()(key) & (bucket_count - 1)) == 0) {
      keys.push_back(key);
    }
  }
  return keys;
}

TEST(MapBuckets, NoBucketsBeforeTheFirstInsertion) {
  GlyphIndexCache map;
  EXPECT_EQ(map.buckets.size, 0u);
  EXPECT_EQ(map.buckets.data, nullptr);
  EXPECT_EQ(map.find_index(65), kNpos);
  EXPECT_EQ(map.find(65), map.end());
  EXPECT_EQ(map.entries.data, nullptr);
  EXPECT_EQ(GlyphIndexCache::npos, kNpos);
  EXPECT_EQ(Charstrings::npos, kNpos);
}

TEST(MapBuckets, CountForSizeIsAPowerOfTwoFromEight) {
  const unsigned long cases[][2] = {{0, 8},   {1, 8},   {8, 8},    {9, 16},
                                    {16, 16}, {17, 32}, {100, 128}};
  for (const auto& c : cases) {
    EXPECT_EQ(GlyphIndexCache::bucket_count_for_size(c[0]), c[1]) << c[0];
  }
}

TEST(MapBuckets, GrowAtTheSeventhAndThirteenthKey) {
  GlyphIndexCache map;
  for (unsigned int n = 1; n <= 25; ++n) {
    map[n * 7919u] = static_cast<unsigned short>(n);
    unsigned long expected = n <= 6 ? 8 : n <= 12 ? 16 : n <= 24 ? 32 : 64;
    EXPECT_EQ(map.buckets.size, expected) << "after key " << n;
    EXPECT_EQ(map.next.size, n);
    for (unsigned int k = 1; k <= n; ++k) {
      ASSERT_EQ(map.find_index(k * 7919u), k - 1) << "key " << k << " after " << n;
    }
  }
}

TEST(MapInsert, NewKeyGetsAZeroValueAndKeepsInsertionOrder) {
  GlyphIndexCache map;
  EXPECT_EQ(map[300], 0);
  map[100] = 7;
  map[300] = 9;
  EXPECT_EQ(map[100], 7);
  ASSERT_EQ(map.entries.size, 2u);
  EXPECT_EQ(map.entries.data[0].first, 300u);
  EXPECT_EQ(map.entries.data[0].second, 9);
  EXPECT_EQ(map.entries.data[1].first, 100u);
  EXPECT_EQ(map.find(100), map.entries.data + 1);
  EXPECT_EQ(map.find(200), map.end());
}

TEST(MapInsert, EmplaceKeepsAnExistingValue) {
  GlyphIndexCache map;
  auto first = map.emplace(5u, 1);
  EXPECT_TRUE(first.second);
  auto again = map.emplace(5u, 2);
  EXPECT_FALSE(again.second);
  EXPECT_EQ(again.first, first.first);
  EXPECT_EQ(again.first->second, 1);
}

TEST(MapChains, ListTheNewestEntryFirst) {
  std::vector<unsigned int> keys = keys_in_bucket_zero(8, 3);
  GlyphIndexCache map;
  for (unsigned int key : keys) {
    map[key] = 1;
  }
  ASSERT_EQ(map.buckets.size, 8u);
  EXPECT_EQ(chain(map, 0), (std::vector<unsigned long>{2, 1, 0}));
}

TEST(MapChains, RehashLinksTheHighestIndexFirst) {
  std::vector<unsigned int> shared = keys_in_bucket_zero(16, 3);
  GlyphIndexCache map;
  map[shared[0]] = 1;
  for (unsigned int key = 1'000'000; map.entries.size < 5; ++key) {
    map[key] = 2;
  }
  map[shared[1]] = 3; // index 5: still 8 buckets
  map[shared[2]] = 4; // index 6: the table grows to 16 first
  ASSERT_EQ(map.buckets.size, 16u);
  EXPECT_EQ(chain(map, 0), (std::vector<unsigned long>{6, 5, 0}));
}

TEST(MapReserve, InsertingTheReservedCountNeverMovesEntries) {
  for (unsigned long reserved : {1ul, 8ul, 9ul, 100ul}) {
    Charstrings map;
    map.reserve(reserved);
    EXPECT_EQ(map.entries.capacity, reserved);
    EXPECT_EQ(map.next.capacity, reserved);
    auto* storage = map.entries.data;
    unsigned long buckets_after_reserve = map.buckets.size;
    for (unsigned long i = 0; i < reserved; ++i) {
      dv::string name;
      name.push_back(static_cast<char>('a' + i % 26));
      name.push_back(static_cast<char>('a' + i / 26));
      map[name].push_back(static_cast<unsigned char>(i));
      ASSERT_EQ(map.entries.data, storage) << reserved << " at " << i;
    }
    if (reserved > 8) {
      EXPECT_EQ(map.buckets.size, buckets_after_reserve);
    }
    EXPECT_EQ(map.entries.size, reserved);
    EXPECT_EQ(map.find("aa")->second.data[0], 0);
  }
}

// A glyph cache filled one new entry per render: each reservation keeps the entries in
// place for what it asked, and the entries move only when the room doubles.
TEST(MapReserve, GrowingReservationsMoveEntriesOnlyWhenTheRoomDoubles) {
  GlyphIndexCache map;
  int moves = 0;
  for (unsigned int key = 0; key < 1000; ++key) {
    const auto* before = map.entries.data;
    map.reserve_growing(map.count() + 1);
    moves += map.entries.data != before;
    ASSERT_GE(map.entries.capacity, map.count() + 1);
    ASSERT_EQ(map.next.capacity, map.entries.capacity);
    const auto* reserved = map.entries.data;
    map[key] = static_cast<unsigned short>(key);
    ASSERT_EQ(map.entries.data, reserved) << key;
  }
  EXPECT_EQ(moves, 11); // room 1, 2, 4, ..., 512, 1024
  EXPECT_EQ(map.entries.capacity, 1024u);
  for (unsigned int key = 0; key < 1000; ++key) {
    ASSERT_EQ(map.find(key)->second, key);
  }
}

TEST(MapReserve, GrowingReservationBeyondTwiceTheRoomTakesExactlyTheCount) {
  GlyphIndexCache map;
  map.reserve_growing(5);
  EXPECT_EQ(map.entries.capacity, 5u);
  map.reserve_growing(6);
  EXPECT_EQ(map.entries.capacity, 10u);
  map.reserve_growing(25);
  EXPECT_EQ(map.entries.capacity, 25u);
  EXPECT_EQ(map.buckets.size, 64u); // bucket_count_for_size(50), as reserve(25) gives
  map.reserve_growing(25);
  EXPECT_EQ(map.entries.capacity, 25u);
}

TEST(MapReserve, SmallReserveOnAnEmptyMapAddsNoBuckets) {
  GlyphIndexCache map;
  map.reserve(8);
  EXPECT_EQ(map.buckets.size, 0u);
  map.reserve(9);
  EXPECT_EQ(map.buckets.size, 32u); // bucket_count_for_size(18)
}

TEST(MapClear, KeepsStorageAndStartsOverWithEightBuckets) {
  GlyphIndexCache map;
  for (unsigned int key = 0; key < 20; ++key) {
    map[key] = 1;
  }
  ASSERT_EQ(map.buckets.size, 32u);
  auto* entries = map.entries.data;
  unsigned long* buckets = map.buckets.data;
  map.clear();
  EXPECT_EQ(map.entries.size, 0u);
  EXPECT_EQ(map.buckets.size, 0u);
  EXPECT_EQ(map.next.size, 0u);
  EXPECT_EQ(map.entries.data, entries);
  EXPECT_EQ(map.buckets.capacity, 32u);
  EXPECT_EQ(map.find(3), map.end());

  map[3] = 2;
  EXPECT_EQ(map.buckets.size, 8u);
  EXPECT_EQ(map.buckets.data, buckets);
  EXPECT_EQ(map.find_index(3), 0u);
  EXPECT_EQ(map.find_index(4), kNpos);
}

TEST(MapStringKeys, FindByBytes) {
  Charstrings map;
  map["A"].push_back(1);
  map[dv::string("Aacute")].push_back(2);
  map[dv::string()].push_back(3);
  EXPECT_EQ(map.find("Aacute")->second.data[0], 2);
  EXPECT_EQ(map.find("")->second.data[0], 3);
  EXPECT_EQ(map.find("Aac"), map.end());
  EXPECT_EQ(map["A"].size, 1u);
  EXPECT_EQ(map.entries.size, 3u);
}

TEST(MapOwningValues, EachValueIsDestroyedOnce) {
  ProbeScope scope;
  {
    dv::unordered_map<unsigned int, Probe> map;
    for (unsigned int key = 0; key < 30; ++key) {
      *map[key].value = static_cast<int>(key);
    }
    EXPECT_EQ(Probe::counts.copied, 0);
    EXPECT_EQ(Probe::counts.live(), 30);
    for (unsigned int key = 0; key < 30; ++key) {
      ASSERT_EQ(map.find(key)->second.get(), static_cast<int>(key));
    }
    map.clear();
    EXPECT_EQ(Probe::counts.live(), 0);
    map[1];
  }
}

} // namespace
