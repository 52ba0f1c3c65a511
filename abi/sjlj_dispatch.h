// Throwing, catching and rethrowing through the chain of registered contexts: a search
// for the frame whose table catches the exception, then an unwind that enters every
// newer frame with a cleanup, newest first, and finally the handler's frame.
#pragma once

namespace dv {

using ExceptionDestructor = void (*)(void* object);

// Exported as __cxa_throw: fills the header in front of `object` (from
// __cxa_allocate_exception) and raises it.
[[noreturn]] void cxa_throw(void* object, const void* type,
                            ExceptionDestructor destructor) noexcept;

// Exported as __cxa_end_catch: pops the innermost caught exception; destroys and frees
// it unless it is being rethrown.
void cxa_end_catch();

// Exported as __cxa_rethrow: raises the innermost caught exception again; terminates
// when none is caught.
[[noreturn]] void cxa_rethrow() noexcept;

// Exported as _Unwind_SjLj_RaiseException: raises an exception whose header is filled.
[[noreturn]] void unwind_sjlj_raise_exception(void* exception) noexcept;

// Exported as _Unwind_SjLj_Resume and _Unwind_SjLj_Resume_or_Rethrow: called by a
// landing pad that has run its cleanups; removes the caller's context and goes on.
[[noreturn]] void unwind_sjlj_resume(void* exception) noexcept;
[[noreturn]] void unwind_sjlj_resume_or_rethrow(void* exception) noexcept;

// Exported as _Unwind_SjLj_ForcedUnwind and _Unwind_Resume: not supported; terminate.
[[noreturn]] void unwind_sjlj_forced_unwind(void* exception, void* stop, void* argument) noexcept;
[[noreturn]] void unwind_resume(void* exception) noexcept;

} // namespace dv
