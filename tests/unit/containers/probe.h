// An element type that owns heap storage and counts what happens to it, so the
// tests can prove that containers construct, move and destroy each object
// exactly once (ASan reports any leak or double release of the storage).
#pragma once

struct Probe {
  struct Counts {
    int constructed = 0;
    int copied = 0;
    int moved = 0;
    int destroyed = 0;
    int live() const { return constructed + copied + moved - destroyed; }
  };
  static Counts counts;

  int* value;

  Probe() : value(new int(0)) { ++counts.constructed; }
  explicit Probe(int v) : value(new int(v)) { ++counts.constructed; }
  Probe(const Probe& other) : value(new int(*other.value)) { ++counts.copied; }
  Probe(Probe&& other) : value(other.value) {
    other.value = nullptr;
    ++counts.moved;
  }
  Probe& operator=(const Probe& other) {
    *value = *other.value;
    return *this;
  }
  Probe& operator=(Probe&& other) {
    delete value;
    value = other.value;
    other.value = nullptr;
    return *this;
  }
  ~Probe() {
    delete value;
    ++counts.destroyed;
  }

  int get() const { return value ? *value : -1; }
};

// Resets the counters for one test and checks on exit that every object made
// during it was destroyed.
class ProbeScope {
public:
  ProbeScope() { Probe::counts = Probe::Counts(); }
  ~ProbeScope() { EXPECT_EQ(Probe::counts.live(), 0); }
};
