// Process life on Win32 (i686 and x86-64): the main thread's stack from its
// thread information block and VirtualQuery, the x87 and SSE control words,
// the call with a cleared frame register, and ExitProcess.
#include <cpuid.h>

#include <cstddef>

#include "platform/platform.h"
#include "platform/win32/console_output.h"
#include "platform/win32/win32_api.h"

namespace platform {

namespace {

// The thread's information block, by its own Self field (read directly:
// NtCurrentTeb's segment read trips GCC's array-bounds check).
static_assert(offsetof(NT_TIB, Self) == (sizeof(void*) == 8 ? 0x30 : 0x18));

const NT_TIB* ThreadBlock() {
  const NT_TIB* block = nullptr;
#if defined(_WIN64)
  asm("movq %%gs:0x30, %0" : "=r"(block));
#else
  asm("movl %%fs:0x18, %0" : "=r"(block));
#endif
  return block;
}

// Every x86-64 processor has SSE; an i686 one says so in CPUID leaf 1.
bool HasSse() {
#if defined(_WIN64)
  return true;
#else
  unsigned eax, ebx, ecx, edx;
  return __get_cpuid(1, &eax, &ebx, &ecx, &edx) && (edx & bit_SSE) != 0;
#endif
}

}  // namespace

// The high end is the block's StackBase; the low end is where the stack's
// reservation begins, which it can still grow down to, not the StackLimit it
// has committed so far. Right also while running on the resume stack.
StackRange StackBounds() {
  const NT_TIB* block = ThreadBlock();
  const uintptr_t high = reinterpret_cast<uintptr_t>(block->StackBase);
  MEMORY_BASIC_INFORMATION region = {};
  if (VirtualQuery(reinterpret_cast<const void*>(high - 1), &region, sizeof region) == 0) {
    return {reinterpret_cast<uintptr_t>(block->StackLimit), high};
  }
  return {reinterpret_cast<uintptr_t>(region.AllocationBase), high};
}

void ResetFloatingPoint(uint16_t controlWord) {
  // The SSE unit takes the same six exception masks, which sit at bits 7-12 of
  // MXCSR in the order of bits 0-5 of the x87 control word.
  uint32_t mxcsr = uint32_t(controlWord & 0x3F) << 7;
  asm volatile("fninit\n\tfldcw %0" : : "m"(controlWord));
  if (HasSse()) asm volatile("ldmxcsr %0" : : "m"(mxcsr));
}

// The routine's prologue saves the cleared frame register as its frame link,
// so every back-trace ends in the routine's frame.
#if defined(_WIN64)
// Win64 convention: the routine gets 32 bytes of shadow space on a 16-byte
// aligned stack. The exception dispatcher walks through this function by its
// unwind description, which GCC writes empty for a naked function: so GCC
// writes none here, and the function describes its own prologue.
#pragma GCC push_options
#pragma GCC optimize("no-asynchronous-unwind-tables", "no-unwind-tables")
[[gnu::naked]] void CallWithFrameChainEnd(void (*)()) {
  asm(".seh_proc _ZN8platform21CallWithFrameChainEndEPFvvE\n\t"
      "push %rbp\n\t"
      ".seh_pushreg %rbp\n\t"
      "sub $32, %rsp\n\t"
      ".seh_stackalloc 32\n\t"
      ".seh_endprologue\n\t"
      "xor %ebp, %ebp\n\t"
      "call *%rcx\n\t"
      "nop\n\t"
      "add $32, %rsp\n\t"
      "pop %rbp\n\t"
      "ret\n\t"
      ".seh_endproc");
}
#pragma GCC pop_options
#else
// cdecl: the routine is the one argument on the stack.
[[gnu::naked]] void CallWithFrameChainEnd(void (*)()) {
  asm("push %ebp\n\t"
      "xor %ebp, %ebp\n\t"
      "call *8(%esp)\n\t"
      "pop %ebp\n\t"
      "ret");
}
#endif

// Nothing of the terminal's to restore: the console keeps its own state, and
// shows what was drawn.
void ExitProcess(uint32_t code) {
  win32::FlushConsole();
  ::ExitProcess(code);
}

}  // namespace platform
