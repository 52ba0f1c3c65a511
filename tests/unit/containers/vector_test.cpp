#include <gtest/gtest.h>

#include <vector>

#include "containers/vector.h"
#include "unit/containers/probe.h"

Probe::Counts Probe::counts;

namespace {

using Bytes = dv::vector<unsigned char>;

Bytes bytes_of(std::vector<unsigned char> values) {
  return Bytes(values.data(), values.data() + values.size());
}

std::vector<unsigned char> contents(const Bytes& bytes) {
  return std::vector<unsigned char>(bytes.begin(), bytes.end());
}

TEST(VectorStorage, DefaultVectorOwnsNothingUntilAskedForRoom) {
  dv::vector<unsigned int> v;
  EXPECT_EQ(v.data, nullptr);
  EXPECT_EQ(v.size, 0u);
  EXPECT_EQ(v.capacity, 0u);
  v.reserve(0);
  v.resize(0);
  EXPECT_EQ(v.data, nullptr);
  EXPECT_EQ(v.capacity, 0u);
}

TEST(VectorStorage, AllocateGivesNullForNothing) {
  EXPECT_EQ(dv::detail::vector_allocate<double>(0), nullptr);
  double* block = dv::detail::vector_allocate<double>(3);
  ASSERT_NE(block, nullptr);
  block[2] = 1.5; // ASan: the block holds three doubles
  ::operator delete(block);
}

TEST(VectorStorage, AppendingDoublesCapacityFromFour) {
  dv::vector<unsigned long> v;
  const size_t expected[] = {4, 4, 4, 4, 8, 8, 8, 8, 16, 16, 16, 16, 16, 16, 16, 16, 32};
  for (size_t i = 0; i < sizeof expected / sizeof expected[0]; ++i) {
    v.push_back(i * 3);
    EXPECT_EQ(v.capacity, expected[i]) << "after append " << i + 1;
  }
  for (size_t i = 0; i < v.size; ++i) {
    EXPECT_EQ(v[i], i * 3);
  }
}

TEST(VectorStorage, ReserveAndResizeAllocateExactlyWhatIsAsked) {
  dv::vector<short> v;
  v.reserve(5);
  EXPECT_EQ(v.capacity, 5u);
  EXPECT_EQ(v.size, 0u);
  v.resize(7);
  EXPECT_EQ(v.capacity, 7u);
  EXPECT_EQ(v.size, 7u);
  short* storage = v.data;
  v.reserve(6);
  v.resize(3);
  EXPECT_EQ(v.data, storage);
  EXPECT_EQ(v.capacity, 7u);
  EXPECT_EQ(v.size, 3u);
  v.resize(11, 9);
  EXPECT_EQ(v.capacity, 11u);
}

TEST(VectorStorage, ResizeValueInitialisesReusedSlots) {
  dv::vector<unsigned short> v(4);
  for (auto& element : v) {
    element = 0xbeef;
  }
  v.resize(1);
  v.resize(4);
  EXPECT_EQ(v[0], 0xbeef);
  EXPECT_EQ(v[1], 0);
  EXPECT_EQ(v[3], 0);
  v.resize(6, 7);
  EXPECT_EQ(v[4], 7);
  EXPECT_EQ(v[5], 7);
}

TEST(VectorInsert, RangeGrowthDoublesTheCapacity) {
  struct Case {
    size_t reserved, filled, inserted, capacity;
  } cases[] = {
      {0, 0, 10, 16}, // from 4: 4, 8, 16
      {0, 0, 3, 4},   // the first allocation is 4
      {5, 5, 3, 10},  // doubles the capacity 5, not the size
      {6, 2, 4, 6},   // fits: no allocation
      {6, 2, 30, 48}, // 6, 12, 24, 48
  };
  const unsigned char source[32] = {};
  for (const Case& c : cases) {
    Bytes v;
    v.reserve(c.reserved);
    v.resize(c.filled);
    v.insert(v.data, source, source + c.inserted);
    EXPECT_EQ(v.capacity, c.capacity) << c.reserved << "/" << c.filled << "+" << c.inserted;
    EXPECT_EQ(v.size, c.filled + c.inserted);
  }
}

TEST(VectorInsert, KeepsOrderAndReturnsTheFirstInsertedElement) {
  Bytes v = bytes_of({1, 2, 3, 4});
  const unsigned char middle[] = {7, 8, 9};
  unsigned char* inserted = v.insert(v.data + 2, middle, middle + 3);
  EXPECT_EQ(inserted, v.data + 2);
  EXPECT_EQ(contents(v), (std::vector<unsigned char>{1, 2, 7, 8, 9, 3, 4}));
  inserted = v.insert(v.end(), middle, middle + 1);
  EXPECT_EQ(inserted, v.data + 7);
  EXPECT_EQ(contents(v), (std::vector<unsigned char>{1, 2, 7, 8, 9, 3, 4, 7}));
}

TEST(VectorInsert, EmptyRange) {
  Bytes never_allocated;
  const unsigned char byte = 1;
  EXPECT_EQ(never_allocated.insert(never_allocated.data, &byte, &byte), nullptr);
  EXPECT_EQ(never_allocated.data, nullptr);
  EXPECT_EQ(never_allocated.capacity, 0u);

  Bytes v = bytes_of({1, 2, 3});
  EXPECT_EQ(v.insert(v.data + 1, &byte, &byte), v.data + 1);
  EXPECT_EQ(v.size, 3u);
}

TEST(VectorInsert, RangeFromTheVectorItselfSurvivesReallocation) {
  Bytes v = bytes_of({1, 2, 3, 4});
  ASSERT_EQ(v.capacity, 4u);
  v.insert(v.data + 1, v.data, v.data + 4);
  EXPECT_EQ(contents(v), (std::vector<unsigned char>{1, 1, 2, 3, 4, 2, 3, 4}));
  v.assign(v.data + 2, v.data + 5);
  EXPECT_EQ(contents(v), (std::vector<unsigned char>{2, 3, 4}));
}

TEST(VectorEmplaceAt, InsertsBeforePositionAndGrowsByOne) {
  dv::vector<bool> flags;
  bool* stored = flags.emplace_at(flags.data, true);
  EXPECT_EQ(stored, flags.data);
  EXPECT_EQ(flags.capacity, 4u);
  flags.emplace_back(false);
  flags.emplace_back(false);
  flags.emplace_back(true);
  stored = flags.emplace_at(flags.data + 2, true);
  EXPECT_EQ(flags.capacity, 8u);
  EXPECT_EQ(stored, flags.data + 2);
  const bool expected[] = {true, false, true, false, true};
  ASSERT_EQ(flags.size, 5u);
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(flags[i], expected[i]) << i;
  }
  stored = flags.emplace_at(flags.end(), false);
  EXPECT_EQ(stored, flags.data + 5);
}

