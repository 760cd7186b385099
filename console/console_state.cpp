// The console layer's state record, zero until ConsoleStartup fills it.
#include "console/console_state.h"

namespace console {

ConsoleState consoleState;

}  // namespace console
