// The frame the program runs in: start-up, the module table and its order,
// the one way out of the process, and the fatal failures with their report.
#pragma once

#include <cstdint>

#include "runtime/command_line.h"

namespace runtime {

using MainProgram = void (*)();
using ModuleRoutine = void (*)();

// A module's start-up and shut-down; either may be absent.
struct Module {
  ModuleRoutine initialize;
  ModuleRoutine finalize;
};

// The most modules a program has: the interactive program's four.
inline constexpr int moduleCount = 4;

struct ModuleTable {
  uint8_t count;             // modules in the table: 4, or 3 without the console layer
  uint8_t initializedCount;  // modules whose initialisation has returned, in table order
  Module modules[moduleCount];
};

extern ModuleTable moduleTable;

// The first three modules of every program built on this runtime, in order.
// The fourth, the console layer, belongs to the interactive program; the
// one-shot program has none.
extern const Module runtimeModule;    // binds the four standard streams
extern const Module textsModule;      // the table of replaceable texts: empty
extern const Module diskSpaceModule;  // a disk-space query nothing uses

// Process entry: installs the fault filter, sets up the floating-point unit,
// takes the program's modules (`count` of them, in order) into the module
// table and its command line, and calls the main program with the frame chain
// ending there. Never returns.
[[noreturn]] void StartProgramWith(MainProgram mainProgram, const Module* modules, int count,
                                   CommandLine line);

template <int Count>
[[noreturn]] void StartProgram(MainProgram mainProgram, const Module (&modules)[Count],
                               CommandLine line = {}) {
  static_assert(Count >= 1 && Count <= moduleCount);
  StartProgramWith(mainProgram, modules, Count, line);
}

// First action of the main program: initialises the modules in table order.
void InitModules();

// Finalises the initialised modules in reverse order.
void FinalizeModules();

// Last action of the main program, and the one way out of the process:
// finalises the initialised modules, writes the failure report when a failure
// was recorded, and ends the process with the exit code.
[[noreturn]] void ExitProgram();

// Ends the process with the given exit code and no report.
[[noreturn]] void StopProgram(uint16_t code);

// Turns a pending I/O error into a fatal failure at the caller's statement.
void CheckIo();

// Ends the process with the failure report for `number`, at the caller.
[[noreturn]] void RaiseRunError(uint16_t number);

// Records a failure at a code address and frame and takes the exit.
[[noreturn]] void FailAt(uint16_t number, uintptr_t address, uintptr_t frame);

}  // namespace runtime
