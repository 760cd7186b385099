// Process life on x86-64 POSIX: the main thread's stack bounds, the x87 and
// SSE control words, the call with a cleared frame register, and the exit.
#include <pthread.h>
#include <unistd.h>

#include "platform/platform.h"
#include "platform/posix/process_internal.h"
#include "platform/posix/terminal.h"

namespace platform {

namespace posix {

StackRange mainStack;

void MeasureMainStack() {
  if (mainStack.high != 0) return;
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
