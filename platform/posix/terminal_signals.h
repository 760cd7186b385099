// The signals that end, stop, continue or resize netstep while it has the
// terminal, each taking the one undo path of the terminal's changes.
#pragma once

namespace platform::posix {

void InstallTerminalSignals();

// Whether a resize (SIGWINCH), or a continue after a stop (SIGCONT), came
// since the last call: the next flush measures again, or repaints everything.
bool TakeResize();
bool TakeRepaint();

}  // namespace platform::posix
