// The renderer's control bytes: CUP (CSI row;col H), CUF / CUB / CUU / CUD
// (CSI n C / D / A / B) and CR, SGR 30-37, 90-97, 40-47, 100-107 and 0, EL
// (CSI K), ED (CSI 2 J), DECSTBM (CSI 1;n r, CSI r) and LF.
#include "platform/posix/terminal_output.h"

#include <iterator>

#include "platform/posix/renderer.h"

namespace platform::posix {

namespace {

// Win32 colour bits are B=1, G=2, R=4; ANSI numbers its colours R=1, G=2, B=4.
constexpr uint8_t ansiColour[8] = {0, 4, 2, 6, 1, 5, 3, 7};
static_assert(std::size(ansiColour) == 8);

void Add(ControlBytes& sequence, const char* text) {
  while (*text) sequence.bytes[sequence.length++] = *text++;
}

void AddNumber(ControlBytes& sequence, int number) {
  char digits[8];
  int count = 0;
  do {
    digits[count++] = char('0' + number % 10);
    number /= 10;
  } while (number > 0);
  while (count > 0) sequence.bytes[sequence.length++] = digits[--count];
}

// CSI n <final>, the count left out where it is the default 1.
void AddCountedControl(ControlBytes& sequence, int count, const char* final) {
  Add(sequence, "\x1b[");
  if (count != 1) AddNumber(sequence, count);
  Add(sequence, final);
}

ControlBytes Text(const char* text) {
  ControlBytes sequence = {};
  Add(sequence, text);
  return sequence;
}

ControlBytes AbsoluteMove(Coord to) {
  ControlBytes sequence = {};
  Add(sequence, "\x1b[");
  if (to.x > 0 || to.y > 0) AddNumber(sequence, to.y + 1);
  if (to.x > 0) {
    Add(sequence, ";");
    AddNumber(sequence, to.x + 1);
  }
  Add(sequence, "H");
  return sequence;
}

void AddVerticalMove(ControlBytes& sequence, int from, int to) {
  if (to > from) AddCountedControl(sequence, to - from, "B");
  if (to < from) AddCountedControl(sequence, from - to, "A");
}

// Relative moves from a known cursor position; each tells whether it applies.
using RelativeMove = bool (*)(Coord from, Coord to, ControlBytes& sequence);

bool ColumnMove(Coord from, Coord to, ControlBytes& sequence) {
  if (from.y != to.y) return false;
  AddCountedControl(sequence, to.x > from.x ? to.x - from.x : from.x - to.x,
                    to.x > from.x ? "C" : "D");
  return true;
}

bool RowMove(Coord from, Coord to, ControlBytes& sequence) {
  if (from.x != to.x) return false;
  AddVerticalMove(sequence, from.y, to.y);
  return true;
}

bool ReturnMove(Coord from, Coord to, ControlBytes& sequence) {
  if (to.x != 0 || from.x == 0) return false;
  Add(sequence, "\r");
  AddVerticalMove(sequence, from.y, to.y);
  return true;
}

constexpr RelativeMove relativeMoves[] = {ColumnMove, RowMove, ReturnMove};

void AddForeground(ControlBytes& sequence, uint8_t attribute) {
  AddNumber(sequence, (attribute & 0x08 ? 90 : 30) + ansiColour[attribute & 0x07]);
}

void AddBackground(ControlBytes& sequence, uint8_t attribute) {
  AddNumber(sequence, (attribute & 0x80 ? 100 : 40) + ansiColour[attribute >> 4 & 0x07]);
}

}  // namespace

ControlBytes CursorMove(Coord from, bool fromKnown, Coord to) {
  if (fromKnown && from.x == to.x && from.y == to.y) return {};
  ControlBytes best = AbsoluteMove(to);
  if (!fromKnown) return best;
  for (RelativeMove move : relativeMoves) {
    ControlBytes candidate = {};
    if (move(from, to, candidate) && candidate.length < best.length) best = candidate;
  }
  return best;
}

ControlBytes AttributeChange(int16_t from, uint8_t to) {
  ControlBytes sequence = {};
  Add(sequence, "\x1b[");
  if (to == plainAttribute) {
    Add(sequence, "0");
  } else if (from == attributeUnknown || from == plainAttribute) {
    if (from == attributeUnknown) Add(sequence, "0;");
    AddForeground(sequence, to);
    Add(sequence, ";");
    AddBackground(sequence, to);
  } else {
    const bool foreground = (from ^ to) & 0x0F;
    if (foreground) AddForeground(sequence, to);
    if (foreground && ((from ^ to) & 0xF0)) Add(sequence, ";");
    if ((from ^ to) & 0xF0) AddBackground(sequence, to);
  }
  Add(sequence, "m");
  return sequence;
}

ControlBytes EraseLineEnd() {
  return Text("\x1b[K");
}

ControlBytes HomeAndEraseDisplay() {
  return Text("\x1b[H\x1b[2J");
}

ControlBytes ScrollRegion(int rows) {
  ControlBytes sequence = {};
  Add(sequence, "\x1b[1;");
  AddNumber(sequence, rows);
  Add(sequence, "r");
  return sequence;
}

ControlBytes FullScrollRegion() {
  return Text("\x1b[r");
}

ControlBytes LineFeed() {
  return Text("\n");
}

}  // namespace platform::posix
