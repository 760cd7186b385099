// ExtendedKeyCode: a key's scan code mapped by its modifier class (Alt, Ctrl,
// Shift or none) through a table built from the rows of the PC keyboard's
// extended codes; an unlisted scan code stands for itself.
#include <array>

#include "console/console_state.h"
#include "console/key_codes.h"
#include "console/keyboard.h"

namespace console {

namespace {

enum ModifierClass { altClass, ctrlClass, shiftClass, noClass, classCount };

// How a row maps its scan codes s in one class.
struct Mapping {
  enum Kind : uint8_t { keep, add, set, ctrlPad } kind;
  uint8_t value;
};

constexpr Mapping Keep() {
  return {Mapping::keep, 0};
}
constexpr Mapping Add(uint8_t n) {
  return {Mapping::add, n};
}
constexpr Mapping Set(uint8_t n) {
  return {Mapping::set, n};
}
constexpr Mapping CtrlPad() {
  return {Mapping::ctrlPad, 0};
}

struct Row {
  uint8_t first, last;  // scan codes, inclusive
  Mapping byClass[classCount];
};

// Ctrl with the cursor block and the numeric pad, scan codes 71 to 83.
constexpr uint8_t ctrlPad[13] = {0x77, 0x8D, 0x84, 0x8E, 0x73, 0x8F, 0x74,
                                 0x4E, 0x75, 0x91, 0x76, 0x92, 0x93};

constexpr Row rows[] = {
    {2, 13, {Add(118), Keep(), Keep(), Keep()}},         // 1 to 0, minus, equals
    {15, 15, {Keep(), Set(148), Keep(), Keep()}},        // Tab
    {28, 28, {Set(166), Keep(), Keep(), Keep()}},        // Enter
    {53, 53, {Set(164), Set(149), Keep(), Keep()}},      // slash, pad divide
    {55, 55, {Keep(), Set(150), Keep(), Keep()}},        // pad multiply
    {59, 68, {Add(45), Add(35), Add(25), Keep()}},       // F1 to F10
    {71, 73, {Add(80), CtrlPad(), Keep(), Keep()}},      // Home, Up, Page Up
    {74, 74, {Keep(), CtrlPad(), Keep(), Keep()}},       // pad minus
    {75, 75, {Add(80), CtrlPad(), Keep(), Keep()}},      // Left
    {76, 76, {Keep(), CtrlPad(), Keep(), Keep()}},       // pad 5
    {77, 77, {Add(80), CtrlPad(), Keep(), Keep()}},      // Right
    {78, 78, {Keep(), CtrlPad(), Keep(), Keep()}},       // pad plus
    {79, 83, {Add(80), CtrlPad(), Keep(), Keep()}},      // End, Down, Page Down, Insert, Delete
    {87, 87, {Set(139), Set(137), Set(135), Set(133)}},  // F11
    {88, 88, {Set(140), Set(138), Set(136), Set(134)}},  // F12
};

constexpr int tableSize = 89;  // scan codes 0 to 88; the rest stand for themselves

// extendedTable[class][s]: the code of scan code s in a class.
constexpr auto extendedTable = [] {
  std::array<std::array<uint8_t, tableSize>, classCount> table{};
  for (int c = 0; c < classCount; ++c) {
    for (int s = 0; s < tableSize; ++s) table[c][s] = uint8_t(s);
  }
  for (const Row& row : rows) {
    for (int c = 0; c < classCount; ++c) {
      for (int s = row.first; s <= row.last; ++s) {
        const Mapping m = row.byClass[c];
        if (m.kind == Mapping::add) table[c][s] = uint8_t(s + m.value);
        if (m.kind == Mapping::set) table[c][s] = m.value;
        if (m.kind == Mapping::ctrlPad) table[c][s] = ctrlPad[s - 71];
      }
    }
  }
  return table;
}();

static_assert(extendedTable[altClass][2] == 120 && extendedTable[altClass][13] == 131);
static_assert(extendedTable[ctrlClass][78] == 78 && extendedTable[ctrlClass][72] == 141);
static_assert(extendedTable[altClass][74] == 74 && extendedTable[altClass][83] == 163);

ModifierClass ClassOf(uint32_t state) {
  if (state & altPressed) return altClass;
  if (state & (platform::rightCtrlPressed | platform::leftCtrlPressed)) return ctrlClass;
  if (state & platform::shiftPressed) return shiftClass;
  return noClass;
}

}  // namespace

uint8_t ExtendedKeyCode(uint16_t scanCode, uint32_t controlKeyState, uint16_t virtualKeyCode) {
  const ModifierClass modifiers = ClassOf(controlKeyState);
  if (IsAltCodeDigit(controlKeyState, virtualKeyCode)) {
    ConsoleState& state = consoleState;
    state.altCodeActive = true;
    state.altCodeValue = uint8_t(state.altCodeValue * 10 + (virtualKeyCode - vkPadZero));
  }
  if (scanCode >= tableSize) return uint8_t(scanCode);
  return extendedTable[modifiers][scanCode];
}

}  // namespace console
