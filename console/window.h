// The console window: clearing, cursor placement and the character output
// that interprets control characters, wraps at the right edge and scrolls at
// the bottom by itself.
#pragma once

#include <cstdint>

namespace console {

// Blanks every cell of the window and puts the cursor on its first cell.
void ClearWindow();

// Moves the cursor to (column, row) of the window, both from 1; a position
// outside the window is ignored.
void PlaceCursor(uint8_t column, uint8_t row);

// Moves the console's cursor to an absolute 1-based position and records it.
void MoveConsoleCursor(int32_t column, int32_t row);

// Loads the work cursor from the recorded cursor: column and row become the
// recorded position plus 1. Every caller passes workColumn and workRow.
void LoadWorkCursor(int32_t& column, int32_t& row);

// Puts one character at the work cursor: bell nothing, backspace left,
// line feed down, carriage return to the left edge, anything else one cell.
// Wraps as soon as the last column is written; scrolls below the bottom row.
void PutConsoleChar(uint8_t c);

// Whether PutConsoleChar shows `c` as one cell (every byte but the bell,
// backspace, line feed and carriage return, which only move the cursor).
bool TakesOneCell(uint8_t c);

// Removes a window row (1-based): the rows below move up one, the bottom row
// becomes blank, the rows above stay.
void DropWindowLine(int32_t row);

}  // namespace console
