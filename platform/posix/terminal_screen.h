// The screen buffer the terminal shows: sized to the terminal at start-up,
// and brought onto it through the renderer at every flush.
#pragma once

namespace platform::posix {

// The session's screen buffer and renderer for the size of `fd`'s terminal.
// False when a side exceeds the buffer's 16-bit coordinates or the memory
// cannot be had; nothing on the terminal has changed then.
bool PrepareScreen(int fd);

// Hands everything drawn since the last flush to the terminal, in one write,
// after a resize or a continue has been taken into account.
void FlushScreen();

}  // namespace platform::posix
