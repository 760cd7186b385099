// The in-memory screen buffer and the console's cell write, fill and rectangle
// scroll over it. Rectangles are inclusive on all sides, as the console's are;
// the arithmetic runs in int so that far-off rectangles cannot overflow.
#include "platform/screen_buffer.h"

#include <cstdlib>

namespace platform {

namespace {

constexpr ScreenCell unknownCell = {' ', 0x07, false};

struct Box {
  int left, top, right, bottom;  // inclusive
};

Box BoxOf(const Rect& rect) {
  return {rect.left, rect.top, rect.right, rect.bottom};
}

Box BufferBox(const ScreenBuffer& buffer) {
  return {0, 0, buffer.width - 1, buffer.height - 1};
}

Box Intersect(Box a, Box b) {
  return {a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
          a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
}

bool IsEmpty(Box box) {
  return box.left > box.right || box.top > box.bottom;
}

bool Contains(Box box, int x, int y) {
  return x >= box.left && x <= box.right && y >= box.top && y <= box.bottom;
}

Box Shifted(Box box, int dx, int dy) {
  return {box.left + dx, box.top + dy, box.right + dx, box.bottom + dy};
}

bool SameBox(Box a, Box b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

ScreenCell& CellAt(ScreenBuffer& buffer, int x, int y) {
  return buffer.cells[y * buffer.width + x];
}

// One scroll call with every rectangle clipped to the buffer: the source
// moves by (dx, dy).
struct ClippedScroll {
  Box source;
  Box clip;
  int dx, dy;
};

ClippedScroll ClipScroll(const ScreenBuffer& buffer, const Rect& scroll, const Rect* clip,
                         Coord destination) {
  const Box whole = BufferBox(buffer);
  const Box source = Intersect(BoxOf(scroll), whole);
  const Box clipBox = clip ? Intersect(BoxOf(*clip), whole) : whole;
  // The destination keeps its place relative to what remains of `scroll`.
  return {source, clipBox, destination.x - scroll.left, destination.y - scroll.top};
}

// Moves every destination cell inside the clip, visiting cells in the order
// that never reads a cell after it was overwritten (as memmove does).
void MoveCells(ScreenBuffer& buffer, const ClippedScroll& s) {
  const Box target = Intersect(Shifted(s.source, s.dx, s.dy), s.clip);
  if (IsEmpty(target)) return;
  const int rowStep = s.dy > 0 ? -1 : 1;
  const int columnStep = s.dx > 0 ? -1 : 1;
  const int firstRow = rowStep > 0 ? target.top : target.bottom;
  const int firstColumn = columnStep > 0 ? target.left : target.right;
  for (int y = firstRow; y >= target.top && y <= target.bottom; y += rowStep) {
    for (int x = firstColumn; x >= target.left && x <= target.right; x += columnStep) {
      ScreenCell& to = CellAt(buffer, x, y);
      const ScreenCell& from = CellAt(buffer, x - s.dx, y - s.dy);
      to = {from.character, from.attribute, from.known || to.known};
    }
  }
}

void FillVacated(ScreenBuffer& buffer, const ClippedScroll& s, Cell fill) {
  const Box area = Intersect(s.source, s.clip);
  const Box moved = Shifted(s.source, s.dx, s.dy);
  for (int y = area.top; y <= area.bottom; ++y) {
    for (int x = area.left; x <= area.right; ++x) {
      if (!Contains(moved, x, y)) CellAt(buffer, x, y) = {fill.character, fill.attribute, true};
    }
  }
}

int WholeBufferScrollUp(const ScreenBuffer& buffer, const ClippedScroll& s) {
  const Box whole = BufferBox(buffer);
  const bool covers = SameBox(s.source, whole) && SameBox(s.clip, whole);
  return covers && s.dx == 0 && s.dy < 0 ? -s.dy : 0;
}

}  // namespace

bool InitScreenBuffer(ScreenBuffer& buffer, int16_t width, int16_t height) {
  if (width < 1 || height < 1) return false;
  const int32_t count = int32_t(width) * height;
  if (buffer.cells == nullptr || buffer.capacity < count) {
    // malloc rather than new: nothing of the C++ support library is needed.
    std::free(buffer.cells);
    buffer.cells = static_cast<ScreenCell*>(std::malloc(sizeof(ScreenCell) * size_t(count)));
    buffer.capacity = buffer.cells ? count : 0;
    if (buffer.cells == nullptr) return false;
  }
  buffer.width = width;
  buffer.height = height;
  ResetScreenBuffer(buffer);
  return true;
}

void ResetScreenBuffer(ScreenBuffer& buffer) {
  const int32_t count = int32_t(buffer.width) * buffer.height;
  for (int32_t i = 0; i < count; ++i) buffer.cells[i] = unknownCell;
  buffer.cursor = {0, 0};
  buffer.attribute = 0x07;
}

void ReleaseScreenBuffer(ScreenBuffer& buffer) {
  std::free(buffer.cells);
  buffer = {};
}

bool SetScreenCursor(ScreenBuffer& buffer, Coord position) {
  if (!Contains(BufferBox(buffer), position.x, position.y)) return false;
  buffer.cursor = position;
  return true;
}

void WriteScreenCell(ScreenBuffer& buffer, Coord position, Cell cell) {
  if (!Contains(BufferBox(buffer), position.x, position.y)) return;
  CellAt(buffer, position.x, position.y) = {cell.character, cell.attribute, true};
}

void FillScreenCell(ScreenBuffer& buffer, Coord position, Cell cell) {
  WriteScreenCell(buffer, position, cell);
}

int ScrollScreenCells(ScreenBuffer& buffer, const Rect& scroll, const Rect* clip, Coord destination,
                      Cell fill) {
  const ClippedScroll s = ClipScroll(buffer, scroll, clip, destination);
  if (IsEmpty(s.source) || IsEmpty(s.clip)) return 0;
  MoveCells(buffer, s);
  FillVacated(buffer, s, fill);
  return WholeBufferScrollUp(buffer, s);
}

}  // namespace platform
