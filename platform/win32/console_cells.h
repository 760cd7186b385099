// The console's cells in bulk: a whole screen buffer read into memory, a
// region of cells written from memory, each in as few calls as the console's
// per-call limit allows; and the rectangle scroll, redone inside the buffer
// where Wine's console refuses it.
#pragma once

#include "platform/platform.h"
#include "platform/screen_buffer.h"
#include "platform/win32/win32_api.h"

namespace platform::win32 {

// Every cell of `into` (sized already) and the console's cursor. Cells that
// cannot be read are blanks in `into.attribute`. False when the console's
// screen buffer cannot be queried.
bool ReadConsoleCells(HANDLE output, ScreenBuffer& into);

// The cells of `area` (inside `from`) to the same place on the console.
void WriteConsoleCells(HANDLE output, const ScreenBuffer& from, const Rect& area);

// ScrollConsoleScreenBufferA; a scroll whose destination leaves the buffer,
// which Windows takes and Wine's console refuses, is done as the same cells
// changed through a scroll inside the buffer and fills.
void ScrollConsoleCells(HANDLE output, const Rect& scroll, const Rect* clip, Coord destination,
                        Cell fill);

}  // namespace platform::win32
