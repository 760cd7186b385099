// The terminal session of the POSIX console: the tty found at start-up, put
// into raw mode without losing type-ahead, asked for the cursor position and
// the keyboard protocol, drawn through the renderer, and restored on every way
// out of the process.
#pragma once

#include <cstdint>

#include "platform/posix/key_decoder.h"
#include "platform/posix/renderer.h"
#include "platform/screen_buffer.h"

namespace platform::posix {

struct TerminalSession {
  bool started;          // the tty is in raw mode and measured
  int outputFd;          // the console's output: standard output or /dev/tty
  bool inputIsTerminal;  // standard input is the terminal: keys come from it
  ScreenBuffer model;    // the console's screen buffer
  Renderer renderer;     // keeps the terminal showing the model
  KeyDecoder decoder;    // bytes of the terminal (or of redirected input) to key events
  InputQueue queue;      // decoded events not yet taken
  bool inputEnded;       // redirected input reached its end; the end event was queued
};

extern TerminalSession session;

// Starts the session on a terminal file descriptor. False when it is not one,
// when its size does not fit the screen buffer, or when raw mode cannot be
// set; the terminal is then as it was.
bool StartTerminalSession(int fd);

// Opens the controlling terminal for the console's output; -1 when there is none.
int OpenControllingTerminal();

// Hands everything drawn so far to the terminal, in one write.
void FlushScreen();

// Milliseconds of a monotonic clock.
uint64_t NowMs();

// Every way out of the process that is not a signal's: what is drawn reaches
// the terminal, the shell's prompt will start on a line of its own, and the
// terminal is restored for good, also after a start-up that failed.
void EndTerminalSession();

}  // namespace platform::posix
