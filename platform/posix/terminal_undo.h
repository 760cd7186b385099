// The undo record of the terminal: each change netstep makes to the terminal
// (its settings, its keypad and keyboard modes, its colours) is recorded with
// its undo as it is made, and one path undoes them all, last change first, on
// every way out: the normal end, a failed start-up, a fatal signal, a fault,
// and for a while a suspension.
#pragma once

#include <termios.h>

namespace platform::posix {

// Reads the terminal's settings, records them as the undo, and sets
// `change`(settings) with TCSANOW (type-ahead survives). False, with nothing
// recorded, when the settings cannot be read or set.
bool ChangeTerminalSettings(int fd, termios (*change)(termios));

// Records `reset` as the undo of `set`, then sends `set`. Both must stay valid
// for the whole run (literals). An empty `set` records the undo of changes made
// later on the way, such as the colours of drawn text.
void SendTerminalMode(int fd, const char* set, const char* reset);

// Undoes every recorded change, last change first (settings with TCSADRAIN,
// after the bytes before them have gone), and keeps the record for
// ReapplyTerminalChanges. Does nothing while the changes are undone: safe to
// run twice and from a signal handler.
void RestoreTerminal();

// Makes every recorded change again, first change first, after a
// RestoreTerminal (a continue after a stop). Nothing while they are in force.
void ReapplyTerminalChanges();

// Restores the terminal for good: the record is emptied, so nothing is made
// again. The last step of every way out that does not end in a signal; a new
// start-up records afresh.
void ReleaseTerminal();

}  // namespace platform::posix
