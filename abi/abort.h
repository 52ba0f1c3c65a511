// Stopping the machine.
#pragma once

namespace dv {

// Disables interrupts and halts the processor, forever. In the hosted build (dvcore)
// there is no processor to halt from user mode, so abort traps instead (the process
// dies with SIGILL), which is what tests and fuzzers want to see.
[[noreturn]] void abort() noexcept;

} // namespace dv
