// Raw mode: no echo, no line editing, no signals from keys (Ctrl+C, Ctrl+Z and
// Ctrl+S arrive as keys), no output processing. It is set with TCSANOW, not
// TCSAFLUSH, so that keys typed ahead of the program survive. Sends no bytes.
#include "platform/posix/raw_mode.h"

#include <termios.h>
#include <unistd.h>

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

}  // namespace platform::posix
