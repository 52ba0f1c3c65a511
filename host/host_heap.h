// The host's heap behind the allocate/release/reallocate slots. Blocks lie below 2 GiB
// (exception blocks travel in 32-bit words). Every block is accounted for, so tests can
// assert that nothing leaked; misuse (double free, freeing a pointer the heap never
// handed out, writing past the end of a block) is recorded, never crashes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace dvhost {

struct HeapStats {
  size_t live_blocks = 0;
  size_t live_bytes = 0;        // sum of requested sizes of live blocks
  uint64_t requests = 0;        // allocate + reallocate calls so far
  uint64_t failed_requests = 0; // requests answered with null
  uint64_t releases = 0;        // release calls with a non-null pointer
  size_t heap_bytes = 0;        // heap taken by live blocks (rounded, with guard bytes)
  size_t peak_live_bytes = 0;   // highest live_bytes since reset_peak()
  size_t peak_heap_bytes = 0;   // highest heap_bytes since reset_peak()
};

// The slot functions the program API table points at.
void* host_heap_allocate_slot(size_t size);
void host_heap_release_slot(void* block);
void* host_heap_reallocate_slot(void* block, size_t size);

namespace host_heap {

HeapStats stats();
size_t live_blocks();
size_t live_bytes();

// Misuse seen so far, one message each ("double free of 0x...", "bad pointer ...",
// "write past the end of block ..."). Cleared by clear_errors().
const std::vector<std::string>& errors();
void clear_errors();

// Requested size of a live block, 0 when `block` is not a live block.
size_t block_size(const void* block);
bool is_live(const void* block);

// Fault injection. Requests are counted from the call: n = 1 is the next request.
// fail_request(n) fails just the n-th; fail_requests_from(n) fails it and every later
// one. A failed request returns null and leaves a reallocated block untouched.
void fail_request(uint64_t n);
void fail_requests_from(uint64_t n);
void clear_fault_injection();

// Releases every live block (e.g. after a test that halted mid-way) without reporting.
void release_all();

// Limit on one request's size; larger requests fail. Default 256 MiB.
void set_max_request(size_t bytes);

// The heap's size: a request fails when the live blocks would take more than this
// (each block counts rounded up to 16 bytes with its guard bytes). The default is
// DV_HOST_HEAP_MB mebibytes from the environment, else 512 MiB, the most there is.
size_t default_heap_size();
void set_heap_size(size_t bytes);
size_t heap_size();

// Starts measuring the peaks in stats() again from what is live now.
void reset_peak();

} // namespace host_heap
} // namespace dvhost
