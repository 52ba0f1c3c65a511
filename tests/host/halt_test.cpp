// Halt detection: cli/hlt fault in user mode and are reported as "halted".
#include <gtest/gtest.h>

#include <sys/mman.h>

#include <cstring>

#include "host/halt.h"

namespace {

using dvhost::run_catching_halt;

// Executable copy of a few machine-code bytes.
class Code {
public:
  explicit Code(std::initializer_list<unsigned char> bytes) {
    page_ = mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    std::memcpy(page_, bytes.begin(), bytes.size());
    mprotect(page_, 4096, PROT_READ | PROT_EXEC);
  }
  ~Code() { munmap(page_, 4096); }
  void run() const { reinterpret_cast<void (*)()>(page_)(); }
  uintptr_t address() const { return reinterpret_cast<uintptr_t>(page_); }

private:
  void* page_;
};

TEST(HaltTest, CliHltLoopIsReportedAsHalted) {
  Code halt_loop{0xFA, 0xF4, 0xEB, 0xFC}; // cli; hlt; jmp back to cli
  auto report = run_catching_halt([&] { halt_loop.run(); });
  EXPECT_TRUE(report.halted);
  EXPECT_EQ(report.instruction, 0xFA);
  EXPECT_EQ(report.address, halt_loop.address());
}

TEST(HaltTest, HltAloneIsReportedToo) {
  Code hlt{0xF4};
  auto report = run_catching_halt([&] { hlt.run(); });
  EXPECT_TRUE(report.halted);
  EXPECT_EQ(report.instruction, 0xF4);
}

TEST(HaltTest, ReturningCallIsNotHalted) {
  Code ret{0xC3};
  int calls = 0;
  auto report = run_catching_halt([&] {
    ret.run();
    ++calls;
  });
  EXPECT_FALSE(report.halted);
  EXPECT_EQ(calls, 1);
}

TEST(HaltTest, NestedGuardsReportToTheInnermost) {
  Code hlt{0xF4};
  bool inner = false;
  bool outer = dvhost::halts([&] { inner = dvhost::halts([&] { hlt.run(); }); });
  EXPECT_TRUE(inner);
  EXPECT_FALSE(outer);
  EXPECT_TRUE(dvhost::halts([&] { hlt.run(); })) << "usable again after a halt";
}

TEST(HaltTest, UnguardedHaltCrashesWithAMessage) {
  Code hlt{0xF4};
  dvhost::install_halt_handler();
  EXPECT_DEATH(hlt.run(), "halted at 0x[0-9a-f]+ outside a halt guard");
}

TEST(HaltTest, OtherFaultsStillCrash) {
  EXPECT_DEATH(dvhost::halts([] { *reinterpret_cast<volatile int*>(8) = 1; }), "");
  EXPECT_DEATH(dvhost::halts([] { reinterpret_cast<void (*)()>(0x1000)(); }), "");
}

} // namespace
