// Temporary stand-in beneath the calculator's console operations until the
// console layer lands: escape sequences for clearing and cursor placement,
// single keys read in raw mode. Lines come through the standard input stream
// in the terminal's cooked mode.
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>

#include "console/console_startup.h"
#include "console/keyboard.h"
#include "console/window.h"
#include "runtime/program.h"

namespace console {

void ConsoleStartup() {}

static void Send(const char* text, int length) {
  if (write(STDOUT_FILENO, text, size_t(length)) != length) runtime::RaiseRunError(101);
}

void ClearWindow() {
  Send("\033[H\033[2J", 7);
}

void PlaceCursor(uint8_t column, uint8_t row) {
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) size = {25, 80, 0, 0};
  if (column == 0 || row == 0 || column > size.ws_col || row > size.ws_row) return;
  char move[24];
  Send(move, std::snprintf(move, sizeof move, "\033[%d;%dH", row, column));
}

uint8_t WaitKey() {
  termios saved;
  const bool isTerminal = tcgetattr(STDIN_FILENO, &saved) == 0;
  if (isTerminal) {
    termios raw = saved;
    cfmakeraw(&raw);
    tcsetattr(STDIN_FILENO, TCSANOW, &raw);
  }
  unsigned char key = 0;
  const bool gotKey = read(STDIN_FILENO, &key, 1) == 1;
  if (isTerminal) tcsetattr(STDIN_FILENO, TCSANOW, &saved);
  if (!gotKey) runtime::ExitProgram();
  return key;
}

}  // namespace console
