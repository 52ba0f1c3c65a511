// The per-frame context record of SjLj exception handling and the chain of registered
// contexts. The layout is shared with compiled code, which fills it at fixed positions.
#pragma once
#include <stddef.h>
#include <stdint.h>

namespace dv {

struct DovrelSjLjContext {
  DovrelSjLjContext* prev;
  // While the frame runs: 1-based call-site entry in force (0 or negative: none).
  // When the runtime enters the frame: the landing-pad number chosen.
  int32_t call_site;
  // [0]: exception pointer (low 32 bits of the header address); [1]: selector.
  uint32_t resume_data[4];
  void* personality;
  const uint8_t* lsda;
  // [0]: frame pointer, [1]: resume address, [2]: stack pointer.
  void* jump_buffer[5];
};

static_assert(offsetof(DovrelSjLjContext, call_site) == 8);
static_assert(offsetof(DovrelSjLjContext, resume_data) == 12);
static_assert(offsetof(DovrelSjLjContext, personality) == 32);
static_assert(offsetof(DovrelSjLjContext, lsda) == 40);
static_assert(offsetof(DovrelSjLjContext, jump_buffer) == 48);
static_assert(sizeof(DovrelSjLjContext) == 88);

// The newest registered context, or null.
extern DovrelSjLjContext* gSjLjHead;

// Exported as _Unwind_SjLj_Register: links the context in as the newest.
void unwind_sjlj_register(DovrelSjLjContext* context) noexcept;
// Exported as _Unwind_SjLj_Unregister: unlinks the context wherever it is in the chain;
// a context not in the chain is left alone.
void unwind_sjlj_unregister(DovrelSjLjContext* context) noexcept;

} // namespace dv
