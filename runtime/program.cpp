// Start-up, the module table and the one way out of the process.
#include "runtime/program.h"

#include "platform/platform.h"
#include "runtime/failure_report.h"
#include "runtime/faults.h"
#include "runtime/runtime_state.h"
#include "runtime/text_stream.h"

namespace runtime {

RunState runState;
ModuleTable moduleTable;

namespace {

void RuntimeStartup() {
  using platform::StdHandleId;
  platform::ReadStartupInformation();
  const platform::Handle input = platform::StdHandle(StdHandleId::input);
  const platform::Handle output = platform::StdHandle(StdHandleId::output);
  const platform::Handle error = platform::StdHandle(StdHandleId::error);
  runState.standardHandles[0] = input;
  runState.standardHandles[1] = output;
  runState.standardHandles[2] = error;
  BindStdStream(standardInput, modeInput, input);
  BindStdStream(standardOutput, modeOutput, output);
  BindStdStream(reportStream, modeOutput, output);
  BindStdStream(standardError, modeOutput, error);
  ioResult = 0;
}

// The program's replaceable named texts; none exist in this system.
int replaceableTextCount = 0;
void ResetReplaceableTexts() {
  replaceableTextCount = 0;
}
void NoFinalization() {}

}  // namespace

const Module runtimeModule = {RuntimeStartup, nullptr};
const Module textsModule = {ResetReplaceableTexts, NoFinalization};
// Runs at every start-up and end, and nothing reads what it finds: the
// free-space query of the disk, kept where the platform has one.
const Module diskSpaceModule = {platform::OpenDiskSpaceQuery, platform::CloseDiskSpaceQuery};

void StartProgramWith(MainProgram mainProgram, const Module* modules, int count, CommandLine line) {
  platform::InstallFaultHandler(FaultFilter, ResumeAsRunError);
  platform::ResetFloatingPoint(floatingPointControl);
  moduleTable.count = uint8_t(count);
  moduleTable.initializedCount = 0;
  for (int i = 0; i < count; ++i) moduleTable.modules[i] = modules[i];
  commandLine = line;
  platform::CallWithFrameChainEnd(mainProgram);
  ExitProgram();  // only if the main program returned
}

void InitModules() {
  for (int i = 0; i < moduleTable.count; ++i) {
    if (moduleTable.modules[i].initialize != nullptr) moduleTable.modules[i].initialize();
    moduleTable.initializedCount = uint8_t(i + 1);
  }
}

void FinalizeModules() {
  while (moduleTable.initializedCount > 0) {
    const int index = --moduleTable.initializedCount;
    if (moduleTable.modules[index].finalize != nullptr) moduleTable.modules[index].finalize();
  }
}

void ExitProgram() {
  // A failure while already on the way out (in a finalisation or in the
  // report itself) ends the process at once instead of starting over.
  if (!runState.exiting) {
    runState.exiting = true;
    FinalizeModules();
    if (runState.errorAddress != 0) WriteFailureReport();
  }
  platform::RemoveFaultHandler();
  platform::ExitProcess(runState.exitCode);
}

void StopProgram(uint16_t code) {
  runState.exitCode = code;
  ExitProgram();
}

void FailAt(uint16_t number, uintptr_t address, uintptr_t frame) {
  if (runState.exiting) {
    // Keep the first failure's number: it is what the report already names.
    if (runState.exitCode == 0) runState.exitCode = number;
    ExitProgram();
  }
  runState.errorCode = number;
  runState.exitCode = number;
  runState.errorAddress = address;
  runState.errorFrame = frame;
  ExitProgram();
}

}  // namespace runtime
