// Reading and writing the console's cells in pieces that fit one call, and
// the rectangle scroll with Wine's refusal worked around.
#include "platform/win32/console_cells.h"

#include "platform/win32/scroll_plan.h"

namespace platform::win32 {

namespace {

// A call's cells travel through a buffer the console host copies; older
// systems took at most 64 KiB per call from a heap shared with other calls.
// 8192 cells of 4 bytes stay well inside that.
constexpr int cellsPerCall = 8192;
CHAR_INFO staging[cellsPerCall];

// Calls `each` with pieces of `area` in order: runs of whole rows of at most
// cellsPerCall cells, or pieces of a row where one row is wider than that.
template <typename Each>
void ForEachPiece(const Rect& area, Each each) {
  const int width = area.right - area.left + 1;
  const int columns = width < cellsPerCall ? width : cellsPerCall;
  const int rows = cellsPerCall / columns;
  for (int top = area.top; top <= area.bottom; top += rows) {
    const int bottom = top + rows - 1 < area.bottom ? top + rows - 1 : area.bottom;
    for (int left = area.left; left <= area.right; left += columns) {
      const int right = left + columns - 1 < area.right ? left + columns - 1 : area.right;
      each(Rect{int16_t(left), int16_t(top), int16_t(right), int16_t(bottom)});
    }
  }
}

COORD PieceSize(const Rect& piece) {
  return COORD{int16_t(piece.right - piece.left + 1), int16_t(piece.bottom - piece.top + 1)};
}

// The console clips the region to its buffer and reports what it read.
void ReadPiece(HANDLE output, ScreenBuffer& into, const Rect& piece) {
  const Cell blank = {' ', uint8_t(into.attribute)};
  for (int16_t y = piece.top; y <= piece.bottom; ++y) {
    for (int16_t x = piece.left; x <= piece.right; ++x) WriteScreenCell(into, {x, y}, blank);
  }
  const COORD size = PieceSize(piece);
  SMALL_RECT region = NativeRect(piece);
  if (!ReadConsoleOutputA(output, staging, size, COORD{0, 0}, &region)) return;
  for (int16_t y = region.Top; y <= region.Bottom; ++y) {
    for (int16_t x = region.Left; x <= region.Right; ++x) {
      const CHAR_INFO& cell = staging[(y - piece.top) * size.X + (x - piece.left)];
      WriteScreenCell(into, {x, y}, {uint8_t(cell.Char.AsciiChar), uint8_t(cell.Attributes)});
    }
  }
}

void WritePiece(HANDLE output, const ScreenBuffer& from, const Rect& piece) {
  const COORD size = PieceSize(piece);
  for (int16_t y = piece.top; y <= piece.bottom; ++y) {
    for (int16_t x = piece.left; x <= piece.right; ++x) {
      const ScreenCell& cell = ScreenCellAt(from, x, y);
      staging[(y - piece.top) * size.X + (x - piece.left)] =
          NativeCell({cell.character, cell.attribute});
    }
  }
  SMALL_RECT region = NativeRect(piece);
  WriteConsoleOutputA(output, staging, size, COORD{0, 0}, &region);
}

// Character and attribute over a rectangle: one run when it spans whole rows
// (a fill runs on into the next row), else one run per row.
void FillRect(HANDLE output, const Rect& rect, Cell fill, int16_t bufferWidth) {
  const DWORD width = DWORD(rect.right - rect.left + 1);
  const bool wholeRows = rect.left == 0 && rect.right == bufferWidth - 1;
  const int16_t lastRow = wholeRows ? rect.top : rect.bottom;
  const DWORD length = wholeRows ? width * DWORD(rect.bottom - rect.top + 1) : width;
  for (int16_t row = rect.top; row <= lastRow; ++row) {
    DWORD done = 0;
    FillConsoleOutputCharacterA(output, CHAR(fill.character), length, COORD{rect.left, row}, &done);
    FillConsoleOutputAttribute(output, fill.attribute, length, COORD{rect.left, row}, &done);
  }
}

// Wine's console refuses a destination outside the buffer, which Windows
// takes and the console layer uses to clear and to scroll up: there the same
// cells change through a scroll inside the buffer and fills.
void ScrollInsideBuffer(HANDLE output, const Rect& scroll, const Rect* clip, Coord destination,
                        Cell fill) {
  CONSOLE_SCREEN_BUFFER_INFO buffer;
  if (!GetConsoleScreenBufferInfo(output, &buffer)) return;
  const ScrollPlan plan =
      PlanScrollInsideBuffer({buffer.dwSize.X, buffer.dwSize.Y}, scroll, clip, destination);
  const CHAR_INFO fillCell = NativeCell(fill);
  const SMALL_RECT source = NativeRect(plan.source);
  const SMALL_RECT clipRect = NativeRect(plan.clip);
  if (plan.move) {
    ScrollConsoleScreenBufferA(output, &source, &clipRect, NativeCoord(plan.destination),
                               &fillCell);
  }
  for (int i = 0; i < plan.fillCount; ++i) FillRect(output, plan.fills[i], fill, buffer.dwSize.X);
}

}  // namespace

bool ReadConsoleCells(HANDLE output, ScreenBuffer& into) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(output, &info)) return false;
  into.attribute = info.wAttributes;
  SetScreenCursor(into, {info.dwCursorPosition.X, info.dwCursorPosition.Y});
  const Rect whole = {0, 0, int16_t(into.width - 1), int16_t(into.height - 1)};
  ForEachPiece(whole, [&](const Rect& piece) { ReadPiece(output, into, piece); });
  return true;
}

void WriteConsoleCells(HANDLE output, const ScreenBuffer& from, const Rect& area) {
  ForEachPiece(area, [&](const Rect& piece) { WritePiece(output, from, piece); });
}

void ScrollConsoleCells(HANDLE output, const Rect& scroll, const Rect* clip, Coord destination,
                        Cell fill) {
  const SMALL_RECT scrollRect = NativeRect(scroll);
  const SMALL_RECT clipRect = clip != nullptr ? NativeRect(*clip) : SMALL_RECT{};
  const CHAR_INFO fillCell = NativeCell(fill);
  if (!ScrollConsoleScreenBufferA(output, &scrollRect, clip != nullptr ? &clipRect : nullptr,
                                  NativeCoord(destination), &fillCell)) {
    ScrollInsideBuffer(output, scroll, clip, destination, fill);
  }
}

}  // namespace platform::win32
