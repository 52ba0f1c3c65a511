#include "host/halt.h"

#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <ucontext.h>
#include <unistd.h>

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
  // A fault on fetching the instruction itself (a jump to nowhere) leaves nothing to read.
  bool fetch_fault = reinterpret_cast<uintptr_t>(info->si_addr) == rip;
  uint8_t instruction = fetch_fault ? 0 : *reinterpret_cast<const uint8_t*>(rip);
  if (gActiveGuard && (instruction == kCli || instruction == kHlt)) {
    gHaltAddress = rip;
    gHaltInstruction = instruction;
    siglongjmp(*gActiveGuard, 1);
  }
  if (instruction == kCli || instruction == kHlt) {
    char message[96];
    int length = std::snprintf(message, sizeof message,
                               "dvhost: halted at %#lx outside a halt guard (run_catching_halt)\n",
                               static_cast<unsigned long>(rip));
    if (length > 0)
      (void)!write(STDERR_FILENO, message, static_cast<size_t>(length));
  }
  // Not a guarded halt: let the previous handler (or the default action) see the fault
  // again when the instruction is retried.
  sigaction(SIGSEGV, &gPreviousAction, nullptr);
  gHandlerInstalled = false;
  (void)signal;
}

} // namespace

void install_halt_handler() {
  if (gHandlerInstalled)
    return;
  struct sigaction action = {};
  action.sa_sigaction = on_segv;
  action.sa_flags = SA_SIGINFO | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  sigaction(SIGSEGV, &action, &gPreviousAction);
  gHandlerInstalled = true;
}

HaltReport run_catching_halt(const std::function<void()>& call) {
  install_halt_handler();
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
