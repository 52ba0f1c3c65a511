// Termination entry points: std::terminate, the compiler's noexcept-boundary target
// and the pure-virtual trap. All of them end in abort().
#pragma once

namespace dv {

[[noreturn]] void terminate() noexcept;
[[noreturn]] void cxa_pure_virtual() noexcept;

} // namespace dv
