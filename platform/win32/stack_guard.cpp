// Room for the handling of a stack overflow: SetThreadStackGuarantee, found
// through GetProcAddress, and where the stack is committed in full (Wine), a
// guard page set with VirtualProtect where the overflow is due.
#include "platform/win32/stack_guard.h"

#include "platform/platform.h"
#include "platform/win32/win32_api.h"

namespace platform::win32 {

namespace {

// The dispatch of the exception and the filter run on what is left of the
// faulting stack: about 9 KiB under Wine 8 on x86-64, more than the one or two
// pages the system keeps by default.
constexpr ULONG overflowReserve = 32 * 1024;
constexpr uintptr_t pageSize = 4096;

using StackGuaranteeCall = BOOL(WINAPI*)(PULONG size);

// Windows before Vista (and XP x64) has no such call: the program must still
// start there, so it is looked up by name.
void SetStackGuarantee(ULONG bytes) {
  const HMODULE kernel = GetModuleHandleA("kernel32");
  const FARPROC found = kernel ? GetProcAddress(kernel, "SetThreadStackGuarantee") : nullptr;
  if (found == nullptr) return;
  // Through the generic function type, the one cast GCC takes as deliberate.
  reinterpret_cast<StackGuaranteeCall>(reinterpret_cast<void (*)()>(found))(&bytes);
}

}  // namespace

// The overflow comes when the stack's guard page moves into the guarantee above
// the stack's last page. Windows commits the stack as it grows, keeping the
// guard page just below, so that happens by itself. Wine commits the main
// thread's stack in full with its guard page at the very end, where the
// guarantee can no longer be honoured and the process is ended instead; a
// guard page just above the guarantee makes the overflow come in time.
void PrepareForStackOverflow() {
  SetStackGuarantee(overflowReserve);
  void* const due = reinterpret_cast<void*>(StackBounds().low + overflowReserve + 2 * pageSize);
  MEMORY_BASIC_INFORMATION region = {};
  if (VirtualQuery(due, &region, sizeof region) == 0 || region.State != MEM_COMMIT) return;
  DWORD previous = 0;
  VirtualProtect(due, pageSize, PAGE_READWRITE | PAGE_GUARD, &previous);
}

}  // namespace platform::win32