TEST(VectorEmplaceAt, ValueTakenFromTheVectorItself) {
  dv::vector<unsigned int> v;
  for (unsigned int i = 1; i <= 4; ++i) {
    v.push_back(i);
  }
  v.emplace_at(v.data, v[3]);
  v.push_back(v[0]);
  ASSERT_EQ(v.size, 6u);
  EXPECT_EQ(v[0], 4u);
  EXPECT_EQ(v[1], 1u);
  EXPECT_EQ(v[5], 4u);
}

TEST(VectorErase, RemovesTheRangeAndReturnsItsStart) {
  Bytes v = bytes_of({1, 2, 3, 4, 5, 6});
  unsigned char* next = v.erase(v.data + 1, v.data + 3);
  EXPECT_EQ(next, v.data + 1);
  EXPECT_EQ(contents(v), (std::vector<unsigned char>{1, 4, 5, 6}));
  next = v.erase(v.data + 2, v.end());
  EXPECT_EQ(next, v.data + 2);
  EXPECT_EQ(contents(v), (std::vector<unsigned char>{1, 4}));
  EXPECT_EQ(v.capacity, 8u);
}

TEST(VectorErase, EmptyOrBackwardRangeChangesNothing) {
  Bytes v = bytes_of({1, 2, 3});
  EXPECT_EQ(v.erase(v.data + 1, v.data + 1), v.data + 1);
  EXPECT_EQ(v.erase(v.data + 2, v.data + 1), v.data + 2);
  EXPECT_EQ(contents(v), (std::vector<unsigned char>{1, 2, 3}));
  Bytes empty;
  EXPECT_EQ(empty.erase(nullptr, nullptr), nullptr);
}

