// The signals that end, stop, continue or resize netstep while it has the
// terminal, each taking the one undo path of the terminal's changes.
#pragma once

#include <signal.h>

namespace platform::posix {

void InstallTerminalSignals();

// Holds back the signals the screen answers, SIGWINCH and SIGCONT, and gives
// the mask they were held back from. Between the two calls a reader flushes
// the screen and then waits with `previous` in force (ppoll): a signal that
// came after the flush is pending and ends the wait at once, one that comes
// during the wait ends it, and none is left for a wait with no limit.
void HoldScreenSignals(sigset_t& previous);
void ReleaseScreenSignals(const sigset_t& previous);

// Whether a resize (SIGWINCH), or a continue after a stop (SIGCONT), came
// since the last call: the next flush measures again, or repaints everything.
bool TakeResize();
bool TakeRepaint();

}  // namespace platform::posix
