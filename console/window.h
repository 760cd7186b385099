// The console window: clearing, cursor placement and the character output
// that wraps at the right edge and scrolls at the bottom.
#pragma once

#include <cstdint>

namespace console {

// Blanks every cell of the window and puts the cursor on its first cell.
void ClearWindow();

// Moves the cursor to (column, row) of the window, both from 1; a position
// outside the window is ignored.
void PlaceCursor(uint8_t column, uint8_t row);

}  // namespace console
