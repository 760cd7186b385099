// Console output on Win32: the seam's console output procedures straight onto
// the console's own, with one exception: a scroll whose destination leaves
// the buffer, which Wine's console refuses, is redone inside the buffer.
#include "platform/platform.h"
#include "platform/win32/scroll_plan.h"
#include "platform/win32/win32_api.h"

namespace platform {

using win32::NativeCell;
using win32::NativeCoord;
using win32::NativeHandle;

namespace {

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
  const win32::ScrollPlan plan =
      win32::PlanScrollInsideBuffer({buffer.dwSize.X, buffer.dwSize.Y}, scroll, clip, destination);
  const CHAR_INFO fillCell = NativeCell(fill);
  const SMALL_RECT source = win32::NativeRect(plan.source);
  const SMALL_RECT clipRect = win32::NativeRect(plan.clip);
  if (plan.move) {
    ScrollConsoleScreenBufferA(output, &source, &clipRect, NativeCoord(plan.destination),
                               &fillCell);
  }
  for (int i = 0; i < plan.fillCount; ++i) FillRect(output, plan.fills[i], fill, buffer.dwSize.X);
}

}  // namespace

// The Windows console is the program's already: nothing to take or give back.
// Whether `output` is one, the screen buffer query tells.
bool OpenConsole(Handle) {
  return true;
}

void CloseConsole(Handle) {}

bool QueryScreen(Handle output, ScreenInfo& info) {
  CONSOLE_SCREEN_BUFFER_INFO buffer;
  if (!GetConsoleScreenBufferInfo(NativeHandle(output), &buffer)) return false;
  info.size = {buffer.dwSize.X, buffer.dwSize.Y};
  info.cursor = {buffer.dwCursorPosition.X, buffer.dwCursorPosition.Y};
  info.attribute = buffer.wAttributes;
  return true;
}

Handle OpenConsoleOutput() {
  const HANDLE console =
      CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  return win32::SeamHandle(console);
}

uint32_t PlatformId() {
  return win32::OperatingSystemVersion().dwPlatformId;
}

void SetCursor(Handle output, Coord position) {
  SetConsoleCursorPosition(NativeHandle(output), NativeCoord(position));
}

// A buffer of one cell written into a region of one cell: nothing of the
// console's text processing runs, and its cursor stays.
void WriteCell(Handle output, Coord position, Cell cell) {
  const CHAR_INFO source = NativeCell(cell);
  SMALL_RECT region = {position.x, position.y, position.x, position.y};
  WriteConsoleOutputA(NativeHandle(output), &source, COORD{1, 1}, COORD{0, 0}, &region);
}

void ScrollCells(Handle output, const Rect& scroll, const Rect* clip, Coord destination,
                 Cell fill) {
  const SMALL_RECT scrollRect = win32::NativeRect(scroll);
  const SMALL_RECT clipRect = clip != nullptr ? win32::NativeRect(*clip) : SMALL_RECT{};
  const CHAR_INFO fillCell = NativeCell(fill);
  if (!ScrollConsoleScreenBufferA(NativeHandle(output), &scrollRect,
                                  clip != nullptr ? &clipRect : nullptr, NativeCoord(destination),
                                  &fillCell)) {
    ScrollInsideBuffer(NativeHandle(output), scroll, clip, destination, fill);
  }
}

void FillCell(Handle output, Coord position, Cell cell) {
  DWORD done = 0;
  FillConsoleOutputCharacterA(NativeHandle(output), CHAR(cell.character), 1, NativeCoord(position),
                              &done);
  FillConsoleOutputAttribute(NativeHandle(output), cell.attribute, 1, NativeCoord(position), &done);
}

}  // namespace platform
