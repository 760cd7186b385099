// The frame the program runs in: start-up, the module table and its order,
// the one way out of the process, and the fatal failures with their report.
#pragma once

#include <cstdint>

namespace runtime {

using MainProgram = void (*)();

// Process entry: installs the fault filter, sets up the floating-point unit and
// calls the main program with the frame chain ending there. Never returns.
[[noreturn]] void StartProgram(MainProgram mainProgram);

// First action of the main program: initialises the four modules in order.
void InitModules();

// Last action of the main program, and the one way out of the process:
// finalises the initialised modules, writes the failure report when a failure
// was recorded, and ends the process with exitCode.
[[noreturn]] void ExitProgram();

// Ends the process with the given exit code and no report.
[[noreturn]] void StopProgram(uint16_t code);

// Turns a pending I/O error into a fatal failure at the caller's statement.
void CheckIo();

// Ends the process with the failure report for `number`, at the caller.
[[noreturn]] void RaiseRunError(uint16_t number);

}  // namespace runtime
