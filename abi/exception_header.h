// The record in front of every thrown object, in the same heap block.
#pragma once
#include <stddef.h>
#include <stdint.h>

namespace dv {

struct DovrelSjLjContext;

struct alignas(16) DovrelExceptionHeader {
  const void* thrown_type;            // std::type_info of the object (set by __cxa_throw)
  void (*destructor)(void* object);   // null when the object needs no destruction
  DovrelExceptionHeader* next_caught; // the caught exception below this one, or null
  DovrelSjLjContext* handler_context; // frame whose handler the search chose, or null
  uint32_t handler_landing_pad;       // becomes the frame's call-site value on entry
  uint32_t handler_selector;          // type-filter value of the matching catch clause
  uint8_t rethrown;                   // 1 while rethrown from a handler
};

static_assert(sizeof(DovrelExceptionHeader) % 16 == 0,
              "the thrown object after the header keeps the block's alignment");

inline void* object_from_header(DovrelExceptionHeader* header) {
  return header + 1;
}

inline DovrelExceptionHeader* header_from_object(void* object) {
  return static_cast<DovrelExceptionHeader*>(object) - 1;
}

// Top of the stack of caught exceptions; null when none is caught.
extern DovrelExceptionHeader* gCaughtException;

} // namespace dv
