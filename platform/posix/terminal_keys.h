// The keys a terminal names by sequence, as a console reports them: the final
// bytes of "CSI 1;m A" / "SS3 P", the numbers of "CSI n ~", the Linux console's
// "CSI [ A", kitty's private-use codes, and the bits of the modifier parameter.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace platform::posix {

// A key as the console reports it, before the down/up direction.
struct Key {
  uint8_t virtualKeyCode;
  uint8_t scanCode;
  uint8_t character;  // code page 437, 0 for none
  uint32_t state;     // controlKeyState bits
};

// The keys a terminal reports by sequence rather than by character. kitty's
// code runs rely on the order of capsLock..menu, f13..f24 and pad0..padBegin.
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

// What a console reports for the key (the pad digits as with Num Lock on, the
// pad's cursor keys as with it off); virtualKeyCode 0 for Named::none.
Key NamedKey(Named named);

// Where a final byte names a key: after SS3, after CSI, and after CSI only
// with a modifier parameter (a bare "CSI n" with these finals is no key).
inline constexpr uint8_t ss3Form = 1;
inline constexpr uint8_t csiForm = 2;
inline constexpr uint8_t csiModifiedForm = 4;

struct FinalKey {
  uint8_t final;
  Named key;
  uint8_t forms;
};

// The key a final byte names; Named::none (and no forms) for any other byte.
FinalKey FinalByteKey(uint8_t final);

// "CSI n ~": the VT220 numbers up to 24, kitty's private-use codes above.
Named TildeKey(uint32_t number);

// The Linux console's "CSI [ A" to "CSI [ E"; Named::none for other finals.
Named LinuxFunctionKey(uint8_t final);

// kitty's private-use key codes; Named::none outside its runs (F25 .. F35
// have no console key).
Named KittyNamed(uint32_t code);

// kitty's modifier keys. A console reports VK_SHIFT / VK_CONTROL / VK_MENU and
// tells the sides by scan code and enhancedKey; `held` is the state bit the key
// sets while down.
struct ModifierKey {
  Key key;
  uint32_t held;
};

// The modifier key of a kitty code, LEFT_SHIFT (57441) to RIGHT_META (57452);
// nullptr for other codes. The Hyper keys have no console key: virtualKeyCode 0.
const ModifierKey* KittyModifierKey(uint32_t code);

// The state bits of a modifier parameter's bits (its value - 1). xterm's bit 8
// is Meta, kitty's is Super; both report Meta as Alt.
uint32_t ModifierState(uint32_t bits, bool kittyProtocol);

// The modifiers a console tells left from right.
struct SidePair {
  uint32_t left;
  uint32_t right;
};
inline constexpr SidePair sidePairs[] = {{leftAltPressed, rightAltPressed},
                                         {leftCtrlPressed, rightCtrlPressed}};

}  // namespace platform::posix
