// Processor faults on x86-64 POSIX: the fault signals, taken on an alternate
// stack, become neutral fault records keyed by Win32 exception codes; a fault
// the runtime's filter takes resumes in the runtime's routine on a stack of
// its own, so even a stack overflow gets its report.
#include <signal.h>
#include <ucontext.h>

#include "platform/platform.h"
#include "platform/posix/process_internal.h"
#include "platform/posix/terminal_undo.h"

namespace platform {

namespace {

constexpr int faultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP};

// Below the lowest address of the main stack, how far a fault still counts as
// the stack running over its limit (the kernel keeps a gap of this size).
constexpr uintptr_t stackGuardReach = 1 << 20;

constexpr size_t stackSize = 64 * 1024;
alignas(16) char signalStack[stackSize];  // the handler runs here
alignas(16) char resumeStack[stackSize];  // the resume routine runs here

FaultFilter activeFilter = nullptr;
ResumeRoutine activeResume = nullptr;

bool NearMainStack(uintptr_t address) {
  const StackRange& stack = posix::mainStack;
  return address < stack.high && address + stackGuardReach >= stack.low;
}

uint32_t FloatingPointCode(int code) {
  switch (code) {
    case FPE_INTDIV:
      return 0xC0000094;
    case FPE_INTOVF:
      return 0xC0000095;
    case FPE_FLTDIV:
      return 0xC000008E;
    case FPE_FLTOVF:
      return 0xC0000091;
    case FPE_FLTUND:
      return 0xC0000093;
    case FPE_FLTRES:
      return 0xC000008F;  // inexact result: not a run-time error
    case FPE_FLTSUB:
      return 0xC000008C;
    default:
      return 0xC0000090;  // invalid operation
  }
}

uint32_t ExceptionCodeOf(int signal, const siginfo_t& info) {
  const uintptr_t address = reinterpret_cast<uintptr_t>(info.si_addr);
  switch (signal) {
    case SIGFPE:
      return FloatingPointCode(info.si_code);
    case SIGSEGV:
      return address < posix::mainStack.low && NearMainStack(address) ? 0xC00000FD : 0xC0000005;
    case SIGBUS:
      return 0xC0000006;
    case SIGILL:
      return info.si_code == ILL_PRVOPC || info.si_code == ILL_PRVREG ? 0xC0000096 : 0xC000001D;
    default:
      return info.si_code == TRAP_BRKPT ? 0x80000003 : 0x80000004;
  }
}

// A fault nobody takes: the terminal is put back and the signal's default
// action ends the process once the handler returns.
void PassOn(int signal) {
  posix::RestoreTerminal();
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigaction(signal, &action, nullptr);
  raise(signal);
}

void OnFault(int signal, siginfo_t* info, void* context) {
  // A fault signal sent by another process (kill) is no fault of this one.
  if (info->si_code <= 0) return PassOn(signal);
  auto& registers = static_cast<ucontext_t*>(context)->uc_mcontext.gregs;
  FaultRecord fault;
  fault.exceptionCode = ExceptionCodeOf(signal, *info);
  fault.instruction = uintptr_t(registers[REG_RIP]);
  fault.frame = uintptr_t(registers[REG_RBP]);
  fault.onMainStack = NearMainStack(uintptr_t(registers[REG_RSP]));
  if (activeFilter == nullptr || !activeFilter(fault)) return PassOn(signal);
  // Resume as if the routine had been called: return address slot below a
  // 16-byte aligned top, frame register as at the fault.
  registers[REG_RIP] = greg_t(reinterpret_cast<uintptr_t>(activeResume));
  registers[REG_RSP] = greg_t(reinterpret_cast<uintptr_t>(resumeStack + stackSize) - 8);
}

}  // namespace

void InstallFaultHandler(FaultFilter filter, ResumeRoutine resume) {
  posix::MeasureMainStack();
  activeFilter = filter;
  activeResume = resume;
  stack_t alternate = {};
  alternate.ss_sp = signalStack;
  alternate.ss_size = stackSize;
  sigaltstack(&alternate, nullptr);
  struct sigaction action = {};
  action.sa_sigaction = OnFault;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (int signal : faultSignals) sigaction(signal, &action, nullptr);
  // A write to a pipe nobody reads fails with an error the streams report,
  // instead of ending the process silently.
  signal(SIGPIPE, SIG_IGN);
}

void RemoveFaultHandler() {
  activeFilter = nullptr;
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  for (int signal : faultSignals) sigaction(signal, &action, nullptr);
}

}  // namespace platform
