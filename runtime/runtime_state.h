// The run-time state shared by start-up, the failure report and the streams.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace runtime {

struct RunState {
  uint16_t errorCode;                   // run-time error number shown in the failure report
  uint16_t exitCode;                    // passed to the process exit; 0 for a normal end
  uintptr_t errorAddress;               // code address of the failure; non-zero asks for the report
  uintptr_t errorFrame;                 // frame active at the failure: where the back-trace starts
  platform::Handle standardHandles[3];  // input, output, error, obtained once at start-up
  bool exiting;  // the process is on its way out: a failure now skips finalisation and report
};

extern RunState runState;

}  // namespace runtime
