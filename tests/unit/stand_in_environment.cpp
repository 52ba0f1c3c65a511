// Every unit test process runs inside the boot-environment stand-in: the program API
// table at 0x6800 is installed before the first test, so dv::malloc, the file and the
// console slots work under dvcore without further set-up. Tests that damage the table
// or the memory map restore it with dvhost::reset_stand_in().
#include <gtest/gtest.h>

#include "host/stand_in.h"

namespace {

class StandInEnvironment : public ::testing::Environment {
public:
  void SetUp() override { dvhost::install_stand_in(); }
};

const auto* const gStandIn = ::testing::AddGlobalTestEnvironment(new StandInEnvironment);

} // namespace
