// EditLine: keys from WaitKey, echo through PutConsoleChar at the work cursor,
// the line edited in place in the stream's buffer. Typing overwrites; Left,
// Right, Home and End move; Backspace removes only at the end of the line;
// Esc and Ctrl+Y clear the line; Enter takes the whole line wherever the
// cursor stands. Every byte the line holds shows as one cell: a key whose echo
// would take none (a bell, a line feed) is dropped. A line longer than the
// window is wide wraps onto the next rows; moving back over such a wrap takes
// the echo to the end of the row above, so the screen always shows the line as
// the buffer holds it.
#include "console/line_editor.h"

#include "console/console_state.h"
#include "console/key_codes.h"
#include "console/keyboard.h"
#include "console/window.h"

namespace console {

namespace {

using runtime::TextStream;

ConsoleState& state = consoleState;

// The keys of the line's own, beside those of key_codes.h.
enum Key : uint8_t {
  keyCtrlS = 19,
  keyCtrlY = 25,
  keyCtrlZ = 26,
};

enum ExtendedKey : uint8_t { extHome = 71, extLeft = 75, extRight = 77, extEnd = 79 };

void Echo(uint8_t c) {
  PutConsoleChar(c);
}

// One cell back: a backspace within the row, or back over the wrap to the
// last column of the row above (a backspace never leaves its row).
void EchoBack() {
  if (state.workColumn > state.windowLeft || state.workRow <= state.windowTop) {
    Echo(keyBackspace);
    return;
  }
  state.workColumn = state.windowRight;
  --state.workRow;
}

void MoveLeft(TextStream& line) {
  if (line.bufferPos == 0) return;
  --line.bufferPos;
  EchoBack();
}

// Moving right writes the line's own byte again.
void MoveRight(TextStream& line) {
  if (line.bufferPos >= line.bufferEnd) return;
  Echo(uint8_t(line.bufferRef[line.bufferPos]));
  ++line.bufferPos;
}

void MoveToEnd(TextStream& line) {
  while (line.bufferPos < line.bufferEnd) MoveRight(line);
}

void ExtendedKey(TextStream& line, uint8_t code) {
  switch (code) {
    case extHome:
      while (line.bufferPos > 0) MoveLeft(line);
      break;
    case extLeft:
      MoveLeft(line);
      break;
    case extRight:
      MoveRight(line);
      break;
    case extEnd:
      MoveToEnd(line);
      break;
    default:  // every other key without a character does nothing
      break;
  }
}

// The echo goes to the end of the line first, so that erasing from there
// blanks the line's own cells and nothing before it.
void ClearLine(TextStream& line) {
  MoveToEnd(line);
  while (line.bufferEnd > 0) EraseLastChar(line);
}

// A full line drops further bytes without echo; CR LF always still fit. A
// byte whose echo would take no cell is dropped the same way, or the erasing
// keys would work that many cells off the line.
void TypeByte(TextStream& line, uint8_t c) {
  if (line.bufferPos >= line.bufferSize - 2 || !TakesOneCell(c)) return;
  line.bufferRef[line.bufferPos++] = char(c);
  Echo(c);
}

// CR LF from the line's end, so that what follows starts below the line's
// last row, not over its continuation.
void EndLine(TextStream& line) {
  MoveToEnd(line);
  Echo('\r');
  Echo('\n');
  line.bufferRef[line.bufferEnd] = '\r';
  line.bufferRef[line.bufferEnd + 1] = '\n';
  line.bufferEnd += 2;
}

// Acts on one key; false when it ended the line.
bool HandleKey(TextStream& line, uint8_t key) {
  switch (key) {
    case keyExtended:
      ExtendedKey(line, WaitKey());
      return true;
    case keyBackspace:
    case keyCtrlS:
      EraseLastChar(line);
      return true;
    case keyEnter:
      EndLine(line);
      return false;
    case keyCtrlY:
    case keyEsc:
      ClearLine(line);
      return true;
    case keyCtrlZ:
      return true;
    default:
      TypeByte(line, key);
      return true;
  }
}

}  // namespace

int EditLine(TextStream& stream) {
  LoadWorkCursor(state.workColumn, state.workRow);
  stream.bufferPos = 0;
  stream.bufferEnd = 0;
  bool editing = true;
  while (editing) {
    if (stream.bufferPos > stream.bufferEnd) stream.bufferEnd = stream.bufferPos;
    MoveConsoleCursor(state.workColumn, state.workRow);
    editing = HandleKey(stream, WaitKey());
  }
  stream.bufferPos = 0;
  MoveConsoleCursor(state.workColumn, state.workRow);
  return 0;
}

void EraseLastChar(TextStream& stream) {
  if (stream.bufferPos == 0 || stream.bufferPos != stream.bufferEnd) return;
  EchoBack();
  Echo(' ');
  EchoBack();
  --stream.bufferPos;
  --stream.bufferEnd;
}

int ConsoleInputFlushHook(TextStream&) {
  return 0;
}

}  // namespace console
