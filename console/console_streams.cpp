// The routine slots of streams bound to the console: output into the window
// through PutConsoleChar, input through the line editor.
#include "console/console_startup.h"
#include "console/console_state.h"
#include "console/line_editor.h"
#include "console/window.h"

namespace console {

using runtime::TextStream;

void BindConsoleStream(TextStream& stream) {
  runtime::AssignStream(stream, "");
  stream.openHook = ConsoleOpenHook;
}

int ConsoleOpenHook(TextStream& stream) {
  if (stream.mode == runtime::modeOutput) {
    stream.inOutDriver = ConsoleWriteDriver;
    stream.flushHook = ConsoleWriteDriver;
  } else {
    stream.mode = runtime::modeInput;
    stream.inOutDriver = EditLine;
    stream.flushHook = ConsoleInputFlushHook;
  }
  stream.closeHook = ConsoleCloseHook;
  return 0;
}

// Runs for a full buffer and at the end of every statement; with nothing
// waiting it only sets the console's cursor again where it is.
int ConsoleWriteDriver(TextStream& stream) {
  ConsoleState& state = consoleState;
  LoadWorkCursor(state.workColumn, state.workRow);
  for (int i = 0; i < stream.bufferPos; ++i) PutConsoleChar(uint8_t(stream.ownBuffer[i]));
  MoveConsoleCursor(state.workColumn, state.workRow);
  stream.bufferPos = 0;
  return 0;
}

int ConsoleCloseHook(TextStream& stream) {
  stream.mode = runtime::modeClosed;
  return 0;
}

}  // namespace console
