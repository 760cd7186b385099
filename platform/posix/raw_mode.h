// Raw mode on the terminal, and the keys typed before it.
#pragma once

namespace platform::posix {

// Puts the terminal of `fd` into raw mode through the undo record; false, with
// nothing changed, when it cannot.
bool EnterRawMode(int fd);

// Hands the keys typed before raw mode, still waiting on standard input, to
// the session's key decoder.
void TakeCookedTypeAhead();

}  // namespace platform::posix
