// Raw mode on the terminal.
#pragma once

namespace platform::posix {

// Puts the terminal of `fd` into raw mode through the undo record; false, with
// nothing changed, when it cannot.
bool EnterRawMode(int fd);

}  // namespace platform::posix
