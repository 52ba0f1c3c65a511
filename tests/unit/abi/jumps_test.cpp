#include <gtest/gtest.h>

#include "abi/jumps.h"

namespace {

// Jumps stay within this frame so that no sanitizer bookkeeping of skipped frames is lost.
TEST(Jumps, LongjmpReturnsAgainFromSetjmp) {
  for (int value : {0, 1, 7, -3}) {
    dv::jmp_buf buffer;
    volatile int passes = 0;
    int returned = dv::setjmp(buffer);
    passes = passes + 1;
    if (passes == 1) {
      EXPECT_EQ(returned, 0);
      dv::longjmp(buffer, value);
    }
    EXPECT_EQ(passes, 2);
    EXPECT_EQ(returned, value == 0 ? 1 : value);
  }
}

} // namespace
