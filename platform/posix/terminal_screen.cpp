// Measuring the terminal (TIOCGWINSZ, the fallback size when it reports none)
// and flushing the screen buffer to it. The bytes sent are the renderer's
// (terminal_output.cpp lists them).
#include "platform/posix/terminal_screen.h"

#include <sys/ioctl.h>

#include <cstdint>

#include "platform/posix/terminal.h"
#include "platform/posix/terminal_signals.h"
#include "platform/posix/terminal_undo.h"
#include "platform/posix/write_all.h"

namespace platform::posix {

namespace {

constexpr uint8_t defaultAttribute = 0x07;

void SinkToTerminal(void*, const char* bytes, int32_t count) {
  WriteAll(session.outputFd, bytes, count);
}

// The terminal's size in cells. The sides may exceed what the screen buffer's
// 16-bit coordinates can hold.
void MeasureTerminal(int fd, int& width, int& height) {
  winsize size = {};
  const bool known = ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 && size.ws_row > 0;
  width = known ? size.ws_col : fallbackScreenSize.x;
  height = known ? size.ws_row : fallbackScreenSize.y;
}

int16_t ClippedSide(int side) {
  return side > INT16_MAX ? int16_t(INT16_MAX) : int16_t(side);
}

}  // namespace

bool PrepareScreen(int fd) {
  int width, height;
  MeasureTerminal(fd, width, height);
  if (width > INT16_MAX || height > INT16_MAX) return false;
  if (!InitScreenBuffer(session.model, int16_t(width), int16_t(height))) return false;
  session.model.attribute = defaultAttribute;
  return InitRenderer(session.renderer, session.model, int16_t(width), int16_t(height),
                      {SinkToTerminal, nullptr});
}

void RenderScreen() {
  if (!session.started) return;
  // Whatever left the terminal restored while the program goes on (a stop that
  // never came), the program's settings are back before it draws again.
  ReapplyTerminalChanges();
  if (TakeResize()) {
    int width, height;
    MeasureTerminal(session.outputFd, width, height);
    // A terminal wider than the buffer can be shows all of it.
    RenderResize(session.renderer, ClippedSide(width), ClippedSide(height));
  }
  if (TakeRepaint()) RenderInvalidate(session.renderer);
  RenderChanges(session.renderer, session.model);
}

void FlushScreen() {
  if (!session.started) return;
  RenderScreen();
  SendRenderOutput(session.renderer);
}

}  // namespace platform::posix
