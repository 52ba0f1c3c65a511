// The container constants other modules bind to by name.
#include "artifact/artifact_fixture.h"

namespace {

class ContainerExportsTest : public dvtest::ArtifactTest {};

TEST_F(ContainerExportsTest, MapNposConstantsAreAllOnes) {
  for (const char* name : {
           "_ZN2dv13unordered_mapIjtNS_4hashIjEENS_8equal_toIjEEE4nposE",
           "_ZN2dv13unordered_mapINS_6stringENS_6vectorIhEENS_4hashIS1_EENS_8equal_toIS1_EEE4nposE",
       }) {
    EXPECT_EQ(*data<const unsigned long>(name), ~0UL) << name;
  }
}

} // namespace
