// Non-local jumps, written in assembly (jumps.S). In the artifact they carry their
// public names; in the hosted build they get private names so that they never stand in
// for the system's setjmp and longjmp.
#pragma once
#include <stdint.h>

#include "abi/sjlj_context.h"
#include "runtime/export.h"

#if defined(DV_ARTIFACT)
#define DV_JUMP_SYMBOL(artifact_name, hosted_name) __asm__(DV_LINK_NAME(artifact_name))
#else
#define DV_JUMP_SYMBOL(artifact_name, hosted_name) __asm__(DV_LINK_NAME(hosted_name))
#endif

namespace dv {

// rbx, rbp, r12, r13, r14, r15, the stack pointer after setjmp returns, the return
// address.
using jmp_buf = uint64_t[8];

// Loads the stack pointer from jump_buffer[2] and the frame pointer from
// jump_buffer[0], then jumps to jump_buffer[1].
[[noreturn]] void dovrelboot_sjlj_jump(const DovrelSjLjContext* context) noexcept
    DV_JUMP_SYMBOL("dovrelboot_sjlj_jump", "dv_hosted_sjlj_jump");

// Saves the callee-saved registers, stack pointer and return address; returns 0.
[[gnu::returns_twice]] int setjmp(jmp_buf buffer) noexcept
    DV_JUMP_SYMBOL("setjmp", "dv_hosted_setjmp");

// Returns again from the setjmp that filled `buffer`, with `value` (1 when it is 0).
[[noreturn]] void longjmp(jmp_buf buffer, int value) noexcept
    DV_JUMP_SYMBOL("longjmp", "dv_hosted_longjmp");

} // namespace dv
