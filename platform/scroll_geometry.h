// The rectangle arithmetic of the console's scroll, shared by the in-memory
// screen buffer and the Win32 scroll plan: inclusive boxes in int, so that
// far-off rectangles cannot overflow, and the scroll clipped to a buffer.
#pragma once

#include "platform/platform.h"

namespace platform {

struct Box {
  int left, top, right, bottom;  // inclusive
};

inline Box BoxOf(const Rect& rect) {
  return {rect.left, rect.top, rect.right, rect.bottom};
}

// For a box that lies inside the buffer.
inline Rect RectOf(const Box& box) {
  return {int16_t(box.left), int16_t(box.top), int16_t(box.right), int16_t(box.bottom)};
}

inline Box Intersect(const Box& a, const Box& b) {
  return {a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
          a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
}

inline bool IsEmpty(const Box& box) {
  return box.left > box.right || box.top > box.bottom;
}

inline bool Contains(const Box& box, int x, int y) {
  return x >= box.left && x <= box.right && y >= box.top && y <= box.bottom;
}

inline Box Shifted(const Box& box, int dx, int dy) {
  return {box.left + dx, box.top + dy, box.right + dx, box.bottom + dy};
}

inline bool SameBox(const Box& a, const Box& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// One scroll with its rectangles clipped to a buffer: `source` moves by
// (dx, dy), changing cells inside `clip` only.
struct ClippedScroll {
  Box whole;   // the buffer
  Box source;  // the scroll rectangle inside the buffer
  Box clip;    // the clip rectangle inside the buffer (the whole buffer when none was given)
  int dx, dy;
};

// The destination is the new top-left corner of the scroll rectangle as given,
// so what remains of it after clipping keeps its place relative to that corner.
inline ClippedScroll ClipScroll(Coord bufferSize, const Rect& scroll, const Rect* clip,
                                Coord destination) {
  const Box whole = {0, 0, bufferSize.x - 1, bufferSize.y - 1};
  return {whole, Intersect(BoxOf(scroll), whole), clip ? Intersect(BoxOf(*clip), whole) : whole,
          destination.x - scroll.left, destination.y - scroll.top};
}

// n when the scroll moves the whole buffer up by n rows (full width, every
// row, the clip covering the buffer), else 0.
inline int WholeBufferRowsUp(const ClippedScroll& s) {
  const bool covers = SameBox(s.source, s.whole) && SameBox(s.clip, s.whole);
  return covers && s.dx == 0 && s.dy < 0 ? -s.dy : 0;
}

}  // namespace platform
