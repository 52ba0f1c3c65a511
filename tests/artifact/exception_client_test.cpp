// A real client of the exception runtime: a module compiled with the SjLj model and no
// C++ runtime of its own (tests/client), loaded next to the artifact so that its throws,
// landing pads and catches all go through the artifact. In the ELF run it is an ELF
// shared object loaded with RTLD_DEEPBIND; in the Mach-O run a Mach-O dylib whose binds
// the stand-in's loader resolves against the library's exports.
#include <dlfcn.h>

#include <memory>

#include "abi/sjlj_context.h"
#include "artifact/artifact_fixture.h"

namespace {

class ExceptionClient : public dvtest::ArtifactTest {
protected:
  void SetUp() override {
    ArtifactTest::SetUp();
    // The client lists the artifact as a needed library; the loader binds it to the
    // artifact the fixture has already loaded (checked by ThrowsThroughTheArtifactsRuntime).
    client_ = dvtest::artifact().load_module(
        dvtest::testing_macho() ? DV_EXCEPTION_CLIENT_DYLIB_PATH : DV_EXCEPTION_CLIENT_PATH);
    entry<void()>("client_reset")();
  }

  // Unloaded before the fixture may reload the artifact after a halt.
  void TearDown() override {
    client_.reset();
    ArtifactTest::TearDown();
  }

  template <typename Function> Function* entry(const char* name) {
    void* address = client_->find(name);
    EXPECT_NE(address, nullptr) << name;
    return reinterpret_cast<Function*>(address);
  }

  // Nothing may stay registered once a call into the client has returned.
  bool chain_empty() {
    auto* register_context = fn<void(dv::DovrelSjLjContext*)>("_Unwind_SjLj_Register");
    auto* unregister_context = fn<void(dv::DovrelSjLjContext*)>("_Unwind_SjLj_Unregister");
    dv::DovrelSjLjContext probe{};
    register_context(&probe);
    unregister_context(&probe);
    return probe.prev == nullptr;
  }

  int thrown_destroyed() { return entry<int()>("client_thrown_destroyed")(); }
  int locals_destroyed() { return entry<int()>("client_locals_destroyed")(); }

  std::unique_ptr<dvhost::LoadedImage> client_;
};

TEST_F(ExceptionClient, ThrowsThroughTheArtifactsRuntime) {
  void* artifact_throw = fn<void>("__cxa_throw");
  EXPECT_EQ(entry<void*()>("client_cxa_throw")(), artifact_throw);
  EXPECT_TRUE(dvtest::artifact().contains(artifact_throw));
  EXPECT_NE(dlsym(RTLD_DEFAULT, "__cxa_throw"), artifact_throw);
}

TEST_F(ExceptionClient, CatchesByBaseClass) {
  EXPECT_EQ(entry<int(int)>("client_catch_by_base")(7), 7);
  EXPECT_EQ(entry<int(int)>("client_catch_by_base")(-3), -3);
  EXPECT_EQ(thrown_destroyed(), 2);
  EXPECT_TRUE(chain_empty());
  EXPECT_EQ(leaked_blocks(), 0);
}

TEST_F(ExceptionClient, CatchAllTakesAnUnrelatedType) {
  EXPECT_EQ(entry<int()>("client_catch_all")(), 1);
  EXPECT_TRUE(chain_empty());
  EXPECT_EQ(leaked_blocks(), 0);
}

TEST_F(ExceptionClient, DestroysLocalsOfAbandonedFrames) {
  EXPECT_EQ(entry<int(int)>("client_unwind_locals")(21), 21);
  EXPECT_EQ(locals_destroyed(), 3);
  EXPECT_EQ(thrown_destroyed(), 1);
  EXPECT_TRUE(chain_empty());
  EXPECT_EQ(leaked_blocks(), 0);
}

TEST_F(ExceptionClient, RethrowReachesTheOuterHandlerAndDestroysOnce) {
  EXPECT_EQ(entry<int(int)>("client_rethrow")(4), 104);
  EXPECT_EQ(thrown_destroyed(), 1);
  EXPECT_EQ(locals_destroyed(), 1);
  EXPECT_TRUE(chain_empty());
  EXPECT_EQ(leaked_blocks(), 0);
}

TEST_F(ExceptionClient, NestedTryBlocks) {
  EXPECT_EQ(entry<int(int)>("client_nested")(6), 33);
  EXPECT_EQ(thrown_destroyed(), 3);
  EXPECT_TRUE(chain_empty());
  EXPECT_EQ(leaked_blocks(), 0);
}

TEST_F(ExceptionClient, ExceptionLeavingNoexceptHalts) {
  auto* escape = entry<void()>("client_escape_noexcept");
  EXPECT_TRUE(halts([&] { escape(); }));
  EXPECT_EQ(thrown_destroyed(), 0);
}

} // namespace
