// The task driver: one task after another until the user answers "n".
#pragma once

#include "runtime/text_stream.h"

namespace calc {

// One task: clear the window, show the mask help table, read the address and
// the mask, then show the network view or report the input errors.
void RunTask();

// An input error code (1 to 3) in words on `stream`: "Error - " and the
// messages, each line ended by `endLine`.
void ReportInputErrors(uint8_t code, runtime::TextStream& stream, runtime::LineEndRoutine endLine);

// The main program: initialises the modules, runs tasks until the answer to
// the new-task prompt is a lowercase "n", and takes the normal exit.
[[noreturn]] void MainLoop();

}  // namespace calc
