// Processor faults on Win32: the process's unhandled-exception filter
// (SetUnhandledExceptionFilter) turns the exception record and the thread's
// context into a neutral fault record; a fault the runtime's filter takes is
// resumed (EXCEPTION_CONTINUE_EXECUTION) in the runtime's routine on a stack of
// its own, so even a stack overflow gets its report.
#include <cstddef>

#include "platform/platform.h"
#include "platform/win32/stack_guard.h"
#include "platform/win32/win32_api.h"

namespace platform {

namespace {

constexpr size_t resumeStackSize = 64 * 1024;
alignas(16) char resumeStack[resumeStackSize];

struct FaultHandler {
  FaultFilter filter;         // the runtime's; null when no handler is installed
  ResumeRoutine resume;       // where a taken fault continues
  uint16_t mainStackSegment;  // the stack segment at installation, as the context shows it
};

FaultHandler handler;

// The registers of the context by their width: the only place the 32-bit and
// 64-bit builds differ here.
#if defined(_WIN64)
uintptr_t InstructionOf(const CONTEXT& context) {
  return uintptr_t(context.Rip);
}
uintptr_t FrameOf(const CONTEXT& context) {
  return uintptr_t(context.Rbp);
}

// As if called: a return address slot (empty) below the 32 bytes of shadow
// space the Win64 convention gives every callee, from a 16-byte aligned top.
void ResumeIn(CONTEXT& context, ResumeRoutine routine) {
  context.Rip = DWORD64(reinterpret_cast<uintptr_t>(routine));
  context.Rsp = DWORD64(reinterpret_cast<uintptr_t>(resumeStack + resumeStackSize) - 32 - 8);
}
#else
uintptr_t InstructionOf(const CONTEXT& context) {
  return uintptr_t(context.Eip);
}
uintptr_t FrameOf(const CONTEXT& context) {
  return uintptr_t(context.Ebp);
}

// As if called: a return address slot (empty) below a 16-byte aligned top.
void ResumeIn(CONTEXT& context, ResumeRoutine routine) {
  context.Eip = DWORD(reinterpret_cast<uintptr_t>(routine));
  context.Esp = DWORD(reinterpret_cast<uintptr_t>(resumeStack + resumeStackSize) - 4);
}
#endif

uint16_t StackSegment() {
  uint16_t segment = 0;
  asm volatile("mov %%ss, %0" : "=r"(segment));
  return segment;
}

// The frame register stays as at the fault: the back-trace starts there.
LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* pointers) {
  CONTEXT& context = *pointers->ContextRecord;
  FaultRecord fault;
  fault.exceptionCode = uint32_t(pointers->ExceptionRecord->ExceptionCode);
  fault.instruction = InstructionOf(context);
  fault.frame = FrameOf(context);
  fault.onMainStack = uint16_t(context.SegSs) == handler.mainStackSegment;
  if (handler.filter == nullptr || !handler.filter(fault)) return EXCEPTION_CONTINUE_SEARCH;
  ResumeIn(context, handler.resume);
  return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

void InstallFaultHandler(FaultFilter filter, ResumeRoutine resume) {
  handler.filter = filter;
  handler.resume = resume;
  handler.mainStackSegment = StackSegment();
  win32::PrepareForStackOverflow();
  SetUnhandledExceptionFilter(OnUnhandledException);
}

void RemoveFaultHandler() {
  handler.filter = nullptr;
  SetUnhandledExceptionFilter(nullptr);
}

}  // namespace platform
