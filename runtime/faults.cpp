// The fault table and the hand-over from the platform's fault handler to the
// program's one way out.
#include "runtime/faults.h"

#include "runtime/program.h"

namespace runtime {

PendingFaultTable pendingFaults;

namespace {

constexpr FaultRow faultTable[] = {
    {0x80000004, 217, false},  // single step
    {0xC0000005, 216, false},  // access violation
    {0xC0000006, 217, false},  // in-page error
    {0xC000001D, 217, false},  // illegal instruction
    {0xC000008C, 201, false},  // array bounds exceeded
    {0xC000008D, 216, true},   // floating-point denormal operand
    {0xC000008E, 200, true},   // floating-point division by zero
    {0xC0000090, 207, true},   // floating-point invalid operation
    {0xC0000091, 205, true},   // floating-point overflow
    {0xC0000092, 207, true},   // floating-point stack check
    {0xC0000093, 206, true},   // floating-point underflow
    {0xC0000094, 200, false},  // integer division by zero
    {0xC0000095, 215, false},  // integer overflow
    {0xC0000096, 217, false},  // privileged instruction
    {0xC00000FD, 202, false},  // stack overflow
};

}  // namespace

const FaultRow* FindFault(uint32_t exceptionCode) {
  for (const FaultRow& row : faultTable) {
    if (row.exceptionCode == exceptionCode) return &row;
  }
  return nullptr;
}

bool FaultFilter(const platform::FaultRecord& fault) {
  const uintptr_t frame = fault.onMainStack ? fault.frame : 0;
  const FaultRow* row = FindFault(fault.exceptionCode);
  if (row == nullptr || frame == 0) return false;
  if (pendingFaults.count >= pendingFaultCapacity) return false;
  pendingFaults.entries[pendingFaults.count++] = {fault.instruction, frame, row->errorNumber,
                                                  row->resetFloatingPoint};
  return true;
}

void ResumeAsRunError() {
  if (pendingFaults.count > 0) --pendingFaults.count;
  const PendingFault& entry = pendingFaults.entries[pendingFaults.count];
  if (entry.resetFloatingPoint) platform::ResetFloatingPoint(floatingPointControl);
  FailAt(entry.errorNumber, entry.address, entry.frame);
}

}  // namespace runtime
