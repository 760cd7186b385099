// Process life on x86-64 POSIX: the main thread's stack bounds, the x87 and
// SSE control words, the call with a cleared frame register, and the exit.
#include <pthread.h>
#include <sys/auxv.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstring>

#include "platform/platform.h"
#include "platform/posix/process_internal.h"
#include "platform/posix/terminal.h"

// glibc's record of the stack pointer at process start.
extern "C" void* __libc_stack_end;

namespace platform {

namespace posix {

StackRange mainStack;

namespace {

// The bounds pthread_getattr_np gives the main thread, worked out without its
// reading of /proc/self/maps, which costs more than a whole one-shot answer.
// The kernel copies the program's path (AT_EXECFN) to the very top of the
// stack's mapping, a pointer's width below its end; the stack may grow to the
// limit's size below that end; the range ends at the page above the stack
// pointer the process started with. False when a piece is missing, the limit
// is infinite, or the result does not hold this very frame.
bool MeasureFromLimit(StackRange& range) {
  const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
  const uintptr_t path = getauxval(AT_EXECFN);
  rlimit limit;
  if (path == 0 || getrlimit(RLIMIT_STACK, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
    return false;
  }
  const uintptr_t pathEnd = path + std::strlen(reinterpret_cast<const char*>(path)) + 1;
  const uintptr_t mappingEnd = (pathEnd + page - 1) & ~(page - 1);
  const uintptr_t high = (reinterpret_cast<uintptr_t>(__libc_stack_end) & ~(page - 1)) + page;
  if (high > mappingEnd || mappingEnd - high >= limit.rlim_cur) return false;
  const uintptr_t size = (limit.rlim_cur - (mappingEnd - high)) & ~(page - 1);
  if (size > high) return false;
  const uintptr_t here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  if (here < high - size || here >= high) return false;
  range = {high - size, high};
  return true;
}

}  // namespace

void MeasureMainStack() {
  if (mainStack.high != 0) return;
  if (MeasureFromLimit(mainStack)) return;
  pthread_attr_t attributes;
  if (pthread_getattr_np(pthread_self(), &attributes) != 0) return;
  void* base = nullptr;
  size_t size = 0;
  if (pthread_attr_getstack(&attributes, &base, &size) == 0) {
    mainStack.low = reinterpret_cast<uintptr_t>(base);
    mainStack.high = mainStack.low + size;
  }
  pthread_attr_destroy(&attributes);
}

}  // namespace posix

StackRange StackBounds() {
  posix::MeasureMainStack();
  return posix::mainStack;
}

void ResetFloatingPoint(uint16_t controlWord) {
  // The SSE unit takes the same six exception masks, which sit at bits 7-12 of
  // MXCSR in the order of bits 0-5 of the x87 control word.
  uint32_t mxcsr = uint32_t(controlWord & 0x3F) << 7;
  asm volatile("fninit\n\tfldcw %0" : : "m"(controlWord));
  asm volatile("ldmxcsr %0" : : "m"(mxcsr));
}

// The routine's prologue saves the cleared frame register as its frame link,
// so every back-trace ends in the routine's frame.
[[gnu::naked]] void CallWithFrameChainEnd(void (*)()) {
  asm("push %rbp\n\t"
      "xor %ebp, %ebp\n\t"
      "call *%rdi\n\t"
      "pop %rbp\n\t"
      "ret");
}

// Nothing of this kind needs finding on POSIX.
void ReadStartupInformation() {}
void OpenDiskSpaceQuery() {}
void CloseDiskSpaceQuery() {}

void ExitProcess(uint32_t code) {
  posix::CloseTerminalSession();
  _exit(int(code));
}

}  // namespace platform
