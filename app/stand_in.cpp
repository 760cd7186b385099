// Temporary stand-in beneath the calculator's operations until the runtime
// and the console layer land: escape sequences for clearing and cursor
// placement, lines read in the terminal's cooked mode, keys read in raw mode.
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console/keyboard.h"
#include "console/window.h"
#include "runtime/program.h"
#include "runtime/text_stream.h"

namespace runtime {

TextStream standardInput, standardOutput, reportStream, standardError;
uint16_t ioResult = 0;

static char pending[512];
static int pendingCount = 0;

static void Emit(const char* chars, int count) {
  if (pendingCount + count > int(sizeof pending)) WriteEnd(standardOutput);
  std::memcpy(pending + pendingCount, chars, std::size_t(count));
  pendingCount += count;
}

void WriteText(int width, TextStream&, TextRef text) {
  for (int i = text.length; i < width; ++i) Emit(" ", 1);
  Emit(text.chars, text.length);
}

void WriteInteger(int width, TextStream& stream, int32_t value) {
  char digits[16];
  const int n = std::snprintf(digits, sizeof digits, "%d", value);
  WriteText(width, stream, TextRef(digits, n));
}

void WriteChar(int width, TextStream& stream, char c) { WriteText(width, stream, TextRef(&c, 1)); }

void WriteEnd(TextStream&) {
  if (write(1, pending, std::size_t(pendingCount)) < 0) std::exit(101);
  pendingCount = 0;
}

void WriteLineEnd(TextStream& stream) {
  Emit("\r\n", 2);
  WriteEnd(stream);
}

// The whole typed line; ReadText takes its first characters, ReadLineEnd the rest.
static char line[256];
static int lineLength = -1;

void ReadText(TextStream&, TextSlot variable, int maximum) {
  lineLength = 0;
  char c;
  while (read(0, &c, 1) == 1 && c != '\n') {
    if (lineLength < int(sizeof line)) line[lineLength++] = c;
  }
  AssignShortText(maximum, TextRef(line, lineLength), variable);
}

void ReadLineEnd(TextStream&) { lineLength = -1; }

void StartProgram(MainProgram mainProgram) {
  mainProgram();
  std::exit(0);
}

void InitModules() {}
void ExitProgram() { std::exit(0); }
void StopProgram(uint16_t code) { std::exit(code); }
void CheckIo() {}
void RaiseRunError(uint16_t number) { std::exit(number); }

}  // namespace runtime

namespace console {

using runtime::TextRef;

static void Send(const char* text) {
  runtime::WriteText(0, runtime::standardOutput, TextRef(text, int(std::strlen(text))));
}

void ClearWindow() {
  Send("\033[H\033[2J");
  runtime::WriteEnd(runtime::standardOutput);
}

void PlaceCursor(uint8_t column, uint8_t row) {
  winsize size{};
  if (ioctl(1, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) size = {25, 80, 0, 0};
  if (column == 0 || row == 0 || column > size.ws_col || row > size.ws_row) return;
  char move[24];
  std::snprintf(move, sizeof move, "\033[%d;%dH", row, column);
  Send(move);
  runtime::WriteEnd(runtime::standardOutput);
}

uint8_t WaitKey() {
  termios saved;
  const bool isTerminal = tcgetattr(0, &saved) == 0;
  if (isTerminal) {
    termios raw = saved;
    cfmakeraw(&raw);
    tcsetattr(0, TCSANOW, &raw);
  }
  unsigned char key = 0;
  if (read(0, &key, 1) != 1) std::exit(0);
  if (isTerminal) tcsetattr(0, TCSANOW, &saved);
  return key;
}

}  // namespace console
