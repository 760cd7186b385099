// Opening and closing the terminal session, in order. The session's own bytes
// are few: CR LF at the close when the cursor is not at the start of a row,
// and SGR 0 (CSI 0 m) recorded as the undo of the colours the renderer sets.
// Raw mode, the start-up queries, the signals, the screen and the undo record
// each have a file of their own.
#include "platform/posix/terminal.h"

#include <fcntl.h>
#include <unistd.h>

#include "platform/posix/descriptors.h"
#include "platform/posix/raw_mode.h"
#include "platform/posix/terminal_input.h"
#include "platform/posix/terminal_queries.h"
#include "platform/posix/terminal_screen.h"
#include "platform/posix/terminal_signals.h"
#include "platform/posix/terminal_undo.h"
#include "platform/posix/write_all.h"

namespace platform::posix {

TerminalSession session;

namespace {

constexpr char noBytes[] = "";
constexpr char attributesReset[] = "\x1b[0m";

// Keys typed on the terminal are not input when standard input is redirected:
// its bytes are, one key each.
void PrepareRedirectedInput() {
  if (session.inputIsTerminal) return;
  ResetInputQueue(session.queue);
  ResetKeyDecoder(session.decoder, false, true);
}

}  // namespace

int OpenTerminalDevice(int flags) {
  return OpenAboveStandard("/dev/tty", flags | O_NOCTTY);
}

int OpenControllingTerminal() {
  return OpenTerminalDevice(O_RDWR);
}

bool OpenTerminalSession(int fd) {
  if (isatty(fd) != 1) return false;
  session.outputFd = fd;
  if (!PrepareScreen(fd)) return false;
  OpenKeySource();
  ResetInputQueue(session.queue);
  ResetKeyDecoder(session.decoder, false, false);
  InstallTerminalSignals();
  if (!EnterRawMode(fd)) {
    ReleaseTerminal();
    CloseKeySource();
    return false;
  }
  NoteCookedTypeAhead();
  AskTerminal();
  SetUpKeyboard();
  // The renderer sets colours as it draws: its undo is the terminal's default.
  SendTerminalMode(fd, noBytes, attributesReset);
  PrepareRedirectedInput();
  session.started = true;
  return true;
}

void CloseTerminalSession() {
  if (session.started) {
    FlushScreen();
    if (session.model.cursor.x != 0) WriteAll(session.outputFd, "\r\n", 2);
    session.started = false;
  }
  ReleaseTerminal();
  CloseKeySource();
}

}  // namespace platform::posix
