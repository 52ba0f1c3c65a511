// Where running out of memory is an answer instead of a halt.
//
// Outside any scope, operator new halts the machine when the host cannot give memory:
// other modules rely on that. The font entry points run their work inside an
// AllocationScope; there the same failure throws AllocationFailure (from a reserved
// exception block, so the throw needs no heap), the library's RAII owners release what
// the call took while it unwinds, and the entry point returns its failure value. Scopes
// nest; the machine has one thread.
#pragma once

namespace dv {

// What operator new throws inside an allocation scope. Never leaves the library.
struct AllocationFailure {};

class AllocationScope {
public:
  AllocationScope();
  ~AllocationScope();
  AllocationScope(const AllocationScope&) = delete;
  AllocationScope& operator=(const AllocationScope&) = delete;
};

// True while an AllocationScope exists.
bool inside_allocation_scope();

// Called when the host has no memory for operator new: throws AllocationFailure inside an
// allocation scope, halts outside.
[[noreturn]] void allocation_failed();

// Runs `call` in an allocation scope: its result, or the value-initialised result (null)
// when an allocation failed. Everything `call` took is released by then.
template <class Call> auto null_on_allocation_failure(Call&& call) -> decltype(call()) {
  using Result = decltype(call());
  AllocationScope scope;
  try {
    return call();
  } catch (const AllocationFailure&) {
    if constexpr (!__is_same(Result, void)) {
      return Result{};
    }
  }
}

} // namespace dv
