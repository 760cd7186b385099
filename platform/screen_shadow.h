// A console drawn into in memory and shown on request: the cells and cursor
// the program drew, a shadow of what the console shows, and the few
// console-shaped calls (a region write, a rectangle scroll, a cursor move)
// that bring the console to what was drawn. Pure code: the calls go to a sink.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "platform/screen_buffer.h"

namespace platform {

// What a flush asks of the console, in the console's own terms.
struct ShadowSink {
  // The cells of `area` (inside the buffer) as `drawn` holds them, each to
  // its own place.
  void (*writeCells)(void* context, const ScreenBuffer& drawn, const Rect& area);
  // The console's rectangle scroll (see ScrollCells in platform.h).
  void (*scrollCells)(void* context, const Rect& scroll, const Rect* clip, Coord destination,
                      Cell fill);
  void (*setCursor)(void* context, Coord position);
  void* context;
};

struct ScreenShadow {
  ScreenBuffer drawn;  // what the program drew: cells and cursor
  ScreenBuffer shown;  // what the console shows of it, and its cursor
  // `drawn` has scrolled up whole by this many rows since the last flush,
  // and `shown` not yet: 0 to the height.
  int16_t pendingLines;
  Cell pendingFill;  // the fill of the last of those scrolls
  // The rows of `drawn` that may differ from `shown` once it has scrolled by
  // `pendingLines`; none when dirtyTop > dirtyBottom.
  int16_t dirtyTop;
  int16_t dirtyBottom;
  ShadowSink sink;
};

// Sizes both buffers, allocating only when they are too small. The caller
// then sets `shown` to what the console shows and calls StartFromShown. False
// when the memory could not be had.
bool InitScreenShadow(ScreenShadow& shadow, int16_t width, int16_t height, ShadowSink sink);

// `shown` holds the console's cells and cursor as they are: drawing goes on
// from there, with nothing waiting to be shown.
void StartFromShown(ScreenShadow& shadow);

void ReleaseScreenShadow(ScreenShadow& shadow);

// One cell drawn; nothing happens outside the buffer.
void DrawShadowCell(ScreenShadow& shadow, Coord position, Cell cell);

// The cursor drawn; false, and it stays, outside the buffer.
bool DrawShadowCursor(ScreenShadow& shadow, Coord position);

// The console's rectangle scroll, drawn. A scroll of the whole buffer up
// waits for the flush, where it is one scroll inside the buffer however many
// rows came together; any other scroll is passed on at once, after the cells
// drawn before it have been shown, so that it moves what the console shows.
void DrawShadowScroll(ScreenShadow& shadow, const Rect& scroll, const Rect* clip, Coord destination,
                      Cell fill);

// Brings the console to what was drawn: the waiting scroll, then one region
// per run of changed rows (rows with few unchanged ones between them
// together), then the cursor if it moved. Nothing when nothing changed.
void FlushScreenShadow(ScreenShadow& shadow);

}  // namespace platform
