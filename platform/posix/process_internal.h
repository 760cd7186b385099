// State of the process-life procedures shared between their files.
#pragma once

#include "platform/platform.h"

namespace platform::posix {

// The main thread's stack, measured once before any fault can arrive (the
// measurement is not safe inside a signal handler).
extern StackRange mainStack;
void MeasureMainStack();

}  // namespace platform::posix
