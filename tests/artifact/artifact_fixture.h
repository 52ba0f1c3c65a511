// Fixture for tests that run the real artifact (libDovrelTTF.so) inside the
// boot-environment stand-in. Derive from dvtest::ArtifactTest:
//
//   TEST_F(MyArtifactTest, Something) {
//     auto* strlen = fn<size_t(const char*)>("strlen");
//     EXPECT_EQ(strlen("abc"), 3u);
//   }
//
// Every test starts with the stand-in's defaults (full program API table, empty memory
// map, empty in-memory file store, captured console, no fault injection) and ends with
// a check that the host heap holds no more live blocks than at the start and recorded
// no misuse (double free, bad pointer, overflow).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/artifact.h"
#include "host/console.h"
#include "host/file_store.h"
#include "host/halt.h"
#include "host/host_heap.h"
#include "host/memory_map.h"
#include "host/probe_memory.h"
#include "host/program_api_table.h"
#include "host/stand_in.h"

namespace dvtest {

// The artifact, loaded once per process (after the stand-in is installed). The suite
// runs against either form: the environment variable DV_ARTIFACT_FORM=macho picks the
// Mach-O dylib, anything else the ELF shared object.
dvhost::Artifact& artifact();
bool testing_macho();
// The path of the artifact in the form under test.
const char* artifact_path();

class ArtifactTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // An exported function or data object by its symbol name; fails the test (throws)
  // when the artifact does not export it. Look symbols up again after a halt.
  template <typename Function> Function* fn(const std::string& name) {
    return artifact().get<Function>(name);
  }
  template <typename Object> Object* data(const std::string& name) {
    return artifact().get<Object>(name);
  }

  // Runs `call` and reports whether the artifact halted (abort: cli/hlt) instead of
  // returning. After a halt the library was abandoned mid-call: at the end of the test
  // its live host blocks are released without a leak report and the artifact is
  // reloaded, so every library global starts over for the next test.
  bool halts(const std::function<void()>& call);

  // Live host blocks allocated since the test started (negative: freed older blocks).
  long leaked_blocks() const;

  // Turns off the end-of-test leak check (for tests that keep blocks on purpose).
  void allow_leaks() { leak_check_ = false; }

  // Runs the rest of the test on a host heap of `megabytes` MiB (requests beyond it fail
  // and the library halts); the next test starts with the default size again.
  void set_host_heap_mb(size_t megabytes);

  // Runs `call` and returns the most host memory (requested bytes) it held at once on
  // top of what was live before it.
  size_t peak_host_bytes(const std::function<void()>& call);

  // `text` rendered black and opaque on `handle`: the image's width and height (each as
  // one byte) and its RGBA bytes, the image released; empty when the render gave null.
  std::vector<uint8_t> rendered_bytes(void* handle, const char* text);

private:
  size_t blocks_at_start_ = 0;
  bool leak_check_ = true;
  bool halted_ = false;
};

} // namespace dvtest
