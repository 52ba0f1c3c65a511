// Non-local jumps for x86-64 (System V). Symbol names as in jumps.h.
#if defined(DV_ARTIFACT)
#define JUMP_SYMBOL(artifact_name, hosted_name) artifact_name
#else
#define JUMP_SYMBOL(artifact_name, hosted_name) hosted_name
#endif

// Link names carry the platform's C prefix (an underscore on Mach-O). ELF marks
// functions with .type/.size and hides with .hidden; Mach-O has neither and hides with
// .private_extern.
#define PASTE_(a, b) a##b
#define PASTE(a, b) PASTE_(a, b)
#define SYMBOL(name) PASTE(__USER_LABEL_PREFIX__, name)
#if defined(__MACH__)
#define FUNCTION_TYPE(name)
#define FUNCTION_SIZE(name)
#define HIDDEN(name) .private_extern SYMBOL(name)
#else
#define FUNCTION_TYPE(name) .type SYMBOL(name), @function;
#define FUNCTION_SIZE(name) .size SYMBOL(name), . - SYMBOL(name)
#define HIDDEN(name) .hidden SYMBOL(name)
#endif

#define FUNCTION(name)                                                                    \
  .globl SYMBOL(name);                                                                   \
  FUNCTION_TYPE(name)                                                                    \
  .p2align 4;                                                                            \
  SYMBOL(name):

  .text

// dovrelboot_sjlj_jump(context): enter a frame through its context's jump buffer.
FUNCTION(JUMP_SYMBOL(dovrelboot_sjlj_jump, dv_hosted_sjlj_jump))
  HIDDEN(JUMP_SYMBOL(dovrelboot_sjlj_jump, dv_hosted_sjlj_jump))
  movq 64(%rdi), %rsp
  movq 48(%rdi), %rbp
  jmpq *56(%rdi)
  FUNCTION_SIZE(JUMP_SYMBOL(dovrelboot_sjlj_jump, dv_hosted_sjlj_jump))

// setjmp(buffer)
FUNCTION(JUMP_SYMBOL(setjmp, dv_hosted_setjmp))
  movq %rbx, 0(%rdi)
  movq %rbp, 8(%rdi)
  movq %r12, 16(%rdi)
  movq %r13, 24(%rdi)
  movq %r14, 32(%rdi)
  movq %r15, 40(%rdi)
  leaq 8(%rsp), %rdx
  movq %rdx, 48(%rdi)
  movq (%rsp), %rdx
  movq %rdx, 56(%rdi)
  xorl %eax, %eax
  retq
  FUNCTION_SIZE(JUMP_SYMBOL(setjmp, dv_hosted_setjmp))

// longjmp(buffer, value)
FUNCTION(JUMP_SYMBOL(longjmp, dv_hosted_longjmp))
  movl %esi, %eax
  testl %eax, %eax
  jnz 1f
  movl $1, %eax
1:
  movq 0(%rdi), %rbx
  movq 8(%rdi), %rbp
  movq 16(%rdi), %r12
  movq 24(%rdi), %r13
  movq 32(%rdi), %r14
  movq 40(%rdi), %r15
  movq 48(%rdi), %rsp
  jmpq *56(%rdi)
  FUNCTION_SIZE(JUMP_SYMBOL(longjmp, dv_hosted_longjmp))

#if !defined(__MACH__)
  .section .note.GNU-stack, "", @progbits
#endif
