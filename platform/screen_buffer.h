// The console's screen buffer held in memory: cells of (code page 437 byte,
// attribute), the cursor and the text attribute, changed with the exact
// semantics of the console's one-cell write, one-cell fill and rectangle scroll.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace platform {

// A cell together with whether the program ever put it there. Unknown cells
// stand for whatever the terminal showed before the program started; they read
// as a blank in attribute 0x07.
struct ScreenCell {
  uint8_t character;  // code page 437
  uint8_t attribute;  // Win32 bits: foreground in bits 0-3, background in 4-7
  bool known;         // written, filled or scrolled into by the program
};

struct ScreenBuffer {
  int16_t width;       // columns, 1 and up
  int16_t height;      // rows, 1 and up
  Coord cursor;        // from 0, always inside the buffer
  uint16_t attribute;  // the attribute text is written with; 0x07 at start
  ScreenCell* cells;   // width * height, row by row; owned, allocated by InitScreenBuffer
  int32_t capacity;    // cells allocated
};

// Sizes the buffer and resets it (every cell unknown, cursor home, attribute
// 0x07). Allocates only when the buffer is not yet big enough, so calling it
// again (a test's SetUp) costs nothing. False when the size is below 1 x 1 or
// the memory could not be had.
bool InitScreenBuffer(ScreenBuffer& buffer, int16_t width, int16_t height);

// Every cell unknown, cursor home, attribute 0x07.
void ResetScreenBuffer(ScreenBuffer& buffer);

void ReleaseScreenBuffer(ScreenBuffer& buffer);

// The cell at (x, y), which must lie inside the buffer.
inline const ScreenCell& ScreenCellAt(const ScreenBuffer& buffer, int x, int y) {
  return buffer.cells[y * buffer.width + x];
}

// False, and the cursor stays, when the position lies outside the buffer.
bool SetScreenCursor(ScreenBuffer& buffer, Coord position);

// One cell; nothing happens outside the buffer.
void WriteScreenCell(ScreenBuffer& buffer, Coord position, Cell cell);
void FillScreenCell(ScreenBuffer& buffer, Coord position, Cell cell);

// The console's rectangle scroll. `scroll` is clipped to the buffer and
// `destination` moves with its top-left corner; `clip` (the whole buffer when
// null) is clipped to the buffer. Every destination cell inside the clip takes
// its source cell as it was before the call; every other cell of the clipped
// scroll rectangle inside the clip takes `fill`; nothing outside the clip
// changes. A moved cell is known when its source or its destination was.
// Returns n when the call scrolled the whole buffer up by n rows (full width,
// every row, destination (0, -n), clip null or covering the buffer), else 0.
int ScrollScreenCells(ScreenBuffer& buffer, const Rect& scroll, const Rect* clip, Coord destination,
                      Cell fill);

}  // namespace platform
