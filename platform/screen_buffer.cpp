// The in-memory screen buffer and the console's cell write, fill and rectangle
// scroll over it.
#include "platform/screen_buffer.h"

#include <cstdlib>

#include "platform/scroll_geometry.h"

namespace platform {

namespace {

constexpr ScreenCell unknownCell = {' ', 0x07, false};

Box BufferBox(const ScreenBuffer& buffer) {
  return {0, 0, buffer.width - 1, buffer.height - 1};
}

ScreenCell& CellAt(ScreenBuffer& buffer, int x, int y) {
  return buffer.cells[y * buffer.width + x];
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
  const ClippedScroll s = ClipScroll({buffer.width, buffer.height}, scroll, clip, destination);
  if (IsEmpty(s.source) || IsEmpty(s.clip)) return 0;
  MoveCells(buffer, s);
  FillVacated(buffer, s, fill);
  return WholeBufferRowsUp(s);
}

}  // namespace platform
