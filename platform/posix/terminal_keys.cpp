// The key tables: console keys for the CSI / SS3 final bytes ("CSI 1;5 A",
// "SS3 P", keypad "SS3 p".."SS3 y"), "CSI n ~", "CSI [ A".."CSI [ E", and
// kitty's "CSI 57358 u" .. "CSI 57452 u"; modifier parameters as state bits.
#include "platform/posix/terminal_keys.h"

#include <array>
#include <iterator>

#include "platform/posix/key_sequence.h"

namespace platform::posix {

namespace {

constexpr uint32_t enhanced = enhancedKey;

// Indexed by Named.
constexpr Key namedKeys[] = {
    {0, 0, 0, 0},                   // none
    {0x26, 72, 0, enhanced},        // up
    {0x28, 80, 0, enhanced},        // down
    {0x27, 77, 0, enhanced},        // right
    {0x25, 75, 0, enhanced},        // left
    {0x24, 71, 0, enhanced},        // home
    {0x23, 79, 0, enhanced},        // end
    {0x2D, 82, 0, enhanced},        // insert
    {0x2E, 83, 0, enhanced},        // delete
    {0x21, 73, 0, enhanced},        // page up
    {0x22, 81, 0, enhanced},        // page down
    {0x70, 59, 0, 0},               // F1
    {0x71, 60, 0, 0},               // F2
    {0x72, 61, 0, 0},               // F3
    {0x73, 62, 0, 0},               // F4
    {0x74, 63, 0, 0},               // F5
    {0x75, 64, 0, 0},               // F6
    {0x76, 65, 0, 0},               // F7
    {0x77, 66, 0, 0},               // F8
    {0x78, 67, 0, 0},               // F9
    {0x79, 68, 0, 0},               // F10
    {0x7A, 87, 0, 0},               // F11
    {0x7B, 88, 0, 0},               // F12
    {0x7C, 0x64, 0, 0},             // F13
    {0x7D, 0x65, 0, 0},             // F14
    {0x7E, 0x66, 0, 0},             // F15
    {0x7F, 0x67, 0, 0},             // F16
    {0x80, 0x68, 0, 0},             // F17
    {0x81, 0x69, 0, 0},             // F18
    {0x82, 0x6A, 0, 0},             // F19
    {0x83, 0x6B, 0, 0},             // F20
    {0x84, 0x6C, 0, 0},             // F21
    {0x85, 0x6D, 0, 0},             // F22
    {0x86, 0x6E, 0, 0},             // F23
    {0x87, 0x76, 0, 0},             // F24
    {0x14, 0x3A, 0, 0},             // Caps Lock
    {0x91, 0x46, 0, 0},             // Scroll Lock
    {0x90, 0x45, 0, enhanced},      // Num Lock
    {0x2C, 0x37, 0, enhanced},      // Print Screen
    {0x13, 0x45, 0, 0},             // Pause
    {0x5D, 0x5D, 0, enhanced},      // Menu
    {0x60, 82, '0', 0},             // pad 0
    {0x61, 79, '1', 0},             // pad 1
    {0x62, 80, '2', 0},             // pad 2
    {0x63, 81, '3', 0},             // pad 3
    {0x64, 75, '4', 0},             // pad 4
    {0x65, 76, '5', 0},             // pad 5
    {0x66, 77, '6', 0},             // pad 6
    {0x67, 71, '7', 0},             // pad 7
    {0x68, 72, '8', 0},             // pad 8
    {0x69, 73, '9', 0},             // pad 9
    {0x6E, 83, '.', 0},             // pad .
    {0x6F, 53, '/', enhanced},      // pad /
    {0x6A, 55, '*', 0},             // pad *
    {0x6D, 74, '-', 0},             // pad -
    {0x6B, 78, '+', 0},             // pad +
    {0x0D, 28, 13, enhanced},       // pad Enter
    {0x92, 0x59, '=', 0},           // pad = (VK_OEM_NEC_EQUAL)
    {0x6C, 0x7E, ',', 0},           // pad , (VK_SEPARATOR)
    {0x25, 75, 0, 0},               // pad 4 as Left (Num Lock off)
    {0x27, 77, 0, 0},               // pad 6 as Right
    {0x26, 72, 0, 0},               // pad 8 as Up
    {0x28, 80, 0, 0},               // pad 2 as Down
    {0x21, 73, 0, 0},               // pad 9 as Page Up
    {0x22, 81, 0, 0},               // pad 3 as Page Down
    {0x24, 71, 0, 0},               // pad 7 as Home
    {0x23, 79, 0, 0},               // pad 1 as End
    {0x2D, 82, 0, 0},               // pad 0 as Insert
    {0x2E, 83, 0, 0},               // pad . as Delete
    {0x0C, 76, 0, 0},               // pad 5 as Clear
    {0x09, 0x0F, 9, shiftPressed},  // Shift+Tab
};
static_assert(std::size(namedKeys) == static_cast<size_t>(Named::count));

constexpr uint8_t everyForm = ss3Form | csiForm | csiModifiedForm;
constexpr uint8_t padForms = ss3Form | csiModifiedForm;

constexpr FinalKey finalKeyList[] = {
    {'A', Named::up, everyForm},          {'B', Named::down, everyForm},
    {'C', Named::right, everyForm},       {'D', Named::left, everyForm},
    {'E', Named::padBegin, everyForm},    {'F', Named::end, everyForm},
    {'H', Named::home, everyForm},        {'P', Named::f1, everyForm},
    {'Q', Named::f2, everyForm},          {'R', Named::f3, everyForm},
    {'S', Named::f4, everyForm},          {'Z', Named::backTab, csiForm | csiModifiedForm},
    {'M', Named::padEnter, ss3Form},      {'X', Named::padEqual, padForms},
    {'j', Named::padMultiply, padForms},  {'k', Named::padAdd, padForms},
    {'l', Named::padSeparator, padForms}, {'m', Named::padSubtract, padForms},
    {'n', Named::padDecimal, padForms},   {'o', Named::padDivide, padForms},
    {'p', Named::pad0, padForms},         {'q', Named::pad1, padForms},
    {'r', Named::pad2, padForms},         {'s', Named::pad3, padForms},
    {'t', Named::pad4, padForms},         {'u', Named::pad5, padForms},
    {'v', Named::pad6, padForms},         {'w', Named::pad7, padForms},
    {'x', Named::pad8, padForms},         {'y', Named::pad9, padForms},
};

using FinalTable = std::array<FinalKey, lastFinal - firstFinal + 1>;

constexpr FinalTable BuildFinalTable() {
  FinalTable table{};
  for (const FinalKey& entry : finalKeyList) table[entry.final - firstFinal] = entry;
  return table;
}

// Indexed by final byte - 0x40.
constexpr FinalTable finalKeys = BuildFinalTable();

// "CSI n ~", indexed by n.
constexpr Named tildeKeys[] = {
    Named::none,   Named::home,     Named::insert, Named::del, Named::end,   // 0 to 4
    Named::pageUp, Named::pageDown, Named::home,   Named::end, Named::none,  // 5 to 9
    Named::none,   Named::f1,       Named::f2,     Named::f3,  Named::f4,    // 10 to 14
    Named::f5,     Named::none,     Named::f6,     Named::f7,  Named::f8,    // 15 to 19
    Named::f9,     Named::f10,      Named::none,   Named::f11, Named::f12,   // 20 to 24
};

// The Linux console's "CSI [ A" to "CSI [ E".
constexpr Named linuxFunctionKeys[] = {Named::f1, Named::f2, Named::f3, Named::f4, Named::f5};

// kitty's private-use key codes, in runs that follow the order of Named.
struct KittyCodeRun {
  uint32_t firstCode;
  Named firstKey;
  uint32_t count;
};
constexpr KittyCodeRun kittyCodeRuns[] = {
    {57358, Named::capsLock, 6},  // CAPS_LOCK .. MENU
    {57376, Named::f13, 12},      // F13 .. F24 (F25 .. F35 have no console key)
    {57399, Named::pad0, 29},     // KP_0 .. KP_9, KP_DECIMAL .. KP_BEGIN
};
static_assert(static_cast<int>(Named::menu) - static_cast<int>(Named::capsLock) == 5);
static_assert(static_cast<int>(Named::f24) - static_cast<int>(Named::f13) == 11);
static_assert(static_cast<int>(Named::padBegin) - static_cast<int>(Named::pad0) == 28);

constexpr uint32_t firstModifierCode = 57441;  // LEFT_SHIFT
constexpr ModifierKey modifierKeys[] = {
    {{0x10, 0x2A, 0, 0}, shiftPressed},             // LEFT_SHIFT
    {{0x11, 0x1D, 0, 0}, leftCtrlPressed},          // LEFT_CONTROL
    {{0x12, 0x38, 0, 0}, leftAltPressed},           // LEFT_ALT
    {{0x5B, 0x5B, 0, enhanced}, 0},                 // LEFT_SUPER: the left Windows key
    {{0, 0, 0, 0}, 0},                              // LEFT_HYPER: no console key
    {{0x12, 0x38, 0, 0}, leftAltPressed},           // LEFT_META, taken as Alt
    {{0x10, 0x36, 0, 0}, shiftPressed},             // RIGHT_SHIFT
    {{0x11, 0x1D, 0, enhanced}, rightCtrlPressed},  // RIGHT_CONTROL
    {{0x12, 0x38, 0, enhanced}, rightAltPressed},   // RIGHT_ALT
    {{0x5C, 0x5C, 0, enhanced}, 0},                 // RIGHT_SUPER
    {{0, 0, 0, 0}, 0},                              // RIGHT_HYPER
    {{0x12, 0x38, 0, enhanced}, rightAltPressed},   // RIGHT_META
};

// Indexed by the bits of a modifier parameter (value - 1), lowest first.
constexpr uint32_t xtermModifierStates[] = {
    shiftPressed,     // 1 Shift
    leftAltPressed,   // 2 Alt
    leftCtrlPressed,  // 4 Ctrl
    leftAltPressed,   // 8 Meta
    0,                // 16
    0,                // 32
    0,                // 64
    0,                // 128
};
constexpr uint32_t kittyModifierStates[] = {
    shiftPressed,     // 1 Shift
    leftAltPressed,   // 2 Alt
    leftCtrlPressed,  // 4 Ctrl
    0,                // 8 Super
    0,                // 16 Hyper
    leftAltPressed,   // 32 Meta
    capsLockOn,       // 64 Caps Lock
    numLockOn,        // 128 Num Lock
};
static_assert(std::size(xtermModifierStates) == 8 && std::size(kittyModifierStates) == 8);

}  // namespace

Key NamedKey(Named named) {
  return namedKeys[static_cast<int>(named)];
}

FinalKey FinalByteKey(uint8_t final) {
  if (final < firstFinal || final > lastFinal) return {};
  return finalKeys[final - firstFinal];
}

Named TildeKey(uint32_t number) {
  return number < std::size(tildeKeys) ? tildeKeys[number] : KittyNamed(number);
}

Named LinuxFunctionKey(uint8_t final) {
  uint32_t index = final - 'A';
  return index < std::size(linuxFunctionKeys) ? linuxFunctionKeys[index] : Named::none;
}

Named KittyNamed(uint32_t code) {
  for (const KittyCodeRun& run : kittyCodeRuns) {
    if (code >= run.firstCode && code - run.firstCode < run.count)
      return static_cast<Named>(static_cast<uint32_t>(run.firstKey) + code - run.firstCode);
  }
  return Named::none;
}

const ModifierKey* KittyModifierKey(uint32_t code) {
  uint32_t index = code - firstModifierCode;
  if (code < firstModifierCode || index >= std::size(modifierKeys)) return nullptr;
  return &modifierKeys[index];
}

uint32_t ModifierState(uint32_t bits, bool kittyProtocol) {
  const uint32_t* table = kittyProtocol ? kittyModifierStates : xtermModifierStates;
  uint32_t state = 0;
  for (int bit = 0; bit < 8; ++bit) {
    if (bits & (1u << bit)) state |= table[bit];
  }
  return state;
}

}  // namespace platform::posix
