// Every fuzzer runs inside the boot-environment stand-in: dvcore reaches memory, files and
// the console through the program API table at 0x6800, which must exist before the first
// input.
#include "host/stand_in.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  dvhost::install_stand_in();
  return 0;
}
