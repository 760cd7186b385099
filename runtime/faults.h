// Processor faults as fatal run-time errors: the fault table keyed by the
// Win32 exception code, the filter the platform asks, and the routine the
// faulting thread resumes in.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace runtime {

// The floating-point control word loaded at start-up and after a floating-point
// fault: round to nearest, 64-bit precision, traps on invalid operation,
// division by zero and overflow.
inline constexpr uint16_t floatingPointControl = 0x1332;

struct FaultRow {
  uint32_t exceptionCode;
  uint8_t errorNumber;
  bool resetFloatingPoint;
};

// The row for an exception code; null for a code the table does not list.
const FaultRow* FindFault(uint32_t exceptionCode);

// A fault waiting to be raised by ResumeAsRunError.
struct PendingFault {
  uintptr_t address;  // the faulting instruction
  uintptr_t frame;    // the frame register at the fault
  uint8_t errorNumber;
  bool resetFloatingPoint;
};

inline constexpr int pendingFaultCapacity = 16;

struct PendingFaultTable {
  PendingFault entries[pendingFaultCapacity];
  uint8_t count;
};

extern PendingFaultTable pendingFaults;

// Takes a fault of the table on the main thread's stack: records it and asks
// the platform to resume in ResumeAsRunError. Any other fault is left to the
// platform's default handling.
bool FaultFilter(const platform::FaultRecord& fault);

// Runs in place of the faulting instruction: raises the newest pending fault.
[[noreturn]] void ResumeAsRunError();

}  // namespace runtime
