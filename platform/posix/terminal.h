// The terminal session of the POSIX console: the record of the terminal that
// netstep draws on and reads its keys from, opened when the console layer
// starts and closed on every way out of the process.
#pragma once

#include "platform/posix/key_decoder.h"
#include "platform/posix/renderer.h"
#include "platform/screen_buffer.h"

namespace platform::posix {

struct TerminalSession {
  bool started;          // opened: the tty is in raw mode and measured; false again once closed
  int outputFd;          // the console's output: standard output or /dev/tty
  int inputFd;           // where keys come from: standard input, or the terminal when it is closed
  bool ownsInputFd;      // inputFd was opened by the session and is closed with it
  bool inputIsTerminal;  // inputFd is the terminal: its bytes are keys and escape sequences
  int cookedBytes;       // bytes still to be read on inputFd that were typed before raw mode
  ScreenBuffer model;    // the console's screen buffer
  Renderer renderer;     // keeps the terminal showing the model
  KeyDecoder decoder;    // bytes of the terminal (or of redirected input) to key events
  InputQueue queue;      // decoded events not yet taken
  bool inputEnded;       // redirected input reached its end; the end event was queued
};

extern TerminalSession session;

// Opens the session on a terminal file descriptor: measures it, gets the
// screen buffer, installs the signal handlers, sets raw mode, asks the
// terminal its questions and sets the keyboard modes. False when `fd` is no
// terminal, when its size does not fit the screen buffer, or when raw mode
// cannot be set; the terminal is then as it was.
bool OpenTerminalSession(int fd);

// Opens the controlling terminal with `flags` (O_RDWR, O_RDONLY) on a
// descriptor above the standard ones, so that it never takes the place of a
// closed standard input, output or error; -1 when there is none.
int OpenTerminalDevice(int flags);

// Opens the controlling terminal for the console's output; -1 when there is none.
int OpenControllingTerminal();

// Closes the session on every way out of the process that is not a signal's:
// what is drawn reaches the terminal, the shell's prompt will start on a line
// of its own, and every change to the terminal is undone for good, also after
// a start-up that failed. Safe to run twice.
void CloseTerminalSession();

}  // namespace platform::posix
