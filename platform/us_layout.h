// The US keyboard layout as a console reports it: for every ASCII byte the
// Win32 virtual-key code, the scan code (set 1) and the modifiers that type it.
// Used for bytes from a terminal and for standard input that is not a console.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace platform {

struct UsKey {
  uint8_t virtualKeyCode;  // Win32 VK_* code; 0 for a byte no key types
  uint8_t scanCode;        // scan code set 1
  uint8_t character;       // what the console reports: the byte itself, but 8 for DEL (127)
  uint8_t modifiers;       // shiftPressed and leftCtrlPressed bits held to type the byte
};

// The key typing `byte`; from 128 up no key does, and the result is all zero.
UsKey UsLayoutKey(uint8_t byte);

// A complete key-down event for one byte: the key above with its modifiers in
// controlKeyState. A byte from 128 up is a character without a key (VK 0, scan 0).
InputEvent UsKeyEvent(uint8_t byte);

// The character the same key types with Shift held ('a' -> 'A', '1' -> '!',
// '=' -> '+'); a character Shift does not change stands for itself.
uint8_t UsShiftedCharacter(uint8_t character);

// A byte of standard input that is not a console, as a key: LF and CR LF are
// one Enter. `afterReturn` carries whether the previous byte was CR; false,
// and no event, for the LF that completes a CR LF.
bool RedirectedByteEvent(uint8_t byte, bool& afterReturn, InputEvent& event);

// The character a US console reports for Ctrl with a key: Ctrl+letter 1..26,
// Ctrl+[ \ ] 27..29, Ctrl+Shift+2 6 - 0, 30, 31, Ctrl+Enter 10, Ctrl+Backspace
// 127, Ctrl+Esc 27, Ctrl+Space 32; -1 where Ctrl leaves the key without one.
int UsControlCharacter(uint16_t virtualKeyCode, bool withShift);

}  // namespace platform
