// Console output on Win32: the seam's cell writes, fills, scrolls and cursor
// moves are drawn into memory (platform/screen_shadow.h), and the console is
// brought up to date in a few calls when the program waits for input,
// queries the screen, writes bytes past the console, gives it back or exits,
// and when Ctrl+C or Ctrl+Break ends the process. The console's cells are
// read once when it is opened, so that memory and console agree cell for cell.
#include "platform/win32/console_output.h"

#include "platform/screen_shadow.h"
#include "platform/win32/console_cells.h"
#include "platform/win32/win32_api.h"

namespace platform {

using win32::NativeHandle;

namespace {

struct ConsoleSession {
  bool open;              // a console has been opened: the fields below are in use
  Handle handle;          // its screen buffer, the one the program draws on
  ScreenShadow screen;    // what was drawn, and what the console shows
  bool stale;             // bytes were written to a console since it was last read
  CRITICAL_SECTION lock;  // the console control handler runs on a thread of its own
};

ConsoleSession session;

// Holds the session's lock for the rest of a procedure.
struct SessionLock {
  SessionLock() { EnterCriticalSection(&session.lock); }
  ~SessionLock() { LeaveCriticalSection(&session.lock); }
  SessionLock(const SessionLock&) = delete;
  SessionLock& operator=(const SessionLock&) = delete;
};

bool IsSession(Handle output) {
  return session.open && output == session.handle;
}

HANDLE Console() {
  return NativeHandle(session.handle);
}

void SendCells(void*, const ScreenBuffer& drawn, const Rect& area) {
  win32::WriteConsoleCells(Console(), drawn, area);
}

void SendScroll(void*, const Rect& scroll, const Rect* clip, Coord destination, Cell fill) {
  win32::ScrollConsoleCells(Console(), scroll, clip, destination, fill);
}

void SendCursor(void*, Coord position) {
  SetConsoleCursorPosition(Console(), win32::NativeCoord(position));
}

// The console's cells and cursor as they are now become the drawn screen.
bool ReadConsole() {
  session.stale = false;
  if (!win32::ReadConsoleCells(Console(), session.screen.shown)) return false;
  StartFromShown(session.screen);
  return true;
}

// Before drawing: what bytes written to the console changed is read first.
void CatchUp() {
  if (session.stale) ReadConsole();
}

// The process is about to end: what was drawn goes to the console first, and
// the system's own handler, which ends the process, runs next.
BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) win32::FlushConsole();
  return FALSE;
}

}  // namespace

// Nothing drawn after bytes were written to the console: nothing to show.
void win32::FlushConsole() {
  if (!session.open) return;
  SessionLock lock;
  if (!session.stale) FlushScreenShadow(session.screen);
}

void win32::NoteBytesWritten(Handle handle) {
  DWORD mode = 0;
  if (!session.open || !GetConsoleMode(NativeHandle(handle), &mode)) return;
  SessionLock lock;
  session.stale = true;
}

// Only one console is opened; opening it again answers whether it is the one.
bool OpenConsole(Handle output) {
  if (session.open) return output == session.handle;
  CONSOLE_SCREEN_BUFFER_INFO buffer;
  if (!GetConsoleScreenBufferInfo(NativeHandle(output), &buffer)) return false;
  const ShadowSink sink = {SendCells, SendScroll, SendCursor, nullptr};
  session.handle = output;
  if (!InitScreenShadow(session.screen, buffer.dwSize.X, buffer.dwSize.Y, sink) || !ReadConsole()) {
    ReleaseScreenShadow(session.screen);
    return false;
  }
  InitializeCriticalSection(&session.lock);
  session.open = true;
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  return true;
}

// The console stays the program's: anything drawn later is still shown.
void CloseConsole(Handle) {
  win32::FlushConsole();
}

// The console's own answer, once it shows what was drawn.
bool QueryScreen(Handle output, ScreenInfo& info) {
  win32::FlushConsole();
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
  if (!IsSession(output)) return;
  SessionLock lock;
  CatchUp();
  DrawShadowCursor(session.screen, position);
}

void WriteCell(Handle output, Coord position, Cell cell) {
  if (!IsSession(output)) return;
  SessionLock lock;
  CatchUp();
  DrawShadowCell(session.screen, position, cell);
}

void ScrollCells(Handle output, const Rect& scroll, const Rect* clip, Coord destination,
                 Cell fill) {
  if (!IsSession(output)) return;
  SessionLock lock;
  CatchUp();
  DrawShadowScroll(session.screen, scroll, clip, destination, fill);
}

void FillCell(Handle output, Coord position, Cell cell) {
  WriteCell(output, position, cell);
}

}  // namespace platform
