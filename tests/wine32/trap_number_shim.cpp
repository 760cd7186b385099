// Preloaded into 32-bit Wine under qemu-i386: the emulator delivers fault
// signals with the trap number of their context set to -1, and Wine tells a
// page fault from a division by zero or an illegal instruction by that number
// alone. Every fault handler installed with sigaction is wrapped; the wrapper
// puts the number the processor would have given, derived from the signal and
// its code, before the real handler runs. The error code qemu does fill in
// (with the write bit of a page fault) is left as it is.
#include <dlfcn.h>
#include <signal.h>
#include <stdlib.h>
#include <ucontext.h>

namespace {

using SigactionFn = int (*)(int, const struct sigaction*, struct sigaction*);
using Handler = void (*)(int, siginfo_t*, void*);

// x86 exception vectors, and what qemu leaves in their place.
enum : int {
  trapUnknown = -1,
  trapDivide = 0,
  trapDebug = 1,
  trapBreakpoint = 3,
  trapOverflow = 4,
  trapInvalidOpcode = 6,
  trapProtection = 13,
  trapPageFault = 14,
  trapFloatingPoint = 16,
  trapAlignment = 17,
};

Handler wrapped[NSIG];  // the real SA_SIGINFO handler per fault signal, or null

bool IsFaultSignal(int signal) {
  return signal == SIGSEGV || signal == SIGBUS || signal == SIGILL || signal == SIGFPE ||
         signal == SIGTRAP;
}

int TrapNumber(int signal, int code) {
  switch (signal) {
    case SIGSEGV:
      return code == SEGV_MAPERR || code == SEGV_ACCERR ? trapPageFault : trapProtection;
    case SIGBUS:
      return code == BUS_ADRALN ? trapAlignment : trapPageFault;
    case SIGILL:
      return trapInvalidOpcode;
    case SIGFPE:
      return code == FPE_INTDIV   ? trapDivide
             : code == FPE_INTOVF ? trapOverflow
                                  : trapFloatingPoint;
    default:  // SIGTRAP
      return code == TRAP_TRACE ? trapDebug : trapBreakpoint;
  }
}

void Wrapper(int signal, siginfo_t* info, void* context) {
  auto* uc = static_cast<ucontext_t*>(context);
  greg_t& trap = uc->uc_mcontext.gregs[REG_TRAPNO];
  if (trap == trapUnknown) trap = TrapNumber(signal, info->si_code);
  wrapped[signal](signal, info, context);
}

// Only this process needs the shim: Wine's own processes that it starts are
// 64-bit ones, which could not load it.
[[gnu::constructor]] void KeepToThisProcess() {
  unsetenv("LD_PRELOAD");
}

SigactionFn RealSigaction() {
  static SigactionFn real = reinterpret_cast<SigactionFn>(dlsym(RTLD_NEXT, "sigaction"));
  return real;
}

}  // namespace

extern "C" int sigaction(int signal, const struct sigaction* action, struct sigaction* old) {
  if (signal <= 0 || signal >= NSIG || !IsFaultSignal(signal)) {
    return RealSigaction()(signal, action, old);
  }
  const Handler before = wrapped[signal];
  struct sigaction replacement;
  if (action) {
    replacement = *action;
    if (action->sa_flags & SA_SIGINFO) {
      wrapped[signal] = action->sa_sigaction;  // in place before the wrapper can run
      replacement.sa_sigaction = Wrapper;
    }
    action = &replacement;
  }
  const int result = RealSigaction()(signal, action, old);
  if (result != 0) {
    wrapped[signal] = before;
    return result;
  }
  // The caller sees its own handler, never the wrapper.
  if (old && (old->sa_flags & SA_SIGINFO) && old->sa_sigaction == Wrapper)
    old->sa_sigaction = before;
  return result;
}
