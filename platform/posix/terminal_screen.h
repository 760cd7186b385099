// The screen buffer the terminal shows: sized to the terminal at start-up,
// and brought onto it through the renderer.
#pragma once

namespace platform::posix {

// The session's screen buffer and renderer for the size of `fd`'s terminal.
// False when a side exceeds the buffer's 16-bit coordinates or the memory
// cannot be had; nothing on the terminal has changed then.
bool PrepareScreen(int fd);

// Renders what was drawn since the last render into the renderer's output,
// after a resize or a continue has been taken into account. The output goes
// to the terminal at the next flush, or sooner when it fills up.
void RenderScreen();

// Renders, then hands everything rendered to the terminal in one write.
void FlushScreen();

}  // namespace platform::posix
