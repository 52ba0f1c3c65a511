#include <gtest/gtest.h>

#include "runtime/program_api.h"

// The table lives at a fixed address that only the stand-in maps; what can be checked
// without it is the slot layout callers and the host agree on.
TEST(ProgramApi, SlotOffsets) {
  EXPECT_EQ(dv::kSlotStatFile, 0x34u);
  EXPECT_EQ(dv::kSlotReadConsoleLine, 0x44u);
  EXPECT_EQ(dv::kSlotAllocate, 0x4Cu);
  EXPECT_EQ(dv::kSlotReallocate, 0x54u);
  EXPECT_EQ(sizeof(dv::FileInfo), 12u);
}
