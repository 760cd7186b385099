// Terminal restoration; nothing is changed on the terminal yet.
#include "platform/posix/terminal.h"

namespace platform::posix {

void RestoreTerminal() {}

}  // namespace platform::posix
