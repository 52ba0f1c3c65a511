#include "host/halt.h"

#include <csetjmp>
#include <csignal>
#include <ucontext.h>

namespace dvhost {
namespace {

constexpr uint8_t kCli = 0xFA;
constexpr uint8_t kHlt = 0xF4;

sigjmp_buf* gActiveGuard = nullptr;
struct sigaction gPreviousAction;
bool gHandlerInstalled = false;
volatile uintptr_t gHaltAddress = 0;
volatile uint8_t gHaltInstruction = 0;

void on_segv(int signal, siginfo_t* info, void* context) {
  auto* machine = static_cast<ucontext_t*>(context);
  uintptr_t rip = static_cast<uintptr_t>(machine->uc_mcontext.gregs[REG_RIP]);
  uint8_t instruction = *reinterpret_cast<const uint8_t*>(rip);
  if (gActiveGuard && (instruction == kCli || instruction == kHlt)) {
    gHaltAddress = rip;
    gHaltInstruction = instruction;
    siglongjmp(*gActiveGuard, 1);
  }
  // Not a halt: let the previous handler (or the default action) see the fault again.
  sigaction(SIGSEGV, &gPreviousAction, nullptr);
  gHandlerInstalled = false;
  (void)signal;
  (void)info;
}

void install_handler() {
  if (gHandlerInstalled)
    return;
  struct sigaction action = {};
  action.sa_sigaction = on_segv;
  action.sa_flags = SA_SIGINFO | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  sigaction(SIGSEGV, &action, &gPreviousAction);
  gHandlerInstalled = true;
}

} // namespace

HaltReport run_catching_halt(const std::function<void()>& call) {
  install_handler();
  sigjmp_buf guard;
  sigjmp_buf* outer = gActiveGuard;
  HaltReport report;
  if (sigsetjmp(guard, 1) == 0) {
    gActiveGuard = &guard;
    call();
  } else {
    report.halted = true;
    report.address = gHaltAddress;
    report.instruction = gHaltInstruction;
  }
  gActiveGuard = outer;
  return report;
}

} // namespace dvhost
