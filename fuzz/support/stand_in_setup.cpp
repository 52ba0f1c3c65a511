// Every fuzzer runs inside the boot-environment stand-in: dvcore reaches memory, files and
// the console through the program API table at 0x6800, which must exist before the first
// input. Its memory slots are served by the fuzzers' heap (fuzz/support/fuzz_heap.h).
#include "fuzz/support/fuzz_heap.h"
#include "host/stand_in.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  dvhost::install_stand_in();
  fuzzheap::install();
  return 0;
}
