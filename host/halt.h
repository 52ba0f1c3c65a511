// Halt detection. On the machine, abort() disables interrupts and halts (cli; hlt).
// In a user-mode process both instructions fault with SIGSEGV; the stand-in's handler
// recognises them at the faulting address and jumps back to the guarded call, which
// then reports "halted". Any other fault is passed on to the previous handler.
#pragma once
#include <cstdint>
#include <functional>

namespace dvhost {

struct HaltReport {
  bool halted = false;
  uintptr_t address = 0;   // address of the halting instruction
  uint8_t instruction = 0; // 0xFA (cli) or 0xF4 (hlt)
};

// Installs the SIGSEGV handler (done by install_stand_in and every guarded call). A halt
// outside a guarded call then prints "halted at <address> outside a halt guard" before
// the process dies of the fault.
void install_halt_handler();

// Runs `call`; returns a report with halted = false when it returned normally.
// Guarded calls may nest. Code abandoned by a halt does not run its destructors.
HaltReport run_catching_halt(const std::function<void()>& call);

// Shorthand: true when `call` halted.
inline bool halts(const std::function<void()>& call) {
  return run_catching_halt(call).halted;
}

} // namespace dvhost