TEST(VectorErase, RangePastTheEndStopsAtTheEnd) {
  Bytes v = bytes_of({1, 2, 3});
  v.reserve(16);
  EXPECT_EQ(v.erase(v.data + 1, v.data + 9), v.data + 1);
  EXPECT_EQ(contents(v), (std::vector<unsigned char>{1}));
}

TEST(VectorAssign, ReplacesTheContents) {
  dv::vector<unsigned long> v(3, 5);
  v.assign(2, 9);
  ASSERT_EQ(v.size, 2u);
  EXPECT_EQ(v[0], 9u);
  EXPECT_EQ(v.capacity, 3u);
  v.assign(4, v[1]);
  ASSERT_EQ(v.size, 4u);
  EXPECT_EQ(v[3], 9u);
  EXPECT_EQ(v.capacity, 4u);
}

TEST(VectorCopyMove, CopyReservesTheSourceSize) {
  Bytes source = bytes_of({1, 2, 3, 4, 5});
  Bytes copy(source);
  EXPECT_EQ(copy.capacity, 5u);
  EXPECT_NE(copy.data, source.data);
  EXPECT_EQ(contents(copy), contents(source));

  Bytes target = bytes_of({9});
  target = source;
  EXPECT_EQ(contents(target), contents(source));
  target = static_cast<const Bytes&>(target);
  EXPECT_EQ(contents(target), contents(source));
}

TEST(VectorCopyMove, MovedFromVectorIsZeroedAndReusable) {
  Bytes source = bytes_of({1, 2, 3});
  unsigned char* storage = source.data;
  Bytes moved(static_cast<Bytes&&>(source));
  EXPECT_EQ(moved.data, storage);
  EXPECT_EQ(moved.size, 3u);
  EXPECT_EQ(source.data, nullptr);
  EXPECT_EQ(source.size, 0u);
  EXPECT_EQ(source.capacity, 0u);

  Bytes target = bytes_of({7, 7});
  target = static_cast<Bytes&&>(moved);
  EXPECT_EQ(target.data, storage);
  EXPECT_EQ(moved.data, nullptr);
  EXPECT_EQ(moved.size, 0u);
  EXPECT_EQ(moved.capacity, 0u);
  target = static_cast<Bytes&&>(target);
  EXPECT_EQ(target.data, storage);

  moved.push_back(4);
  EXPECT_EQ(contents(moved), (std::vector<unsigned char>{4}));
}

TEST(VectorOwningElements, GrowthMovesEachElementAndDestroysItOnce) {
  ProbeScope scope;
  {
    dv::vector<Probe> v;
    for (int i = 0; i < 5; ++i) {
      v.emplace_back(i);
    }
    // 5 built in place; growth from 4 to 8 moved the first 4 once.
    EXPECT_EQ(Probe::counts.constructed, 5);
    EXPECT_EQ(Probe::counts.copied, 0);
    EXPECT_EQ(Probe::counts.moved, 4);
    EXPECT_EQ(Probe::counts.destroyed, 4);
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(v[i].get(), i);
    }
    v.push_back(v[0]);
    EXPECT_EQ(v[5].get(), 0);
    v.emplace_at(v.data + 1, Probe(42));
    EXPECT_EQ(v[1].get(), 42);
    EXPECT_EQ(v[2].get(), 1);
    v.resize(2);
    EXPECT_EQ(Probe::counts.live(), 2);
    dv::vector<Probe> copy(v);
    EXPECT_EQ(copy[1].get(), 42);
    v = copy;
    v = static_cast<dv::vector<Probe>&&>(copy);
    EXPECT_EQ(Probe::counts.live(), 2);
  }
}

