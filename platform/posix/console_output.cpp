// Console output on POSIX: the console is the terminal session, opened and
// closed here; the seam's cell writes, cursor moves, rectangle scrolls and
// fills act on the in-memory screen buffer. What is drawn reaches the terminal
// in one write when the program is about to wait for a key (console_input.cpp)
// and when the session closes. A scroll is rendered in its place among the
// changes: what it moves is rendered before it, a scroll of the whole buffer
// becomes a real terminal scroll, and the rows it leaves blank are rendered
// before anything is drawn on them, so a cleared screen is one erase.
#include <unistd.h>

#include "platform/platform.h"
#include "platform/posix/terminal.h"
#include "platform/posix/terminal_screen.h"

namespace platform {

using posix::session;

namespace {

bool IsConsole(Handle handle) {
  return session.started && int(handle) == session.outputFd;
}

}  // namespace

bool OpenConsole(Handle output) {
  if (session.started) return IsConsole(output);
  return posix::OpenTerminalSession(int(output));
}

void CloseConsole(Handle) {
  posix::CloseTerminalSession();
}

bool QueryScreen(Handle output, ScreenInfo& info) {
  if (!IsConsole(output)) return false;
  info.size = {session.model.width, session.model.height};
  info.cursor = session.model.cursor;
  info.attribute = session.model.attribute;
  return true;
}

Handle OpenConsoleOutput() {
  const int fd = posix::OpenControllingTerminal();
  return fd < 0 ? invalidHandle : Handle(fd);
}

// The console layer clears with a single scroll, as on the NT family.
uint32_t PlatformId() {
  return 2;
}

void SetCursor(Handle output, Coord position) {
  if (!IsConsole(output)) return;
  SetScreenCursor(session.model, position);
}

void WriteCell(Handle output, Coord position, Cell cell) {
  if (IsConsole(output)) WriteScreenCell(session.model, position, cell);
}

void ScrollCells(Handle output, const Rect& scroll, const Rect* clip, Coord destination,
                 Cell fill) {
  if (!IsConsole(output)) return;
  posix::RenderScreen();
  const int lines = ScrollScreenCells(session.model, scroll, clip, destination, fill);
  if (lines > 0) posix::RenderScroll(session.renderer, lines);
  posix::RenderScreen();
}

void FillCell(Handle output, Coord position, Cell cell) {
  if (IsConsole(output)) FillScreenCell(session.model, position, cell);
}

}  // namespace platform
