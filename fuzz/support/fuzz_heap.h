// The heap the fuzzers give the library. Inside an allocation scope (abi/allocation_scope.h)
// every operator new of the harness goes the library's own way, dv::operator_new ->
// dv::malloc -> the program API table's allocate slot, to a small host heap that refuses
// requests: past a byte budget per input, and at a request number the input picks. A refused
// request makes operator_new throw AllocationFailure as in the artifact, so exhaustion, the
// null results and the unwinding through the library are fuzzed along with the bytes.
//
// The host heap is the system allocator (so the sanitizers keep watching every block) with
// the budget on top; outside an allocation scope nothing is refused.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzzheap {

// Points the program API table's allocate, release and reallocate slots at this heap. Call
// once the stand-in is installed.
void install();

// Arms the heap for one input, derived from its bytes: the input runs on a heap of
// kSmallestBudget to kLargestBudget bytes (a power of two), and half the inputs also have one
// scoped request refused, the n-th with n spread from 1 to a few thousand. The destructor
// disarms it and counts the input.
class InputHeap {
public:
  InputHeap(const uint8_t* data, size_t size);
  ~InputHeap();
  InputHeap(const InputHeap&) = delete;
  InputHeap& operator=(const InputHeap&) = delete;
};

inline constexpr size_t kSmallestBudget = size_t{256} << 10;
inline constexpr size_t kLargestBudget = size_t{32} << 20;

struct Counts {
  uint64_t inputs = 0;              // inputs run under an InputHeap
  uint64_t inputs_with_refusal = 0; // of them, those where at least one request was refused
  uint64_t refused_requests = 0;    // by the budget or the input's request number
  uint64_t refused_by_budget = 0;
};
Counts counts();

} // namespace fuzzheap