TEST(VectorOwningElements, InsertShiftsOwningElements) {
  ProbeScope scope;
  dv::vector<Probe> v;
  for (int i = 0; i < 3; ++i) {
    v.emplace_back(i);
  }
  const Probe extra[] = {Probe(10), Probe(11)};
  v.insert(v.data + 1, extra, extra + 2);
  const int expected[] = {0, 10, 11, 1, 2};
  ASSERT_EQ(v.size, 5u);
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(v[i].get(), expected[i]);
  }
  v.clear();
  EXPECT_EQ(Probe::counts.live(), 2); // only `extra`
  EXPECT_EQ(v.capacity, 8u);
}

TEST(VectorOwningElements, MoveAssignmentReleasesTheOldElements) {
  ProbeScope scope;
  dv::vector<Probe> target(3);
  dv::vector<Probe> source(2);
  target = static_cast<dv::vector<Probe>&&>(source);
  EXPECT_EQ(Probe::counts.live(), 2);
  EXPECT_EQ(target.size, 2u);
}

TEST(VectorOwningElements, NestedVectors) {
  dv::vector<dv::vector<unsigned char>> subroutines;
  subroutines.reserve(2);
  subroutines.resize(3);
  EXPECT_EQ(subroutines.capacity, 3u);
  subroutines[1].push_back(7);
  subroutines.emplace_back();
  subroutines.back().push_back(8);
  EXPECT_EQ(subroutines.capacity, 6u);
  EXPECT_EQ(subroutines[1][0], 7);
  EXPECT_EQ(subroutines[3][0], 8);
  EXPECT_EQ(subroutines[0].data, nullptr);
  subroutines.clear();
  EXPECT_EQ(subroutines.size, 0u);
}

} // namespace

// An element whose copy fails on demand, as a copy that allocates may fail inside the
// font functions: a vector must then still own exactly the elements it built.
struct CopyFailed {};
struct Fragile {
  static int live;
  static int copies_until_failure; // negative: never fails
  int value;

  explicit Fragile(int v) : value(v) { ++live; }
  Fragile(const Fragile& other) : value(other.value) {
    if (copies_until_failure-- == 0) {
      throw CopyFailed{};
    }
    ++live;
  }
  Fragile(Fragile&& other) : value(other.value) { ++live; }
  ~Fragile() { --live; }
};
int Fragile::live = 0;
int Fragile::copies_until_failure = -1;

std::vector<int> values(const dv::vector<Fragile>& v) {
  std::vector<int> out;
  for (const Fragile& f : v) {
    out.push_back(f.value);
  }
  return out;
}

TEST(VectorFailedCopy, GrowthAndMiddleInsertsChangeNothingAppendsKeepWhatWasBuilt) {
  Fragile::live = 0;
  {
    dv::vector<Fragile> v;
    for (int i = 0; i < 4; ++i) {
      v.emplace_back(i);
    }
    const Fragile* storage = v.data;
    const Fragile extra[] = {Fragile(10), Fragile(11)};
    const int before = Fragile::live;

    Fragile::copies_until_failure = 2; // the third copy of the source fails
    EXPECT_THROW(dv::vector<Fragile>{v}, CopyFailed);
    EXPECT_EQ(Fragile::live, before);

    Fragile::copies_until_failure = 0; // growth by one: the new element fails
    EXPECT_THROW(v.push_back(extra[0]), CopyFailed);
    Fragile::copies_until_failure = 1; // a range into the middle: its second copy fails
    EXPECT_THROW(v.insert(v.data + 1, extra, extra + 2), CopyFailed);
    Fragile::copies_until_failure = 1; // a range at the end
    EXPECT_THROW(v.insert(v.end(), extra, extra + 2), CopyFailed);
    Fragile::copies_until_failure = -1;

    EXPECT_EQ(values(v), (std::vector<int>{0, 1, 2, 3, 10}));
    EXPECT_NE(v.data, storage); // the last insert grew the storage before its copies
    EXPECT_EQ(Fragile::live, before + 1);
  }
  EXPECT_EQ(Fragile::live, 0);
}
