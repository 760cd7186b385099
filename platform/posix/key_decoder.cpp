// Terminal bytes to console key events: UTF-8 text, ESC x as Alt+x, CSI / SS3
// keys ("CSI 1;m A", "CSI n;m ~", "SS3 P", keypad "SS3 p".."SS3 y"), kitty's
// "CSI code:shifted:base;mods:event;text u", and the replies "CSI row;col R",
// "CSI ? flags u", "CSI ? ... c" to the start-up queries.
#include "platform/posix/key_decoder.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "platform/cp437.h"
#include "platform/us_layout.h"

namespace platform::posix {

namespace {

constexpr uint8_t escByte = 0x1B;
constexpr uint32_t enhanced = enhancedKey;
constexpr uint32_t anyCtrl = leftCtrlPressed | rightCtrlPressed;

// ---- Keys -----------------------------------------------------------------

// A key as the console reports it, before the down/up direction.
struct Key {
  uint8_t virtualKeyCode;
  uint8_t scanCode;
  uint8_t character;  // code page 437, 0 for none
  uint32_t state;     // controlKeyState bits
};

// The keys a terminal reports by sequence rather than by character. The
// kitty code ranges below rely on the order of capsLock..menu, f13..f24 and
// pad0..padBegin.
// clang-format off
enum class Named : uint8_t {
  none,
  up, down, right, left, home, end, insert, del, pageUp, pageDown,
  f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12,
  f13, f14, f15, f16, f17, f18, f19, f20, f21, f22, f23, f24,
  capsLock, scrollLock, numLock, printScreen, pause, menu,
  pad0, pad1, pad2, pad3, pad4, pad5, pad6, pad7, pad8, pad9,
  padDecimal, padDivide, padMultiply, padSubtract, padAdd, padEnter, padEqual, padSeparator,
  padLeft, padRight, padUp, padDown, padPageUp, padPageDown, padHome, padEnd, padInsert,
  padDelete, padBegin,
  backTab,
  count
};
// clang-format on

// Indexed by Named: what a console reports for each key (the pad digits as
// with Num Lock on, the pad's cursor keys as with it off).
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

// Where a final byte names a key: after SS3, after CSI, and after CSI only
// with a modifier parameter (a bare "CSI n" with these finals is no key).
constexpr uint8_t ss3Form = 1;
constexpr uint8_t csiForm = 2;
constexpr uint8_t csiModifiedForm = 4;
constexpr uint8_t everyForm = ss3Form | csiForm | csiModifiedForm;
constexpr uint8_t padForms = ss3Form | csiModifiedForm;

struct FinalKey {
  uint8_t final;
  Named key;
  uint8_t forms;
};

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
static_assert(std::size(finalKeyList) == 30);

constexpr uint8_t firstFinal = 0x40;
constexpr uint8_t lastFinal = 0x7E;
using FinalTable = std::array<FinalKey, lastFinal - firstFinal + 1>;

constexpr FinalTable BuildFinalTable() {
  FinalTable table{};
  for (const FinalKey& entry : finalKeyList) table[entry.final - firstFinal] = entry;
  return table;
}

// Indexed by final byte - 0x40.
constexpr FinalTable finalKeys = BuildFinalTable();
static_assert(finalKeys.size() == 63);

// "CSI n ~", indexed by n.
constexpr Named tildeKeys[] = {
    Named::none,   Named::home,     Named::insert, Named::del, Named::end,   // 0 to 4
    Named::pageUp, Named::pageDown, Named::home,   Named::end, Named::none,  // 5 to 9
    Named::none,   Named::f1,       Named::f2,     Named::f3,  Named::f4,    // 10 to 14
    Named::f5,     Named::none,     Named::f6,     Named::f7,  Named::f8,    // 15 to 19
    Named::f9,     Named::f10,      Named::none,   Named::f11, Named::f12,   // 20 to 24
};
static_assert(std::size(tildeKeys) == 25);

// The Linux console's "CSI [ A" to "CSI [ E".
constexpr Named linuxFunctionKeys[] = {Named::f1, Named::f2, Named::f3, Named::f4, Named::f5};
static_assert(std::size(linuxFunctionKeys) == 5);

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
static_assert(std::size(kittyCodeRuns) == 3);
static_assert(static_cast<int>(Named::menu) - static_cast<int>(Named::capsLock) == 5);
static_assert(static_cast<int>(Named::f24) - static_cast<int>(Named::f13) == 11);
static_assert(static_cast<int>(Named::padBegin) - static_cast<int>(Named::pad0) == 28);

// kitty's modifier keys, LEFT_SHIFT (57441) to RIGHT_META (57452). A console
// reports VK_SHIFT / VK_CONTROL / VK_MENU and tells the sides by scan code and
// enhancedKey; `held` is the state bit the key sets while down.
struct ModifierKey {
  Key key;
  uint32_t held;
};

constexpr uint32_t firstModifierCode = 57441;
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
static_assert(std::size(modifierKeys) == 12);

// The bits of a modifier parameter (value - 1), lowest first. xterm's bit 8 is
// Meta, kitty's is Super; both report Meta as Alt.
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

struct SidePair {
  uint32_t left;
  uint32_t right;
};
constexpr SidePair sidePairs[] = {{leftAltPressed, rightAltPressed},
                                  {leftCtrlPressed, rightCtrlPressed}};

// ---- Sequences --------------------------------------------------------------

constexpr int maxParams = 4;
constexpr int maxSubParams = 4;
constexpr uint32_t paramCeiling = 99999999;  // larger numbers stick here

// One CSI or SS3 sequence as it arrived.
struct Sequence {
  uint8_t introducer;  // '[' CSI, 'O' SS3
  uint8_t marker;      // private marker '?' '>' '<' '=', '[' for "CSI [ x", 0 for none
  bool odd;            // intermediate bytes or a misplaced marker: no key looks like this
  uint8_t final;       // 0x40 to 0x7E
  int paramCount;      // parameters written, empty ones included: "1;" has 2
  int subIndex;        // while scanning: the sub-parameter being written
  uint32_t params[maxParams][maxSubParams];  // 0 where omitted; beyond the bounds not kept
  int subCounts[maxParams];
};

uint32_t Param(const Sequence& seq, int index, int sub) {
  if (index < 0 || index >= maxParams || sub >= maxSubParams) return 0;
  return seq.params[index][sub];
}

enum class Scan : uint8_t { incomplete, complete, invalid };

enum class TokenKind : uint8_t { byte, codePoint, escape, sequence };

// One decoded unit at the start of the pending bytes.
struct Token {
  TokenKind kind;
  int length;      // bytes it takes
  bool altPrefix;  // an extra ESC came first: the key is reported with Alt
  uint32_t value;  // the byte, or the code point
  Sequence sequence;
};

bool IsIntroducer(uint8_t byte) {
  return byte == '[' || byte == 'O';
}

bool IsMarker(uint8_t byte) {
  return byte >= '<' && byte <= '?';
}

void AddDigit(Sequence& seq, uint8_t digit) {
  if (seq.paramCount == 0) seq.paramCount = 1;
  int index = seq.paramCount - 1;
  if (index >= maxParams || seq.subIndex >= maxSubParams) return;
  uint32_t& value = seq.params[index][seq.subIndex];
  value = std::min(paramCeiling, value * 10 + (digit - '0'));
  seq.subCounts[index] = std::max(seq.subCounts[index], seq.subIndex + 1);
}

// Parameter and intermediate bytes; false for a byte that has no place in a sequence.
bool TakeParameterByte(Sequence& seq, uint8_t byte) {
  if (byte >= '0' && byte <= '9') {
    AddDigit(seq, byte);
  } else if (byte == ';' || byte == ':') {
    seq.paramCount = std::max(seq.paramCount, 1) + (byte == ';' ? 1 : 0);
    seq.subIndex = byte == ';' ? 0 : seq.subIndex + 1;
  } else if (byte >= 0x20 && byte <= 0x3F) {
    seq.odd = true;
  } else {
    return false;
  }
  return true;
}

// `bytes` starts with ESC and an introducer.
Scan ScanSequence(const uint8_t* bytes, int count, Sequence& seq, int& length) {
  seq = Sequence{};
  seq.introducer = bytes[1];
  int i = 2;
  bool linuxKey = i < count && seq.introducer == '[' && bytes[i] == '[';
  if (i < count && (linuxKey || IsMarker(bytes[i]))) seq.marker = bytes[i++];
  for (; i < count; ++i) {
    if (bytes[i] >= firstFinal && bytes[i] <= lastFinal) {
      seq.final = bytes[i];
      length = i + 1;
      return Scan::complete;
    }
    if (!TakeParameterByte(seq, bytes[i])) return Scan::invalid;
  }
  return Scan::incomplete;
}

// Lead bytes of UTF-8 with the sequence length and the range the second byte
// must fall in (no overlong forms, no surrogates, nothing above U+10FFFF).
struct Utf8Lead {
  uint8_t first;
  uint8_t last;
  uint8_t length;
  uint8_t secondLow;
  uint8_t secondHigh;
};
constexpr Utf8Lead utf8Leads[] = {
    {0xC2, 0xDF, 2, 0x80, 0xBF}, {0xE0, 0xE0, 3, 0xA0, 0xBF}, {0xE1, 0xEC, 3, 0x80, 0xBF},
    {0xED, 0xED, 3, 0x80, 0x9F}, {0xEE, 0xEF, 3, 0x80, 0xBF}, {0xF0, 0xF0, 4, 0x90, 0xBF},
    {0xF1, 0xF3, 4, 0x80, 0xBF}, {0xF4, 0xF4, 4, 0x80, 0x8F},
};
static_assert(std::size(utf8Leads) == 8);

const Utf8Lead* FindUtf8Lead(uint8_t byte) {
  for (const Utf8Lead& lead : utf8Leads) {
    if (byte >= lead.first && byte <= lead.last) return &lead;
  }
  return nullptr;
}

Scan ScanUtf8(const uint8_t* bytes, int count, Token& token) {
  const Utf8Lead* lead = FindUtf8Lead(bytes[0]);
  if (lead == nullptr) return Scan::invalid;
  uint32_t codePoint = bytes[0] & (0x7F >> lead->length);
  for (int i = 1; i < lead->length; ++i) {
    if (i >= count) return Scan::incomplete;
    uint8_t low = i == 1 ? lead->secondLow : 0x80;
    uint8_t high = i == 1 ? lead->secondHigh : 0xBF;
    if (bytes[i] < low || bytes[i] > high) return Scan::invalid;
    codePoint = (codePoint << 6) | (bytes[i] & 0x3F);
  }
  token = Token{TokenKind::codePoint, lead->length, false, codePoint, {}};
  return Scan::complete;
}

Scan ScanText(const uint8_t* bytes, int count, Token& token) {
  if (bytes[0] >= 0x80) return ScanUtf8(bytes, count, token);
  token = Token{TokenKind::byte, 1, false, bytes[0], {}};
  return Scan::complete;
}

Scan ScanEscapeSequence(const uint8_t* bytes, int count, Token& token) {
  token.kind = TokenKind::sequence;
  return ScanSequence(bytes, count, token.sequence, token.length);
}

// ESC ESC: Alt with a sequence ("ESC ESC [ A" is Alt+Up), else Alt+Esc.
Scan ScanDoubleEscape(const uint8_t* bytes, int count, Token& token) {
  if (count == 2) return Scan::incomplete;
  if (!IsIntroducer(bytes[2])) {
    token = Token{TokenKind::escape, 2, true, escByte, {}};
    return Scan::complete;
  }
  Scan scan = ScanEscapeSequence(bytes + 1, count - 1, token);
  token.altPrefix = true;
  token.length += 1;
  return scan;
}

// ESC with text: Alt with that key. ESC before a broken UTF-8 byte is Esc alone.
Scan ScanAltText(const uint8_t* bytes, int count, Token& token) {
  Scan scan = ScanText(bytes + 1, count - 1, token);
  token.altPrefix = true;
  token.length += 1;
  if (scan == Scan::invalid) token = Token{TokenKind::escape, 1, false, escByte, {}};
  return scan == Scan::invalid ? Scan::complete : scan;
}

Scan ScanToken(const uint8_t* bytes, int count, Token& token) {
  token = Token{};
  if (bytes[0] != escByte) return ScanText(bytes, count, token);
  if (count == 1) return Scan::incomplete;
  if (IsIntroducer(bytes[1])) return ScanEscapeSequence(bytes, count, token);
  if (bytes[1] == escByte) return ScanDoubleEscape(bytes, count, token);
  return ScanAltText(bytes, count, token);
}

// ---- Events ---------------------------------------------------------------

void EmitKey(InputQueue& queue, const Key& key, bool down) {
  PushEvent(queue, InputEvent{keyEvent, down, 1, key.virtualKeyCode, key.scanCode, key.character,
                              key.state});
}

Key KeyOfByte(uint8_t byte, uint32_t extraState) {
  InputEvent event = UsKeyEvent(byte);
  return Key{static_cast<uint8_t>(event.virtualKeyCode),
             static_cast<uint8_t>(event.virtualScanCode), event.asciiChar,
             event.controlKeyState | extraState};
}

uint8_t Cp437OrNothing(uint32_t codePoint) {
  int byte = UnicodeToCp437(codePoint);
  return byte < 0 ? 0 : static_cast<uint8_t>(byte);
}

// A typed character without a key of the US layout; dropped where code page
// 437 has none.
void EmitCharacter(InputQueue& queue, uint32_t codePoint, uint32_t state) {
  uint8_t character = Cp437OrNothing(codePoint);
  if (character != 0) EmitKey(queue, Key{0, 0, character, state}, true);
}

// kitty event types: 1 press, 2 repeat, 3 release; omitted is a press.
bool IsKeyDown(uint32_t eventType) {
  return eventType != 3;
}

// Left or right: a side held per the modifier keys wins over the left default.
// A modifier the parameter does not report is not held any more.
uint32_t ResolveSide(KeyDecoder& decoder, uint32_t state, SidePair pair) {
  uint32_t both = pair.left | pair.right;
  if ((state & both) == 0) {
    decoder.heldModifiers &= ~both;
    return state;
  }
  uint32_t held = decoder.heldModifiers & both;
  return held != 0 ? (state & ~both) | held : state;
}

// The state bits of a modifier parameter (1 + bits; 0 or 1 for none).
uint32_t TakeModifierState(KeyDecoder& decoder, uint32_t parameter) {
  uint32_t bits = parameter > 1 ? parameter - 1 : 0;
  const uint32_t* table = decoder.kittyProtocol ? kittyModifierStates : xtermModifierStates;
  uint32_t state = 0;
  for (int bit = 0; bit < 8; ++bit) {
    if (bits & (1u << bit)) state |= table[bit];
  }
  for (const SidePair& pair : sidePairs) state = ResolveSide(decoder, state, pair);
  return state;
}

// A named key whose modifiers and event type sit in parameter `modifierIndex`
// (-1: none).
bool EmitNamed(KeyDecoder& decoder, Named named, const Sequence& seq, int modifierIndex,
               uint32_t extraState, InputQueue& queue) {
  Key key = namedKeys[static_cast<int>(named)];
  if (key.virtualKeyCode == 0) return false;
  key.state |= TakeModifierState(decoder, Param(seq, modifierIndex, 0)) | extraState;
  EmitKey(queue, key, IsKeyDown(Param(seq, modifierIndex, 1)));
  return true;
}

// A modifier key of its own (kitty): it sets its bit while down, whatever
// convention the terminal follows for the parameter of the modifier's own event.
bool EmitModifierKey(KeyDecoder& decoder, const ModifierKey& modifier, const Sequence& seq,
                     InputQueue& queue) {
  if (modifier.key.virtualKeyCode == 0) return false;
  bool down = IsKeyDown(Param(seq, 1, 1));
  if (down) decoder.heldModifiers |= modifier.held;
  uint32_t state = TakeModifierState(decoder, Param(seq, 1, 0));
  state = down ? state | modifier.held : state & ~modifier.held;
  decoder.heldModifiers =
      down ? decoder.heldModifiers | modifier.held : decoder.heldModifiers & ~modifier.held;
  Key key = modifier.key;
  key.state |= state;
  EmitKey(queue, key, down);
  return true;
}

// The shifted key the terminal reported, else the US layout's.
uint32_t ShiftedCode(uint32_t code, uint32_t shifted) {
  if (shifted != 0) return shifted;
  return code < 128 ? UsShiftedCharacter(static_cast<uint8_t>(code)) : code;
}

bool IsAsciiLetter(uint32_t c) {
  return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}

// The character of a text key: Ctrl gives the control character (or none), else
// the associated text, else the key code with Shift and Caps Lock applied.
uint8_t TextKeyCharacter(const Sequence& seq, uint8_t virtualKeyCode, uint32_t state) {
  if (state & anyCtrl) {
    int control = UsControlCharacter(virtualKeyCode, (state & shiftPressed) != 0);
    return control < 0 ? 0 : static_cast<uint8_t>(control);
  }
  if (Param(seq, 2, 0) != 0) return Cp437OrNothing(Param(seq, 2, 0));
  uint32_t code = Param(seq, 0, 0);
  if (state & shiftPressed) code = ShiftedCode(code, Param(seq, 0, 1));
  if ((state & capsLockOn) && IsAsciiLetter(code)) code ^= 0x20;
  return code < 128 ? UsLayoutKey(static_cast<uint8_t>(code)).character : Cp437OrNothing(code);
}

// "CSI code:shifted:base ; mods:event ; text u" for a key with a character;
// code 0 is text without a key. Further code points of the text follow as
// characters of their own.
bool EmitTextKey(KeyDecoder& decoder, const Sequence& seq, uint32_t extraState, InputQueue& queue) {
  uint32_t base = Param(seq, 0, 2) != 0 ? Param(seq, 0, 2) : Param(seq, 0, 0);
  UsKey layoutKey = base != 0 && base < 128 ? UsLayoutKey(static_cast<uint8_t>(base)) : UsKey{};
  uint32_t state = TakeModifierState(decoder, Param(seq, 1, 0)) | extraState;
  Key key{layoutKey.virtualKeyCode, layoutKey.scanCode, 0, state};
  key.character = TextKeyCharacter(seq, key.virtualKeyCode, state);
  if (key.virtualKeyCode == 0 && key.character == 0) return false;
  bool down = IsKeyDown(Param(seq, 1, 1));
  EmitKey(queue, key, down);
  for (int i = 1; down && i < seq.subCounts[2]; ++i) EmitCharacter(queue, Param(seq, 2, i), 0);
  return true;
}

Named KittyNamed(uint32_t code) {
  for (const KittyCodeRun& run : kittyCodeRuns) {
    if (code >= run.firstCode && code - run.firstCode < run.count)
      return static_cast<Named>(static_cast<uint32_t>(run.firstKey) + code - run.firstCode);
  }
  return Named::none;
}

bool DecodeCsiU(KeyDecoder& decoder, const Sequence& seq, uint32_t extraState, InputQueue& queue) {
  uint32_t code = Param(seq, 0, 0);
  uint32_t modifierIndex = code - firstModifierCode;
  if (seq.paramCount > 3) return false;
  if (code >= firstModifierCode && modifierIndex < std::size(modifierKeys))
    return EmitModifierKey(decoder, modifierKeys[modifierIndex], seq, queue);
  Named named = KittyNamed(code);
  if (named != Named::none) return EmitNamed(decoder, named, seq, 1, extraState, queue);
  return EmitTextKey(decoder, seq, extraState, queue);
}

// "CSI 27 ; mods ; code ~" (xterm's modifyOtherKeys) is "CSI code ; mods u".
bool DecodeModifiedOtherKey(KeyDecoder& decoder, const Sequence& seq, uint32_t extraState,
                            InputQueue& queue) {
  Sequence asCsiU{};
  asCsiU.paramCount = 2;
  asCsiU.params[0][0] = Param(seq, 2, 0);
  asCsiU.params[1][0] = Param(seq, 1, 0);
  return EmitTextKey(decoder, asCsiU, extraState, queue);
}

bool DecodeTilde(KeyDecoder& decoder, const Sequence& seq, uint32_t extraState, InputQueue& queue) {
  uint32_t number = Param(seq, 0, 0);
  if (number == 27 && seq.paramCount == 3)
    return DecodeModifiedOtherKey(decoder, seq, extraState, queue);
  if (seq.paramCount > 2) return false;
  Named named = number < std::size(tildeKeys) ? tildeKeys[number] : KittyNamed(number);
  return EmitNamed(decoder, named, seq, 1, extraState, queue);
}

// Where a key named by its final byte keeps the modifier parameter: "CSI 1;m A"
// and "SS3 1;m P" at 1, "SS3 m P" at 0, none at -1; -2 when no key looks so.
int FinalModifierIndex(const Sequence& seq, uint8_t forms) {
  if (seq.introducer == 'O') {
    if ((forms & ss3Form) == 0 || seq.paramCount > 2) return -2;
    return seq.paramCount - 1;
  }
  if (seq.paramCount > 2 || Param(seq, 0, 0) > 1) return -2;
  if (seq.paramCount == 2) return (forms & csiModifiedForm) ? 1 : -2;
  return (forms & csiForm) ? -1 : -2;
}

bool DecodeFinal(KeyDecoder& decoder, const Sequence& seq, uint32_t extraState, InputQueue& queue) {
  const FinalKey& entry = finalKeys[seq.final - firstFinal];
  int modifierIndex = FinalModifierIndex(seq, entry.forms);
  if (entry.key == Named::none || modifierIndex == -2) return false;
  return EmitNamed(decoder, entry.key, seq, modifierIndex, extraState, queue);
}

bool DecodeLinuxFunctionKey(KeyDecoder& decoder, const Sequence& seq, uint32_t extraState,
                            InputQueue& queue) {
  uint32_t index = seq.final - 'A';
  if (seq.paramCount != 0 || index >= std::size(linuxFunctionKeys)) return false;
  return EmitNamed(decoder, linuxFunctionKeys[index], seq, -1, extraState, queue);
}

uint16_t Clamp16(uint32_t value) {
  return static_cast<uint16_t>(std::min<uint32_t>(value, 0xFFFF));
}

void NoteAttributes(TerminalReplies& replies, uint32_t deviceClass) {
  if (!replies.batchPending) return;
  replies.attributesReceived = true;
  replies.deviceClass = Clamp16(deviceClass);
  replies.batchPending = false;
  replies.positionPending = false;  // the terminal answers in order: no report is coming
}

// "CSI ? flags u" and "CSI ? class ; ... c"; outside a batch they mean nothing.
void TakePrivateReply(TerminalReplies& replies, const Sequence& seq) {
  if (!replies.batchPending || seq.introducer != '[') return;
  if (seq.final == 'u') {
    replies.kittyFlagsReceived = true;
    replies.kittyFlags = Param(seq, 0, 0);
  } else if (seq.final == 'c') {
    NoteAttributes(replies, Param(seq, 0, 0));
  }
}

bool IsPositionReport(const KeyDecoder& decoder, const Sequence& seq) {
  return decoder.replies.positionPending && seq.introducer == '[' && seq.final == 'R' &&
         seq.paramCount == 2;
}

void TakePositionReport(TerminalReplies& replies, const Sequence& seq) {
  replies.positionPending = false;
  replies.positionReceived = true;
  replies.row = Clamp16(Param(seq, 0, 0));
  replies.column = Clamp16(Param(seq, 1, 0));
}

// True when the sequence produced a key.
bool DispatchSequence(KeyDecoder& decoder, const Sequence& seq, uint32_t extraState,
                      InputQueue& queue) {
  if (seq.odd) return false;
  if (seq.marker == '?') TakePrivateReply(decoder.replies, seq);
  if (seq.marker == '[') return DecodeLinuxFunctionKey(decoder, seq, extraState, queue);
  if (seq.marker != 0) return false;
  if (IsPositionReport(decoder, seq)) {
    TakePositionReport(decoder.replies, seq);
    return false;
  }
  if (seq.introducer == '[' && seq.final == 'u') return DecodeCsiU(decoder, seq, extraState, queue);
  if (seq.introducer == '[' && seq.final == '~')
    return DecodeTilde(decoder, seq, extraState, queue);
  return DecodeFinal(decoder, seq, extraState, queue);
}

// Returns the bytes the token took.
int EmitToken(KeyDecoder& decoder, const Token& token, InputQueue& queue) {
  uint32_t alt = token.altPrefix ? leftAltPressed : 0;
  switch (token.kind) {
    case TokenKind::byte:
      EmitKey(queue, KeyOfByte(static_cast<uint8_t>(token.value), alt), true);
      break;
    case TokenKind::codePoint:
      EmitCharacter(queue, token.value, alt);
      break;
    case TokenKind::escape:
      EmitKey(queue, KeyOfByte(escByte, alt), true);
      break;
    case TokenKind::sequence:
      // ESC before a reply or an unknown sequence was the Esc key typed just before.
      if (!DispatchSequence(decoder, token.sequence, alt, queue) && token.altPrefix)
        EmitKey(queue, KeyOfByte(escByte, 0), true);
      break;
  }
  return token.length;
}

// Settles the start of bytes that are an unfinished or broken sequence: a lone
// ESC is Esc, ESC ESC Alt+Esc, ESC [ and ESC O are Alt+[ and Alt+O; a broken
// UTF-8 byte means nothing. Returns the bytes taken; the rest is decoded anew.
int SettleOpenStart(const uint8_t* bytes, int count, InputQueue& queue) {
  if (bytes[0] != escByte) return 1;
  if (count > 1 && bytes[1] == escByte) {
    EmitKey(queue, KeyOfByte(escByte, leftAltPressed), true);
    return 2;
  }
  if (count > 1 && IsIntroducer(bytes[1])) {
    EmitKey(queue, KeyOfByte(bytes[1], leftAltPressed), true);
    return 2;
  }
  EmitKey(queue, KeyOfByte(escByte, 0), true);
  return 1;
}

// Decodes the pending bytes up to an unfinished sequence; with `settle` the
// unfinished sequence is settled too and nothing stays pending.
void DecodePending(KeyDecoder& decoder, InputQueue& queue, bool settle) {
  int start = 0;
  while (start < decoder.pendingCount) {
    const uint8_t* bytes = decoder.pending + start;
    int count = decoder.pendingCount - start;
    Token token;
    Scan scan = ScanToken(bytes, count, token);
    if (scan == Scan::incomplete && !settle) break;
    start += scan == Scan::complete ? EmitToken(decoder, token, queue)
                                    : SettleOpenStart(bytes, count, queue);
  }
  std::copy(decoder.pending + start, decoder.pending + decoder.pendingCount, decoder.pending);
  decoder.pendingCount -= start;
}

// The pending buffer holds nothing but the open sequence (complete ones were
// decoded), so a full buffer is one sequence too long to keep: its marker is
// remembered and the rest dropped up to its final byte.
void StartDiscarding(KeyDecoder& decoder) {
  int markerIndex = decoder.pending[1] == escByte ? 3 : 2;
  uint8_t marker = decoder.pending[markerIndex];
  decoder.discardMarker = IsMarker(marker) ? marker : 0;
  decoder.discarding = true;
  decoder.pendingCount = 0;
}

// While discarding: true when the byte belonged to the overlong sequence. An
// overlong attributes reply still closes the batch.
bool DiscardByte(KeyDecoder& decoder, uint8_t byte) {
  if (byte >= 0x20 && byte < firstFinal) return true;
  decoder.discarding = false;
  if (byte < firstFinal || byte > lastFinal) return false;
  if (byte == 'c' && decoder.discardMarker == '?') NoteAttributes(decoder.replies, 0);
  return true;
}

// Standard input that is not a terminal: a byte is a key, LF and CR LF are Enter.
void FeedKeyByte(KeyDecoder& decoder, uint8_t byte, InputQueue& queue) {
  bool pairedLineFeed = byte == '\n' && decoder.afterReturn;
  decoder.afterReturn = byte == '\r';
  if (pairedLineFeed) return;
  PushEvent(queue, UsKeyEvent(byte == '\n' ? '\r' : byte));
}

void FeedByte(KeyDecoder& decoder, uint8_t byte, InputQueue& queue) {
  if (decoder.bytesAreKeys) return FeedKeyByte(decoder, byte, queue);
  if (decoder.discarding && DiscardByte(decoder, byte)) return;
  decoder.pending[decoder.pendingCount++] = byte;
  DecodePending(decoder, queue, false);
  if (decoder.pendingCount == pendingCapacity) StartDiscarding(decoder);
}

}  // namespace

// ---- Queue ----------------------------------------------------------------

void ResetInputQueue(InputQueue& queue) {
  queue.head = 0;
  queue.count = 0;
}

bool PushEvent(InputQueue& queue, const InputEvent& event) {
  if (queue.count == inputQueueCapacity) return false;
  queue.events[(queue.head + queue.count) % inputQueueCapacity] = event;
  ++queue.count;
  return true;
}

bool PopEvent(InputQueue& queue, InputEvent& event) {
  if (queue.count == 0) return false;
  event = queue.events[queue.head];
  queue.head = (queue.head + 1) % inputQueueCapacity;
  --queue.count;
  return true;
}

// ---- Decoder ----------------------------------------------------------------

void ResetKeyDecoder(KeyDecoder& decoder, bool kittyProtocol, bool bytesAreKeys) {
  decoder = KeyDecoder{};
  decoder.kittyProtocol = kittyProtocol;
  decoder.bytesAreKeys = bytesAreKeys;
}

void SetKittyProtocol(KeyDecoder& decoder, bool kittyProtocol) {
  decoder.kittyProtocol = kittyProtocol;
  decoder.heldModifiers = 0;
}

void FeedBytes(KeyDecoder& decoder, const uint8_t* bytes, int count, uint64_t nowMs,
               InputQueue& queue) {
  FeedTime(decoder, nowMs, queue);
  if (count > 0) decoder.lastByteMs = nowMs;
  for (int i = 0; i < count; ++i) FeedByte(decoder, bytes[i], queue);
}

void FeedTime(KeyDecoder& decoder, uint64_t nowMs, InputQueue& queue) {
  uint64_t deadlineMs = 0;
  if (!NextDeadline(decoder, deadlineMs) || nowMs < deadlineMs) return;
  decoder.discarding = false;
  DecodePending(decoder, queue, true);
}

bool NextDeadline(const KeyDecoder& decoder, uint64_t& deadlineMs) {
  if (decoder.pendingCount == 0 && !decoder.discarding) return false;
  const bool replyMayBeOpen =
      decoder.replies.batchPending && decoder.pendingCount >= 2 && decoder.pending[1] == '[';
  deadlineMs = decoder.lastByteMs + (replyMayBeOpen ? replyTimeoutMs : escapeTimeoutMs);
  return true;
}

void ExpectReplies(KeyDecoder& decoder, bool positionReport) {
  decoder.replies = TerminalReplies{};
  decoder.replies.batchPending = true;
  decoder.replies.positionPending = positionReport;
}

void StopExpectingReplies(KeyDecoder& decoder) {
  decoder.replies.batchPending = false;
  decoder.replies.positionPending = false;
}

}  // namespace platform::posix
