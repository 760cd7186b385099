// ConsoleStartup: the console found through the standard output handle, else
// opened directly (OpenConsoleOutput); measured once (QueryScreen); the
// standard streams bound to the window and the line editor.
#include "console/console_startup.h"

#include "console/console_state.h"
#include "runtime/program.h"

namespace console {

namespace {

ConsoleState& state = consoleState;

constexpr int32_t fallbackWidth = 80;
constexpr int32_t fallbackHeight = 25;
constexpr uint32_t ntFamily = 2;

[[noreturn]] void StartupFailure(runtime::TextRef message) {
  runtime::WriteText(0, runtime::standardError, message);
  runtime::WriteLineEnd(runtime::standardError);
  runtime::CheckIo();
  runtime::StopProgram(1);
}

// The output handle, and what the console reports of it.
platform::ScreenInfo FindConsole() {
  platform::ScreenInfo info;
  if (platform::QueryScreen(state.outputHandle, info)) return info;
  // Standard output is not the console (a file, a pipe): go to it directly.
  state.outputHandle = platform::OpenConsoleOutput();
  if (state.outputHandle == platform::invalidHandle) {
    StartupFailure("No way to get the console handle");
  }
  if (!platform::QueryScreen(state.outputHandle, info)) {
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

int32_t QueryBufferWidth() {
  platform::ScreenInfo info;
  return platform::QueryScreen(state.outputHandle, info) ? info.size.x : fallbackWidth;
}

int32_t QueryBufferHeight() {
  platform::ScreenInfo info;
  return platform::QueryScreen(state.outputHandle, info) ? info.size.y : fallbackHeight;
}

uint32_t QueryPlatformId() {
  return platform::PlatformId();
}

}  // namespace console
