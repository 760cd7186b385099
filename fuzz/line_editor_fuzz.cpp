// The line editor driven by arbitrary keys on a small console: before every
// key the edit position and the line's length stay within the line's
// capacity, and every delivered line ends in CR LF. While the window has not
// scrolled under a line, the screen shows the line cell for cell from where it
// started, the cursor stands at the edit position, and Enter leaves the cursor
// at the start of the row below the line.
#include <cstdint>
#include <cstdlib>

#include "console/console_state.h"
#include "console/line_editor.h"
#include "runtime/text_stream.h"
#include "tests/fake/fake_platform.h"

namespace {

using runtime::standardInput;

void CheckLine() {
  const runtime::TextStream& line = standardInput;
  if (line.bufferPos < 0 || line.bufferPos > line.bufferEnd) std::abort();
  if (line.bufferEnd > line.bufferSize - 2) std::abort();
}

// Where the line being edited started: the cell the echo began at, counted
// row by row from the top-left cell.
int lineStart = 0;

int CellIndex(int column, int row) {
  return (row - 1) * console::consoleState.windowRight + column - 1;
}

bool ScrolledSinceLineStart() {
  return fake::CountCalls(fake::ConsoleCall::scrollCells) > 0;
}

void StartLine() {
  const console::ConsoleState& s = console::consoleState;
  lineStart = CellIndex(s.cursorColumn + 1, s.cursorRow + 1);
  fake::ClearCalls();
}

void CheckEcho() {
  if (ScrolledSinceLineStart()) return;
  const console::ConsoleState& s = console::consoleState;
  const runtime::TextStream& line = standardInput;
  if (CellIndex(s.workColumn, s.workRow) != lineStart + line.bufferPos) std::abort();
  for (int i = 0; i < line.bufferEnd; ++i) {
    const int cell = lineStart + i;
    const platform::ScreenCell& shown =
        platform::ScreenCellAt(fake::screen, cell % s.windowRight, cell / s.windowRight);
    if (shown.character != uint8_t(line.ownBuffer[i])) std::abort();
  }
}

void CheckEndOfLine() {
  if (ScrolledSinceLineStart()) return;
  const console::ConsoleState& s = console::consoleState;
  const int typed = standardInput.bufferEnd - 2;
  const int rowBelow = (lineStart + typed) / s.windowRight + 1;
  if (s.cursorColumn != 0 || s.cursorRow != rowBelow) std::abort();
}

void CheckWorkCursor() {
  const console::ConsoleState& s = console::consoleState;
  if (s.workColumn < s.windowLeft || s.workColumn > s.windowRight) std::abort();
  if (s.workRow < s.windowTop || s.workRow > s.windowBottom) std::abort();
}

// Key events from the input: a selector byte, then the key's bytes.
void QueueKeys(const uint8_t* data, size_t size) {
  static constexpr uint16_t extended[][2] = {{0x25, 75}, {0x27, 77}, {0x24, 71}, {0x23, 79},
                                             {0x26, 72}, {0x2E, 83}, {0x70, 59}};
  for (size_t at = 0; at + 1 < size; at += 2) {
    const uint8_t selector = data[at];
    const uint8_t value = data[at + 1];
    if (selector < 64) {
      const auto& key = extended[value % 7];
      fake::QueueKey(key[0], key[1], 0, platform::enhancedKey);
    } else if (selector < 80) {
      fake::QueueKey(0x0D, 0x1C, 13);
    } else {
      fake::QueueKey(0, 0, value);
    }
  }
  fake::QueueKey(0x0D, 0x1C, 13);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  fake::StartConsole(int16_t(1 + data[0] % 40), int16_t(1 + data[1] % 12));
  fake::state.onPause = [] {
    CheckLine();
    CheckWorkCursor();
    CheckEcho();
  };
  fake::state.starvationLimit = 0;  // the queue empty: the run is over
  QueueKeys(data + 2, size - 2);
  fake::TakesExit([] {
    for (;;) {
      StartLine();
      console::EditLine(standardInput);
      const int end = standardInput.bufferEnd;
      if (end < 2 || standardInput.ownBuffer[end - 2] != '\r' ||
          standardInput.ownBuffer[end - 1] != '\n') {
        std::abort();
      }
      CheckEndOfLine();
    }
  });
  return 0;
}
