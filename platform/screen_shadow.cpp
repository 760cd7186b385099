// The drawn screen against its shadow: the rows drawn on since the last flush
// compared with what the console shows, changed rows gathered into regions,
// and scrolls of the whole buffer gathered into one.
#include "platform/screen_shadow.h"

#include <cstring>
#include <type_traits>

#include "platform/scroll_geometry.h"

namespace platform {

namespace {

// Rewriting this many unchanged rows inside a region costs the console less
// than a call of its own.
constexpr int mergeableRows = 3;

static_assert(std::has_unique_object_representations_v<ScreenCell>);

bool NothingDirty(const ScreenShadow& s) {
  return s.dirtyTop > s.dirtyBottom;
}

void ClearDirty(ScreenShadow& s) {
  s.dirtyTop = s.drawn.height;
  s.dirtyBottom = -1;
}

void MarkDirty(ScreenShadow& s, int top, int bottom) {
  if (NothingDirty(s)) {
    s.dirtyTop = int16_t(top);
    s.dirtyBottom = int16_t(bottom);
    return;
  }
  if (top < s.dirtyTop) s.dirtyTop = int16_t(top);
  if (bottom > s.dirtyBottom) s.dirtyBottom = int16_t(bottom);
}

const ScreenCell* RowOf(const ScreenBuffer& buffer, int y) {
  return buffer.cells + y * buffer.width;
}

bool SameCells(const ScreenCell* a, const ScreenCell* b, int count) {
  return std::memcmp(a, b, sizeof(ScreenCell) * size_t(count)) == 0;
}

// The first and last column where row y of `drawn` differs from `shown`;
// false when it does not.
bool ChangedColumns(const ScreenShadow& s, int y, int& first, int& last) {
  const ScreenCell* drawn = RowOf(s.drawn, y);
  const ScreenCell* shown = RowOf(s.shown, y);
  if (SameCells(drawn, shown, s.drawn.width)) return false;
  first = 0;
  while (SameCells(drawn + first, shown + first, 1)) ++first;
  last = s.drawn.width - 1;
  while (SameCells(drawn + last, shown + last, 1)) --last;
  return true;
}

// The next region at or below row `from`: the first changed row, and every
// changed row after it until more than mergeableRows unchanged ones come
// between; its columns span the changes of all of them.
bool NextRegion(const ScreenShadow& s, int from, Rect& region) {
  int first = 0, last = 0;
  int y = from;
  while (y <= s.dirtyBottom && !ChangedColumns(s, y, first, last)) ++y;
  if (y > s.dirtyBottom) return false;
  region = {int16_t(first), int16_t(y), int16_t(last), int16_t(y)};
  for (int next = y + 1; next <= s.dirtyBottom && next - region.bottom <= mergeableRows + 1;
       ++next) {
    if (!ChangedColumns(s, next, first, last)) continue;
    region.bottom = int16_t(next);
    if (first < region.left) region.left = int16_t(first);
    if (last > region.right) region.right = int16_t(last);
  }
  return true;
}

void CopyRegion(ScreenBuffer& to, const ScreenBuffer& from, const Rect& region) {
  const size_t count = size_t(region.right - region.left + 1);
  for (int y = region.top; y <= region.bottom; ++y) {
    std::memcpy(to.cells + y * to.width + region.left, RowOf(from, y) + region.left,
                sizeof(ScreenCell) * count);
  }
}

// The waiting scroll, in the form every console takes: the rows that stay
// move to the top, inside the buffer. When nothing stays there is nothing to
// move: the rows are rewritten instead.
void ScrollShown(ScreenShadow& s) {
  const int lines = s.pendingLines;
  s.pendingLines = 0;
  if (lines == 0 || lines >= s.shown.height) return;
  const Rect staying = {0, int16_t(lines), int16_t(s.shown.width - 1), int16_t(s.shown.height - 1)};
  const Coord top = {0, 0};
  s.sink.scrollCells(s.sink.context, staying, nullptr, top, s.pendingFill);
  ScrollScreenCells(s.shown, staying, nullptr, top, s.pendingFill);
}

void ShowCells(ScreenShadow& s) {
  ScrollShown(s);
  Rect region;
  for (int y = s.dirtyTop; NextRegion(s, y, region); y = region.bottom + 1) {
    s.sink.writeCells(s.sink.context, s.drawn, region);
    CopyRegion(s.shown, s.drawn, region);
  }
  ClearDirty(s);
}

// The drawn rows move up with the content; the rows coming in at the bottom
// are new. Once the whole height has gone by, every row is rewritten.
void DeferScroll(ScreenShadow& s, int lines, Cell fill) {
  const int height = s.drawn.height;
  const int pending = s.pendingLines + lines;
  s.pendingLines = int16_t(pending < height ? pending : height);
  s.pendingFill = fill;
  if (pending >= height) return MarkDirty(s, 0, height - 1);
  if (!NothingDirty(s)) {
    const int top = s.dirtyTop - lines, bottom = s.dirtyBottom - lines;
    ClearDirty(s);
    if (bottom >= 0) MarkDirty(s, top < 0 ? 0 : top, bottom);
  }
  MarkDirty(s, height - lines, height - 1);
}

}  // namespace

bool InitScreenShadow(ScreenShadow& shadow, int16_t width, int16_t height, ShadowSink sink) {
  if (!InitScreenBuffer(shadow.drawn, width, height) ||
      !InitScreenBuffer(shadow.shown, width, height)) {
    return false;
  }
  shadow.sink = sink;
  shadow.pendingLines = 0;
  ClearDirty(shadow);
  return true;
}

void ReleaseScreenShadow(ScreenShadow& shadow) {
  ReleaseScreenBuffer(shadow.drawn);
  ReleaseScreenBuffer(shadow.shown);
  shadow = {};
}

void StartFromShown(ScreenShadow& shadow) {
  ScreenBuffer& shown = shadow.shown;
  const int32_t count = int32_t(shown.width) * shown.height;
  for (int32_t i = 0; i < count; ++i) shown.cells[i].known = true;
  std::memcpy(shadow.drawn.cells, shown.cells, sizeof(ScreenCell) * size_t(count));
  shadow.drawn.cursor = shown.cursor;
  shadow.drawn.attribute = shown.attribute;
  shadow.pendingLines = 0;
  ClearDirty(shadow);
}

void DrawShadowCell(ScreenShadow& shadow, Coord position, Cell cell) {
  if (position.x < 0 || position.x >= shadow.drawn.width) return;
  if (position.y < 0 || position.y >= shadow.drawn.height) return;
  WriteScreenCell(shadow.drawn, position, cell);
  MarkDirty(shadow, position.y, position.y);
}

bool DrawShadowCursor(ScreenShadow& shadow, Coord position) {
  return SetScreenCursor(shadow.drawn, position);
}

void DrawShadowScroll(ScreenShadow& shadow, const Rect& scroll, const Rect* clip, Coord destination,
                      Cell fill) {
  const Coord size = {shadow.drawn.width, shadow.drawn.height};
  const int lines = WholeBufferRowsUp(ClipScroll(size, scroll, clip, destination));
  if (lines > 0) {
    ScrollScreenCells(shadow.drawn, scroll, clip, destination, fill);
    return DeferScroll(shadow, lines, fill);
  }
  ShowCells(shadow);
  shadow.sink.scrollCells(shadow.sink.context, scroll, clip, destination, fill);
  ScrollScreenCells(shadow.shown, scroll, clip, destination, fill);
  ScrollScreenCells(shadow.drawn, scroll, clip, destination, fill);
}

void FlushScreenShadow(ScreenShadow& shadow) {
  ShowCells(shadow);
  const Coord want = shadow.drawn.cursor;
  if (want.x == shadow.shown.cursor.x && want.y == shadow.shown.cursor.y) return;
  shadow.sink.setCursor(shadow.sink.context, want);
  shadow.shown.cursor = want;
}

}  // namespace platform
