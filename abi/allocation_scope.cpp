#include "abi/allocation_scope.h"

#include "abi/abort.h"

namespace dv {

namespace {

unsigned long gAllocationScopeDepth = 0;

} // namespace

AllocationScope::AllocationScope() {
  ++gAllocationScopeDepth;
}

AllocationScope::~AllocationScope() {
  --gAllocationScopeDepth;
}

bool inside_allocation_scope() {
  return gAllocationScopeDepth != 0;
}

void allocation_failed() {
  if (!inside_allocation_scope())
    dv::abort();
  throw AllocationFailure{};
}

} // namespace dv
