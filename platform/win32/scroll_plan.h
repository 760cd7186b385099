// The console's rectangle scroll as steps that stay inside the screen buffer:
// one scroll whose destination lies inside it, and the rectangles of cells that
// take the fill cell. Pure geometry, no console calls.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace platform::win32 {

inline constexpr int maxFillRects = 4;

struct ScrollPlan {
  bool move;                 // the plan has a scroll of `source` to `destination`
  Rect source;               // the cells of the scroll rectangle that land inside the buffer
  Coord destination;         // the new top-left corner of `source`, inside the buffer
  Rect clip;                 // the clip rectangle, inside the buffer
  int fillCount;             // 0 .. maxFillRects rectangles of `fills` in use
  Rect fills[maxFillRects];  // vacated cells inside the clip: they take the fill cell
};

// The same effect as the scroll (`scroll` clipped to the buffer moves with its
// top-left corner to `destination`, only cells inside `clip` change, the whole
// buffer when null), for a console that refuses destinations outside the
// buffer. The plan's scroll fills some of `fills` itself; filling them all
// afterwards gives the same cells. Nothing to do when the scroll rectangle or
// the clip lies wholly outside the buffer.
ScrollPlan PlanScrollInsideBuffer(Coord bufferSize, const Rect& scroll, const Rect* clip,
                                  Coord destination);

}  // namespace platform::win32
