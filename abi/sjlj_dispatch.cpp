#include "abi/sjlj_dispatch.h"

#include "abi/exception_alloc.h"
#include "abi/exception_header.h"
#include "abi/exception_table.h"
#include "abi/jumps.h"
#include "abi/sjlj_context.h"
#include "abi/terminate.h"
#include "runtime/export.h"

namespace dv {

namespace {

// Hands the exception to a frame and jumps into its dispatch code. The exception
// travels in a 32-bit word (exception_word): a header the word cannot name would reach
// the landing pad as a different address, so that ends in termination instead.
[[noreturn]] void enter_frame(DovrelSjLjContext* context, DovrelExceptionHeader* header,
                              uint32_t selector, uint32_t landing_pad) noexcept {
  uint32_t word = 0;
  if (!exception_word(header, &word))
    terminate();
  context->resume_data[0] = word;
  context->resume_data[1] = selector;
  context->call_site = static_cast<int32_t>(landing_pad);
  dovrelboot_sjlj_jump(context);
}

// Resumes frames from the newest: cleanups first, the handler's frame last; frames
// taking no part are removed from the chain.
[[noreturn]] void unwind(DovrelExceptionHeader* header) noexcept {
  for (;;) {
    DovrelSjLjContext* context = gSjLjHead;
    if (context == nullptr)
      terminate();
    if (context == header->handler_context)
      enter_frame(context, header, header->handler_selector, header->handler_landing_pad);
    DovrelHandler handler{};
    inspect_context(context, header->thrown_type, &handler);
    if (handler.entry_found && handler.has_cleanup)
      enter_frame(context, header, 0, static_cast<uint32_t>(handler.landing_pad));
    gSjLjHead = context->prev;
  }
}

// Finds the newest frame that catches the exception, without changing the chain, then
// unwinds to it. With no such frame nothing is run: termination.
[[noreturn]] void raise_exception(DovrelExceptionHeader* header) noexcept {
  if (header == nullptr)
    terminate();
  for (DovrelSjLjContext* context = gSjLjHead; context != nullptr; context = context->prev) {
    DovrelHandler handler{};
    if (inspect_context(context, header->thrown_type, &handler)) {
      header->handler_context = context;
      header->handler_landing_pad = static_cast<uint32_t>(handler.landing_pad);
      header->handler_selector = static_cast<uint32_t>(handler.selector);
      unwind(header);
    }
  }
  terminate();
}

} // namespace

DV_FUNCTION_AS(void, cxa_throw, "__cxa_throw",
               (void* object, const void* type, ExceptionDestructor destructor) noexcept) {
  if (object == nullptr)
    terminate();
  DovrelExceptionHeader* header = header_from_object(object);
  header->thrown_type = type;
  header->destructor = destructor;
  header->handler_context = nullptr;
  header->handler_landing_pad = 0;
  header->handler_selector = 0;
  header->rethrown = 0;
  raise_exception(header);
}

DV_FUNCTION_AS(void, cxa_end_catch, "__cxa_end_catch", ()) {
  DovrelExceptionHeader* header = gCaughtException;
  if (header == nullptr)
    return;
  gCaughtException = header->next_caught;
  header->next_caught = nullptr;
  if (header->rethrown != 0)
    return;
  void* object = object_from_header(header);
  if (header->destructor != nullptr)
    header->destructor(object);
  cxa_free_exception(object);
}

DV_FUNCTION_AS(void, cxa_rethrow, "__cxa_rethrow", () noexcept) {
  DovrelExceptionHeader* header = gCaughtException;
  if (header == nullptr)
    terminate();
  header->rethrown = 1;
  header->handler_context = nullptr;
  header->handler_landing_pad = 0;
  header->handler_selector = 0;
  raise_exception(header);
}

DV_FUNCTION_AS(void, unwind_sjlj_raise_exception, "_Unwind_SjLj_RaiseException",
               (void* exception) noexcept) {
  raise_exception(header_from_exception_word(exception));
}

DV_FUNCTION_AS(void, unwind_sjlj_resume, "_Unwind_SjLj_Resume", (void* exception) noexcept) {
  if (gSjLjHead != nullptr)
    gSjLjHead = gSjLjHead->prev;
  if (exception == nullptr)
    terminate();
  unwind(header_from_exception_word(exception));
}

DV_FUNCTION_AS(void, unwind_sjlj_resume_or_rethrow, "_Unwind_SjLj_Resume_or_Rethrow",
               (void* exception) noexcept) {
  unwind_sjlj_resume(exception);
}

DV_FUNCTION_AS(void, unwind_sjlj_forced_unwind, "_Unwind_SjLj_ForcedUnwind",
               (void*, void*, void*) noexcept) {
  terminate();
}

DV_FUNCTION_AS(void, unwind_resume, "_Unwind_Resume", (void*) noexcept) {
  terminate();
}

} // namespace dv
