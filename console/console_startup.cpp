// ConsoleStartup: the console found and taken through the standard output
// handle, else opened directly (OpenConsoleOutput); measured once
// (QueryScreen); the standard streams bound to the window and the line editor.
// ConsoleShutdown gives the console back.
#include "console/console_startup.h"

#include "console/console_state.h"
#include "runtime/program.h"

namespace console {

namespace {

ConsoleState& state = consoleState;

constexpr uint32_t ntFamily = 2;

[[noreturn]] void StartupFailure(runtime::TextRef message) {
  runtime::WriteText(0, runtime::standardError, message);
  runtime::WriteLineEnd(runtime::standardError);
  runtime::CheckIo();
  runtime::StopProgram(1);
}

// Takes the console behind `handle` and asks what it reports.
bool TakeConsole(platform::Handle handle, platform::ScreenInfo& info) {
  return platform::OpenConsole(handle) && platform::QueryScreen(handle, info);
}

// The output handle, and what the console reports of it.
platform::ScreenInfo FindConsole() {
  platform::ScreenInfo info;
  if (TakeConsole(state.outputHandle, info)) return info;
  // Standard output is not the console (a file, a pipe): go to it directly.
  state.outputHandle = platform::OpenConsoleOutput();
  if (state.outputHandle == platform::invalidHandle) {
    StartupFailure("No way to get the console handle");
  }
  if (!TakeConsole(state.outputHandle, info)) {
    StartupFailure("No way to get console screen buffer info");
  }
  return info;
}

void BindStandardOutput() {
  BindConsoleStream(runtime::standardOutput);
  runtime::OpenForOutput(runtime::standardOutput);
  runtime::CheckIo();
  runtime::standardOutput.handle = state.outputHandle;
}

void BindStandardInput() {
  BindConsoleStream(runtime::standardInput);
  runtime::OpenForInput(runtime::standardInput);
  runtime::CheckIo();
  runtime::standardInput.handle = state.inputHandle;
}

}  // namespace

void ConsoleStartup() {
  state.outputHandle = platform::StdHandle(platform::StdHandleId::output);
  state.inputHandle = platform::StdHandle(platform::StdHandleId::input);
  const platform::ScreenInfo info = FindConsole();
  state.cursorColumn = info.cursor.x;
  state.cursorRow = info.cursor.y;
  state.textAttribute = uint8_t(info.attribute);
  state.screenWidth = QueryBufferWidth();
  state.screenHeight = QueryBufferHeight();
  state.ntPlatform = QueryPlatformId() == ntFamily;
  state.windowLeft = 1;
  state.windowTop = 1;
  state.windowRight = state.screenWidth;
  state.windowBottom = state.screenHeight;
  state.altCodeActive = false;
  state.altCodeValue = 0;
  BindStandardOutput();
  BindStandardInput();
}

void ConsoleShutdown() {
  platform::CloseConsole(state.outputHandle);
}

int32_t QueryBufferWidth() {
  platform::ScreenInfo info;
  return platform::QueryScreen(state.outputHandle, info) ? info.size.x
                                                         : platform::fallbackScreenSize.x;
}

int32_t QueryBufferHeight() {
  platform::ScreenInfo info;
  return platform::QueryScreen(state.outputHandle, info) ? info.size.y
                                                         : platform::fallbackScreenSize.y;
}

uint32_t QueryPlatformId() {
  return platform::PlatformId();
}

}  // namespace console
