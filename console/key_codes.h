// Key codes and virtual-key codes that more than one reader of the keyboard
// knows: the calculator, the keyboard reader and the line editor.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace console {

// Key codes, as WaitKey delivers them.
inline constexpr uint8_t keyExtended = 0;  // the first of a key without a character
inline constexpr uint8_t keyBackspace = 8;
inline constexpr uint8_t keyEnter = 13;
inline constexpr uint8_t keyEsc = 27;

// Virtual-key codes of the console's key events.
inline constexpr uint16_t vkEnter = 0x0D;
inline constexpr uint16_t vkAlt = 0x12;
inline constexpr uint16_t vkPadZero = 0x60;  // the numeric pad's digits, Num Lock on,
inline constexpr uint16_t vkPadNine = 0x69;  // run from 0x60 to 0x69

inline constexpr uint32_t altPressed = platform::rightAltPressed | platform::leftAltPressed;

// A key that types a digit of an Alt code entry: a numeric-pad digit with Alt
// held. It yields no key code of its own.
inline bool IsAltCodeDigit(uint32_t controlKeyState, uint16_t virtualKeyCode) {
  return (controlKeyState & altPressed) && virtualKeyCode >= vkPadZero &&
         virtualKeyCode <= vkPadNine;
}

}  // namespace console
