// A console started on the fake the way the program starts it: the runtime's
// module first, then the console layer's.
#include "console/console_startup.h"
#include "console/console_state.h"
#include "runtime/program.h"
#include "runtime/text_stream.h"
#include "tests/fake/fake_platform.h"

namespace fake {

void StartConsole(int16_t width, int16_t height, uint8_t attribute, uint32_t platformId,
                  platform::Coord cursor) {
  Reset();
  UseConsole(width, height, attribute, cursor);
  state.platformId = platformId;
  runtime::ioResult = 0;
  console::consoleState = {};
  runtime::runtimeModule.initialize();
  console::ConsoleStartup();
  ClearCalls();
}

}  // namespace fake
