// Character output over arbitrary bytes on windows of arbitrary size: the work
// cursor never leaves the window, whatever the bytes.
#include <cstdint>
#include <cstdlib>

#include "console/console_state.h"
#include "console/window.h"
#include "tests/fake/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  fake::StartConsole(int16_t(1 + data[0] % 100), int16_t(1 + data[1] % 40), data[2]);
  console::ConsoleState& s = console::consoleState;
  console::PlaceCursor(data[3], data[3]);
  console::LoadWorkCursor(s.workColumn, s.workRow);
  for (size_t i = 4; i < size; ++i) {
    console::PutConsoleChar(data[i]);
    if (s.workColumn < s.windowLeft || s.workColumn > s.windowRight) std::abort();
    if (s.workRow < s.windowTop || s.workRow > s.windowBottom) std::abort();
  }
  return 0;
}
