// The terminal's settings as netstep found them, and their restoration on
// every way out of the process.
#pragma once

namespace platform::posix {

// Puts back every terminal setting netstep changed, in reverse order. Safe to
// run twice and from a signal handler.
void RestoreTerminal();

}  // namespace platform::posix
