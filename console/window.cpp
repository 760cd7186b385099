// The window model over the console screen buffer: clearing, cursor moves,
// and character output one cell at a time with the layer's own wrap and
// scroll.
#include "console/window.h"

#include "console/console_state.h"

namespace console {

namespace {

ConsoleState& state = consoleState;

constexpr uint8_t bell = 7;
constexpr uint8_t backspace = 8;
constexpr uint8_t lineFeed = 10;
constexpr uint8_t carriageReturn = 13;

platform::Cell Blank() {
  return {' ', state.textAttribute};
}

// The window in the console's 0-based coordinates.
platform::Rect WindowRect() {
  return {int16_t(state.windowLeft - 1), int16_t(state.windowTop - 1),
          int16_t(state.windowRight - 1), int16_t(state.windowBottom - 1)};
}

// Runs only where the platform identifier is not 2, which none of netstep's
// platforms reports. The older platform family: three scrolls that each move
// the content within the window by a third of its height (of its width for a
// single row), which together leave every cell blank; a single cell is set
// directly.
void ClearByThreeScrolls(const platform::Rect& window) {
  const int height = state.windowBottom - state.windowTop + 1;
  const int width = state.windowRight - state.windowLeft + 1;
  if (height == 1 && width == 1) {
    platform::FillCell(state.outputHandle, {window.left, window.top}, Blank());
    return;
  }
  const bool alongColumns = height == 1;
  const int extent = alongColumns ? width : height;
  const int16_t step = int16_t((extent + 2) / 3);
  const platform::Coord destination =
      alongColumns ? platform::Coord{int16_t(window.left + step), window.top}
                   : platform::Coord{window.left, int16_t(window.top + step)};
  for (int pass = 0; pass < 3; ++pass) {
    platform::ScrollCells(state.outputHandle, window, &window, destination, Blank());
  }
}

// The control characters that take no cell.
void MoveWorkCursor(uint8_t c) {
  switch (c) {
    case backspace:
      if (state.workColumn > state.windowLeft) --state.workColumn;
      break;
    case lineFeed:
      ++state.workRow;
      break;
    case carriageReturn:
      state.workColumn = state.windowLeft;
      break;
    default:  // the bell: nothing at all
      break;
  }
}

}  // namespace

void ClearWindow() {
  const platform::Rect window = WindowRect();
  if (state.ntPlatform) {
    // The destination lies wholly outside the window: every cell takes the fill.
    const platform::Coord away = {int16_t(-state.windowRight), int16_t(-state.windowBottom)};
    platform::ScrollCells(state.outputHandle, window, &window, away, Blank());
  } else {
    ClearByThreeScrolls(window);
  }
  PlaceCursor(1, 1);
}

void PlaceCursor(uint8_t column, uint8_t row) {
  if (column == 0 || column > state.windowRight - state.windowLeft + 1) return;
  if (row == 0 || row > state.windowBottom - state.windowTop + 1) return;
  MoveConsoleCursor(column + state.windowLeft - 1, row + state.windowTop - 1);
}

void MoveConsoleCursor(int32_t column, int32_t row) {
  platform::SetCursor(state.outputHandle, {int16_t(column - 1), int16_t(row - 1)});
  state.cursorColumn = column - 1;
  state.cursorRow = row - 1;
}

void LoadWorkCursor(int32_t& column, int32_t& row) {
  column = state.cursorColumn + 1;
  row = state.cursorRow + 1;
}

void PutConsoleChar(uint8_t c) {
  if (TakesOneCell(c)) {
    platform::WriteCell(state.outputHandle,
                        {int16_t(state.workColumn - 1), int16_t(state.workRow - 1)},
                        {c, state.textAttribute});
    ++state.workColumn;
  } else {
    MoveWorkCursor(c);
  }
  if (state.workColumn > state.windowRight) {
    state.workColumn = state.windowLeft;
    ++state.workRow;
  }
  while (state.workRow > state.windowBottom) {
    DropWindowLine(1);
    --state.workRow;
  }
}

bool TakesOneCell(uint8_t c) {
  return c != bell && c != backspace && c != lineFeed && c != carriageReturn;
}

void DropWindowLine(int32_t row) {
  const platform::Rect below = {int16_t(state.windowLeft - 1), int16_t(state.windowTop + row - 2),
                                int16_t(state.windowRight - 1), int16_t(state.windowBottom - 1)};
  const platform::Coord upOne = {int16_t(state.windowLeft - 1), int16_t(state.windowTop + row - 3)};
  platform::ScrollCells(state.outputHandle, below, &below, upOne, Blank());
}

}  // namespace console
