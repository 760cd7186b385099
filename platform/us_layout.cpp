// The US layout table, indexed by byte, and the Shift and Ctrl variants of a key
// derived from it. No console calls; the codes are those of the Win32 keyboard
// driver for the US 101-key layout.
#include "platform/us_layout.h"

#include <iterator>

namespace platform {

namespace {

constexpr uint8_t shift = shiftPressed;
constexpr uint8_t ctrl = leftCtrlPressed;

constexpr UsKey usLayout[] = {
    // 0x00 to 0x1F: Ctrl with a key, except the four keys that type a control code alone
    {0x32, 0x03, 0, ctrl},           // NUL: Ctrl+@ (Ctrl+2)
    {0x41, 0x1E, 1, ctrl},           // Ctrl+A
    {0x42, 0x30, 2, ctrl},           // Ctrl+B
    {0x43, 0x2E, 3, ctrl},           // Ctrl+C
    {0x44, 0x20, 4, ctrl},           // Ctrl+D
    {0x45, 0x12, 5, ctrl},           // Ctrl+E
    {0x46, 0x21, 6, ctrl},           // Ctrl+F
    {0x47, 0x22, 7, ctrl},           // Ctrl+G
    {0x08, 0x0E, 8, 0},              // BS: Backspace
    {0x09, 0x0F, 9, 0},              // Tab
    {0x4A, 0x24, 10, ctrl},          // LF: Ctrl+J
    {0x4B, 0x25, 11, ctrl},          // Ctrl+K
    {0x4C, 0x26, 12, ctrl},          // Ctrl+L
    {0x0D, 0x1C, 13, 0},             // CR: Enter
    {0x4E, 0x31, 14, ctrl},          // Ctrl+N
    {0x4F, 0x18, 15, ctrl},          // Ctrl+O
    {0x50, 0x19, 16, ctrl},          // Ctrl+P
    {0x51, 0x10, 17, ctrl},          // Ctrl+Q
    {0x52, 0x13, 18, ctrl},          // Ctrl+R
    {0x53, 0x1F, 19, ctrl},          // Ctrl+S
    {0x54, 0x14, 20, ctrl},          // Ctrl+T
    {0x55, 0x16, 21, ctrl},          // Ctrl+U
    {0x56, 0x2F, 22, ctrl},          // Ctrl+V
    {0x57, 0x11, 23, ctrl},          // Ctrl+W
    {0x58, 0x2D, 24, ctrl},          // Ctrl+X
    {0x59, 0x15, 25, ctrl},          // Ctrl+Y
    {0x5A, 0x2C, 26, ctrl},          // Ctrl+Z
    {0x1B, 0x01, 27, 0},             // Esc
    {0xDC, 0x2B, 28, ctrl},          // Ctrl+backslash
    {0xDD, 0x1B, 29, ctrl},          // Ctrl+]
    {0x36, 0x07, 30, ctrl | shift},  // Ctrl+^
    {0xBD, 0x0C, 31, ctrl | shift},  // Ctrl+_
    // 0x20
    {0x20, 0x39, ' ', 0},
    {0x31, 0x02, '!', shift},
    {0xDE, 0x28, '"', shift},
    {0x33, 0x04, '#', shift},
    {0x34, 0x05, '$', shift},
    {0x35, 0x06, '%', shift},
    {0x37, 0x08, '&', shift},
    {0xDE, 0x28, '\'', 0},
    {0x39, 0x0A, '(', shift},
    {0x30, 0x0B, ')', shift},
    {0x38, 0x09, '*', shift},
    {0xBB, 0x0D, '+', shift},
    {0xBC, 0x33, ',', 0},
    {0xBD, 0x0C, '-', 0},
    {0xBE, 0x34, '.', 0},
    {0xBF, 0x35, '/', 0},
    // 0x30
    {0x30, 0x0B, '0', 0},
    {0x31, 0x02, '1', 0},
    {0x32, 0x03, '2', 0},
    {0x33, 0x04, '3', 0},
    {0x34, 0x05, '4', 0},
    {0x35, 0x06, '5', 0},
    {0x36, 0x07, '6', 0},
    {0x37, 0x08, '7', 0},
    {0x38, 0x09, '8', 0},
    {0x39, 0x0A, '9', 0},
    {0xBA, 0x27, ':', shift},
    {0xBA, 0x27, ';', 0},
    {0xBC, 0x33, '<', shift},
    {0xBB, 0x0D, '=', 0},
    {0xBE, 0x34, '>', shift},
    {0xBF, 0x35, '?', shift},
    // 0x40
    {0x32, 0x03, '@', shift},
    {0x41, 0x1E, 'A', shift},
    {0x42, 0x30, 'B', shift},
    {0x43, 0x2E, 'C', shift},
    {0x44, 0x20, 'D', shift},
    {0x45, 0x12, 'E', shift},
    {0x46, 0x21, 'F', shift},
    {0x47, 0x22, 'G', shift},
    {0x48, 0x23, 'H', shift},
    {0x49, 0x17, 'I', shift},
    {0x4A, 0x24, 'J', shift},
    {0x4B, 0x25, 'K', shift},
    {0x4C, 0x26, 'L', shift},
    {0x4D, 0x32, 'M', shift},
    {0x4E, 0x31, 'N', shift},
    {0x4F, 0x18, 'O', shift},
    // 0x50
    {0x50, 0x19, 'P', shift},
    {0x51, 0x10, 'Q', shift},
    {0x52, 0x13, 'R', shift},
    {0x53, 0x1F, 'S', shift},
    {0x54, 0x14, 'T', shift},
    {0x55, 0x16, 'U', shift},
    {0x56, 0x2F, 'V', shift},
    {0x57, 0x11, 'W', shift},
    {0x58, 0x2D, 'X', shift},
    {0x59, 0x15, 'Y', shift},
    {0x5A, 0x2C, 'Z', shift},
    {0xDB, 0x1A, '[', 0},
    {0xDC, 0x2B, '\\', 0},
    {0xDD, 0x1B, ']', 0},
    {0x36, 0x07, '^', shift},
    {0xBD, 0x0C, '_', shift},
    // 0x60
    {0xC0, 0x29, '`', 0},
    {0x41, 0x1E, 'a', 0},
    {0x42, 0x30, 'b', 0},
    {0x43, 0x2E, 'c', 0},
    {0x44, 0x20, 'd', 0},
    {0x45, 0x12, 'e', 0},
    {0x46, 0x21, 'f', 0},
    {0x47, 0x22, 'g', 0},
    {0x48, 0x23, 'h', 0},
    {0x49, 0x17, 'i', 0},
    {0x4A, 0x24, 'j', 0},
    {0x4B, 0x25, 'k', 0},
    {0x4C, 0x26, 'l', 0},
    {0x4D, 0x32, 'm', 0},
    {0x4E, 0x31, 'n', 0},
    {0x4F, 0x18, 'o', 0},
    // 0x70
    {0x50, 0x19, 'p', 0},
    {0x51, 0x10, 'q', 0},
    {0x52, 0x13, 'r', 0},
    {0x53, 0x1F, 's', 0},
    {0x54, 0x14, 't', 0},
    {0x55, 0x16, 'u', 0},
    {0x56, 0x2F, 'v', 0},
    {0x57, 0x11, 'w', 0},
    {0x58, 0x2D, 'x', 0},
    {0x59, 0x15, 'y', 0},
    {0x5A, 0x2C, 'z', 0},
    {0xDB, 0x1A, '{', shift},
    {0xDC, 0x2B, '|', shift},
    {0xDD, 0x1B, '}', shift},
    {0xC0, 0x29, '~', shift},
    {0x08, 0x0E, 8, 0},  // DEL: Backspace
};
static_assert(std::size(usLayout) == 128);

struct ControlKey {
  uint8_t virtualKeyCode;
  bool shift;         // the character needs Ctrl+Shift
  uint8_t character;  // what Ctrl with the key reports
};

// Ctrl combinations other than the letters (those report letter & 0x1F).
constexpr ControlKey controlKeys[] = {
    {0xDB, false, 27},   // [
    {0xDC, false, 28},   // backslash
    {0xDD, false, 29},   // ]
    {0x32, true, 0},     // @
    {0x36, true, 30},    // ^
    {0xBD, true, 31},    // _
    {0x0D, false, 10},   // Enter
    {0x08, false, 127},  // Backspace
    {0x1B, false, 27},   // Esc
    {0x20, false, 32},   // Space
};

constexpr bool IsLetterKey(uint16_t virtualKeyCode) {
  return virtualKeyCode >= 0x41 && virtualKeyCode <= 0x5A;
}

}  // namespace

UsKey UsLayoutKey(uint8_t byte) {
  return byte < std::size(usLayout) ? usLayout[byte] : UsKey{};
}

InputEvent UsKeyEvent(uint8_t byte) {
  UsKey key = UsLayoutKey(byte);
  uint8_t character = byte < std::size(usLayout) ? key.character : byte;
  return InputEvent{keyEvent, true, 1, key.virtualKeyCode, key.scanCode, character, key.modifiers};
}

uint8_t UsShiftedCharacter(uint8_t character) {
  UsKey key = UsLayoutKey(character);
  if (key.modifiers != 0 || character < 0x20 || character == 0x7F) return character;
  for (uint8_t other = 0x20; other < 0x7F; ++other) {
    UsKey candidate = usLayout[other];
    if (candidate.virtualKeyCode == key.virtualKeyCode && candidate.modifiers == shift)
      return other;
  }
  return character;
}

int UsControlCharacter(uint16_t virtualKeyCode, bool withShift) {
  if (IsLetterKey(virtualKeyCode)) return virtualKeyCode - 0x40;
  for (const ControlKey& key : controlKeys) {
    if (key.virtualKeyCode == virtualKeyCode && key.shift == withShift) return key.character;
  }
  return -1;
}

bool RedirectedByteEvent(uint8_t byte, bool& afterReturn, InputEvent& event) {
  const bool pairedLineFeed = byte == '\n' && afterReturn;
  afterReturn = byte == '\r';
  if (pairedLineFeed) return false;
  event = UsKeyEvent(byte == '\n' ? '\r' : byte);
  return true;
}

}  // namespace platform
