// Raw mode: no echo, no line editing, no signals from keys (Ctrl+C, Ctrl+Z and
// Ctrl+S arrive as keys), no output processing. It is set with TCSANOW, not
// TCSAFLUSH, so that keys typed ahead of the program survive. Sends no bytes.
#include "platform/posix/raw_mode.h"

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdint>

#include "platform/posix/monotonic_clock.h"
#include "platform/posix/terminal.h"
#include "platform/posix/terminal_undo.h"

namespace platform::posix {

namespace {

termios RawSettings(termios settings) {
  settings.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
  settings.c_oflag &= ~tcflag_t(OPOST);
  settings.c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  settings.c_cflag &= ~tcflag_t(CSIZE | PARENB);
  settings.c_cflag |= CS8;
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 0;
  return settings;
}

}  // namespace

bool EnterRawMode(int fd) {
  return ChangeTerminalSettings(fd, RawSettings);
}

// The line discipline turned Enter's CR into LF for these keys: the LFs are
// Enter again.
void TakeCookedTypeAhead() {
  int waiting = 0;
  if (!session.inputIsTerminal || ioctl(STDIN_FILENO, FIONREAD, &waiting) != 0) return;
  while (waiting > 0) {
    uint8_t bytes[256];
    const ssize_t n = read(STDIN_FILENO, bytes, waiting < 256 ? size_t(waiting) : sizeof bytes);
    if (n <= 0) return;
    for (ssize_t i = 0; i < n; ++i) {
      if (bytes[i] == '\n') bytes[i] = '\r';
    }
    FeedBytes(session.decoder, bytes, int(n), NowMs(), session.queue);
    waiting -= int(n);
  }
}

}  // namespace platform::posix
