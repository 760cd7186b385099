// The terminal renderer: paints the runs of model cells that differ from the
// shadow with cursor moves, SGR colours and UTF-8 glyphs of code page 437, ends
// blank rows with EL, clears with ED, and scrolls with DECSTBM and line feeds.
#include "platform/posix/renderer.h"

#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "platform/cp437.h"
#include "platform/posix/terminal_output.h"

namespace platform::posix {

namespace {

constexpr ScreenCell unknownCell = {' ', plainAttribute, false};
constexpr ScreenCell blankCell = {' ', plainAttribute, true};

// Re-sending at most this many unchanged cells between two changed ones is
// cheaper than a cursor move (CSI n C is three bytes or more).
constexpr int mergeableGap = 3;

// ---- The output buffer ------------------------------------------------------

void Reserve(Renderer& renderer, int32_t count) {
  if (renderer.outputLength + count > renderer.outputCapacity) SendRenderOutput(renderer);
}

void Emit(Renderer& renderer, const char* bytes, int count) {
  Reserve(renderer, count);
  for (int i = 0; i < count; ++i) renderer.output[renderer.outputLength++] = bytes[i];
}

void Emit(Renderer& renderer, const ControlBytes& sequence) {
  Emit(renderer, sequence.bytes, sequence.length);
}

// ---- Terminal state ---------------------------------------------------------

void SetAttribute(Renderer& renderer, uint8_t attribute) {
  if (renderer.attribute == attribute) return;
  Emit(renderer, AttributeChange(renderer.attribute, attribute));
  renderer.attribute = attribute;
}

void MoveCursor(Renderer& renderer, Coord to) {
  Emit(renderer, CursorMove(renderer.cursor, renderer.cursorKnown, to));
  renderer.cursor = to;
  renderer.cursorKnown = true;
}

// ---- The model cells the terminal shows ---------------------------------------

int VisibleColumns(const Renderer& r) {
  return r.terminalWidth < r.modelWidth ? r.terminalWidth : r.modelWidth;
}

int VisibleRows(const Renderer& r) {
  return r.terminalHeight < r.modelHeight ? r.terminalHeight : r.modelHeight;
}

bool IsVisible(const Renderer& r, int x, int y) {
  return x >= r.origin.x && x < r.origin.x + VisibleColumns(r) && y >= r.origin.y &&
         y < r.origin.y + VisibleRows(r);
}

// Every terminal cell shows a model cell, so erasing whole lines or the whole
// display touches nothing but model cells.
bool TerminalShowsOnlyModel(const Renderer& r) {
  return r.terminalWidth <= r.modelWidth && r.terminalHeight <= r.modelHeight;
}

Coord TerminalPosition(const Renderer& r, int x, int y) {
  return {int16_t(x - r.origin.x), int16_t(y - r.origin.y)};
}

ScreenCell& ShadowAt(Renderer& r, int x, int y) {
  return r.shadow[y * r.modelWidth + x];
}

// The first shown model line or column so that `cursor` stays in view, moving
// `origin` as little as possible.
int16_t FollowAxis(int origin, int cursor, int shown, int size) {
  if (shown >= size) return 0;
  if (cursor < origin) origin = cursor;
  if (cursor >= origin + shown) origin = cursor - shown + 1;
  if (origin > size - shown) origin = size - shown;
  return int16_t(origin < 0 ? 0 : origin);
}

void FollowCursor(Renderer& r, const ScreenBuffer& model) {
  const Coord origin = {FollowAxis(r.origin.x, model.cursor.x, VisibleColumns(r), r.modelWidth),
                        FollowAxis(r.origin.y, model.cursor.y, VisibleRows(r), r.modelHeight)};
  if (origin.x == r.origin.x && origin.y == r.origin.y) return;
  r.origin = origin;
  r.repaintPending = true;
}

// The shadow after the terminal was cleared (`cleared`) or forgotten.
void ResetShadow(Renderer& r, bool cleared) {
  for (int y = 0; y < r.modelHeight; ++y) {
    for (int x = 0; x < r.modelWidth; ++x) {
      ShadowAt(r, x, y) = cleared && IsVisible(r, x, y) ? blankCell : unknownCell;
    }
  }
}

// ---- Comparing model and shadow -----------------------------------------------

// Equal bytes are the common case of every flush's full comparison: they
// skip the table.
bool SameGlyph(uint8_t a, uint8_t b) {
  return a == b || Cp437Glyph(a) == Cp437Glyph(b);
}

bool Differs(const ScreenCell& wanted, const ScreenCell& shown) {
  return wanted.known && (!shown.known || wanted.attribute != shown.attribute ||
                          !SameGlyph(wanted.character, shown.character));
}

bool IsBlank(const ScreenCell& cell) {
  return cell.known && cell.attribute == plainAttribute &&
         (cell.character == ' ' || Cp437Glyph(cell.character) == ' ');
}

bool VisibleModelBlank(const Renderer& r, const ScreenBuffer& model) {
  for (int y = r.origin.y; y < r.origin.y + VisibleRows(r); ++y) {
    for (int x = r.origin.x; x < r.origin.x + VisibleColumns(r); ++x) {
      if (!IsBlank(ScreenCellAt(model, x, y))) return false;
    }
  }
  return true;
}

bool VisibleShadowBlank(Renderer& r) {
  for (int y = r.origin.y; y < r.origin.y + VisibleRows(r); ++y) {
    for (int x = r.origin.x; x < r.origin.x + VisibleColumns(r); ++x) {
      if (!IsBlank(ShadowAt(r, x, y))) return false;
    }
  }
  return true;
}

// A row whose shown cells equal the shadow's byte for byte has no change, so
// most rows of a flush are passed over without a look at each cell.
static_assert(std::has_unique_object_representations_v<ScreenCell>);
bool RowUnchanged(Renderer& r, const ScreenBuffer& model, int y) {
  const int x = r.origin.x;
  return std::memcmp(&ScreenCellAt(model, x, y), &ShadowAt(r, x, y),
                     sizeof(ScreenCell) * size_t(VisibleColumns(r))) == 0;
}

bool ChangedAt(Renderer& r, const ScreenBuffer& model, int x, int y) {
  return Differs(ScreenCellAt(model, x, y), ShadowAt(r, x, y));
}

// The first changed column of row y in [from, to), or `to`.
int NextChange(Renderer& r, const ScreenBuffer& model, int y, int from, int to) {
  while (from < to && !ChangedAt(r, model, from, y)) ++from;
  return from;
}

// An unchanged cell that can be sent again inside a run without an SGR or a
// multi-byte glyph.
bool CheapToResend(const ScreenCell& cell, uint8_t runAttribute) {
  return cell.known && cell.attribute == runAttribute && Cp437Glyph(cell.character) < 0x80;
}

// One past the last cell of the run that starts at the changed column x.
int RunEnd(Renderer& r, const ScreenBuffer& model, int y, int x, int to) {
  int end = x + 1;
  for (;;) {
    const uint8_t attribute = ScreenCellAt(model, end - 1, y).attribute;
    int gapEnd = end;
    while (gapEnd < to && gapEnd - end < mergeableGap && !ChangedAt(r, model, gapEnd, y) &&
           CheapToResend(ScreenCellAt(model, gapEnd, y), attribute)) {
      ++gapEnd;
    }
    if (gapEnd >= to || !ChangedAt(r, model, gapEnd, y)) return end;
    end = gapEnd + 1;
  }
}

// The first column of the row's blank stretch that reaches its last shown column.
int BlankTailStart(const Renderer& r, const ScreenBuffer& model, int y) {
  int x = r.origin.x + VisibleColumns(r);
  while (x > r.origin.x && IsBlank(ScreenCellAt(model, x - 1, y))) --x;
  return x;
}

// ---- Painting ----------------------------------------------------------------

// After the last column the terminal's cursor waits in a pending wrap, which
// terminals treat differently: its position counts as unknown.
void PaintCell(Renderer& r, const ScreenCell& cell, int x, int y) {
  SetAttribute(r, cell.attribute);
  char glyph[4];
  Emit(r, glyph, Cp437GlyphUtf8(cell.character, glyph));
  ShadowAt(r, x, y) = cell;
  if (++r.cursor.x >= r.terminalWidth) r.cursorKnown = false;
}

void PaintRuns(Renderer& r, const ScreenBuffer& model, int y, int from, int to) {
  int x = from;
  while ((x = NextChange(r, model, y, x, to)) < to) {
    const int end = RunEnd(r, model, y, x, to);
    MoveCursor(r, TerminalPosition(r, x, y));
    for (; x < end; ++x) PaintCell(r, ScreenCellAt(model, x, y), x, y);
  }
}

// EL from the first changed cell of the blank tail [from, to) to the line's end.
void EraseTail(Renderer& r, const ScreenBuffer& model, int y, int from, int to) {
  const int first = NextChange(r, model, y, from, to);
  if (first >= to) return;
  MoveCursor(r, TerminalPosition(r, first, y));
  SetAttribute(r, plainAttribute);
  Emit(r, EraseLineEnd());
  for (int x = first; x < to; ++x) ShadowAt(r, x, y) = blankCell;
}

void RenderRow(Renderer& r, const ScreenBuffer& model, int y) {
  const int end = r.origin.x + VisibleColumns(r);
  // EL erases up to the terminal's edge, which must show the row's last shown cell.
  const int tail = r.terminalWidth <= r.modelWidth ? BlankTailStart(r, model, y) : end;
  PaintRuns(r, model, y, r.origin.x, tail);
  EraseTail(r, model, y, tail, end);
}

// ED clears with the current background, so SGR 0 goes first.
void EraseDisplay(Renderer& r) {
  SetAttribute(r, plainAttribute);
  Emit(r, HomeAndEraseDisplay());
  r.cursor = {0, 0};
  r.cursorKnown = true;
  ResetShadow(r, true);
}

bool ClearPays(Renderer& r, const ScreenBuffer& model) {
  return TerminalShowsOnlyModel(r) && VisibleModelBlank(r, model) && !VisibleShadowBlank(r);
}

// ---- Scrolling -----------------------------------------------------------------

// Line feeds at the bottom of the region holding the model's rows; the rows
// coming in take the current background, hence SGR 0 first. DECSTBM homes the
// cursor, though terminals disagree on where home is.
void ScrollTerminal(Renderer& r, int rows, int lines) {
  SetAttribute(r, plainAttribute);
  const bool region = rows < r.terminalHeight;
  if (region) {
    Emit(r, ScrollRegion(rows));
    r.cursorKnown = false;
  }
  MoveCursor(r, {0, int16_t(rows - 1)});
  for (int i = 0; i < lines; ++i) Emit(r, LineFeed());
  if (region) Emit(r, FullScrollRegion());
  r.cursorKnown = !region;
}

void ScrollShadow(Renderer& r, int rows, int lines) {
  for (int row = 0; row < rows; ++row) {
    const int y = r.origin.y + row;
    for (int x = 0; x < r.modelWidth; ++x) {
      const bool shown = IsVisible(r, x, y);
      ShadowAt(r, x, y) = row + lines < rows ? ShadowAt(r, x, y + lines)
                          : shown            ? blankCell
                                             : unknownCell;
    }
  }
}

// malloc rather than new: the program then needs nothing of the C++ support
// library, whose exception machinery would cost start-up time.
bool Allocate(ScreenCell*& cells, int32_t& capacity, int32_t count) {
  if (cells != nullptr && capacity >= count) return true;
  std::free(cells);
  cells = static_cast<ScreenCell*>(std::malloc(sizeof(ScreenCell) * size_t(count)));
  capacity = cells ? count : 0;
  return cells != nullptr;
}

bool AllocateOutput(Renderer& r, int32_t capacity) {
  if (r.output != nullptr && r.outputCapacity == capacity) return true;
  std::free(r.output);
  r.output = static_cast<char*>(std::malloc(size_t(capacity)));
  r.outputCapacity = r.output ? capacity : 0;
  return r.output != nullptr;
}

int16_t AtLeastOne(int16_t size) {
  return size < 1 ? 1 : size;
}

void SetTerminalSize(Renderer& r, int16_t width, int16_t height) {
  r.terminalWidth = AtLeastOne(width);
  r.terminalHeight = AtLeastOne(height);
  r.origin = {0, 0};
}

void ForgetTerminal(Renderer& r) {
  r.cursorKnown = false;
  ResetShadow(r, false);
}

}  // namespace

bool InitRenderer(Renderer& renderer, const ScreenBuffer& model, int16_t terminalWidth,
                  int16_t terminalHeight, RenderSink sink, int32_t outputCapacity) {
  if (outputCapacity < minimumRenderOutputCapacity) outputCapacity = minimumRenderOutputCapacity;
  if (!Allocate(renderer.shadow, renderer.shadowCapacity, int32_t(model.width) * model.height) ||
      !AllocateOutput(renderer, outputCapacity)) {
    return false;
  }
  renderer.modelWidth = model.width;
  renderer.modelHeight = model.height;
  renderer.sink = sink;
  renderer.outputLength = 0;
  renderer.attribute = attributeUnknown;
  renderer.repaintPending = false;  // the terminal's content stays until the model covers it
  SetTerminalSize(renderer, terminalWidth, terminalHeight);
  ForgetTerminal(renderer);
  return true;
}

void ReleaseRenderer(Renderer& renderer) {
  std::free(renderer.shadow);
  std::free(renderer.output);
  renderer = {};
}

void RenderScroll(Renderer& renderer, int lines) {
  const int rows = VisibleRows(renderer);
  // Nothing on the terminal survives, or it is about to be cleared anyway: the
  // shadow still tells what each terminal cell shows.
  if (lines <= 0 || lines >= rows || renderer.repaintPending) return;
  ScrollTerminal(renderer, rows, lines);
  ScrollShadow(renderer, rows, lines);
}

void RenderChanges(Renderer& renderer, const ScreenBuffer& model) {
  FollowCursor(renderer, model);
  if (renderer.repaintPending || ClearPays(renderer, model)) EraseDisplay(renderer);
  renderer.repaintPending = false;
  for (int y = renderer.origin.y; y < renderer.origin.y + VisibleRows(renderer); ++y) {
    if (!RowUnchanged(renderer, model, y)) RenderRow(renderer, model, y);
  }
  if (IsVisible(renderer, model.cursor.x, model.cursor.y)) {
    MoveCursor(renderer, TerminalPosition(renderer, model.cursor.x, model.cursor.y));
  }
}

void RenderResize(Renderer& renderer, int16_t terminalWidth, int16_t terminalHeight) {
  SetTerminalSize(renderer, terminalWidth, terminalHeight);
  ForgetTerminal(renderer);
  renderer.repaintPending = true;
}

void RenderInvalidate(Renderer& renderer) {
  ForgetTerminal(renderer);
  renderer.attribute = attributeUnknown;
  renderer.repaintPending = true;
}

void SendRenderOutput(Renderer& renderer) {
  if (renderer.outputLength > 0 && renderer.sink.write != nullptr) {
    renderer.sink.write(renderer.sink.context, renderer.output, renderer.outputLength);
  }
  renderer.outputLength = 0;
}

}  // namespace platform::posix
