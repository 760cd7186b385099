// The US layout table against what a Win32 console reports for the same keys.
#include "platform/us_layout.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

struct LayoutCase {
  uint8_t byte;
  uint16_t virtualKeyCode;
  uint16_t scanCode;
  uint8_t character;
  uint32_t state;
};

constexpr uint32_t shift = shiftPressed;
constexpr uint32_t ctrl = leftCtrlPressed;

TEST(UsLayout, KeyEventsMatchTheConsole) {
  const LayoutCase cases[] = {
      {'a', 0x41, 0x1E, 'a', 0},     {'A', 0x41, 0x1E, 'A', shift},
      {'+', 0xBB, 0x0D, '+', shift}, {'=', 0xBB, 0x0D, '=', 0},
      {'-', 0xBD, 0x0C, '-', 0},     {'_', 0xBD, 0x0C, '_', shift},
      {'\\', 0xDC, 0x2B, '\\', 0},   {']', 0xDD, 0x1B, ']', 0},
      {'1', 0x31, 0x02, '1', 0},     {'0', 0x30, 0x0B, '0', 0},
      {')', 0x30, 0x0B, ')', shift}, {'@', 0x32, 0x03, '@', shift},
      {' ', 0x20, 0x39, ' ', 0},     {'~', 0xC0, 0x29, '~', shift},
      {'"', 0xDE, 0x28, '"', shift}, {'?', 0xBF, 0x35, '?', shift},
      {':', 0xBA, 0x27, ':', shift}, {'z', 0x5A, 0x2C, 'z', 0},
      {13, 0x0D, 0x1C, 13, 0},       {9, 0x09, 0x0F, 9, 0},
      {27, 0x1B, 0x01, 27, 0},       {8, 0x08, 0x0E, 8, 0},
      {127, 0x08, 0x0E, 8, 0},       {1, 0x41, 0x1E, 1, ctrl},
      {26, 0x5A, 0x2C, 26, ctrl},    {10, 0x4A, 0x24, 10, ctrl},
      {0, 0x32, 0x03, 0, ctrl},      {28, 0xDC, 0x2B, 28, ctrl},
      {29, 0xDD, 0x1B, 29, ctrl},    {31, 0xBD, 0x0C, 31, ctrl | shift},
      {0x82, 0, 0, 0x82, 0},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "byte " << int(c.byte));
    InputEvent event = UsKeyEvent(c.byte);
    EXPECT_EQ(event.eventType, keyEvent);
    EXPECT_TRUE(event.keyDown);
    EXPECT_EQ(event.repeatCount, 1);
    EXPECT_EQ(event.virtualKeyCode, c.virtualKeyCode);
    EXPECT_EQ(event.virtualScanCode, c.scanCode);
    EXPECT_EQ(event.asciiChar, c.character);
    EXPECT_EQ(event.controlKeyState, c.state);
  }
}

TEST(UsLayout, EveryPrintableByteHasAKeyThatTypesIt) {
  for (int byte = 0x20; byte < 0x7F; ++byte) {
    UsKey key = UsLayoutKey(static_cast<uint8_t>(byte));
    EXPECT_NE(key.virtualKeyCode, 0) << byte;
    EXPECT_NE(key.scanCode, 0) << byte;
    EXPECT_EQ(key.character, byte);
    EXPECT_EQ(key.modifiers & ~shiftPressed, 0u) << byte;
  }
}

TEST(UsLayout, ShiftedCharacters) {
  const std::pair<uint8_t, uint8_t> cases[] = {{'a', 'A'}, {'1', '!'}, {'2', '@'}, {'=', '+'},
                                               {'[', '{'}, {'`', '~'}, {'/', '?'}, {'A', 'A'},
                                               {'+', '+'}, {13, 13},   {' ', ' '}};
  for (auto [plain, shifted] : cases) EXPECT_EQ(UsShiftedCharacter(plain), shifted) << plain;
}

TEST(UsLayout, ControlCharacters) {
  EXPECT_EQ(UsControlCharacter(0x43, false), 3);    // C
  EXPECT_EQ(UsControlCharacter(0x43, true), 3);     // Shift does not matter for letters
  EXPECT_EQ(UsControlCharacter(0xDB, false), 27);   // [
  EXPECT_EQ(UsControlCharacter(0x36, true), 30);    // ^
  EXPECT_EQ(UsControlCharacter(0x36, false), -1);   // 6
  EXPECT_EQ(UsControlCharacter(0x0D, false), 10);   // Enter
  EXPECT_EQ(UsControlCharacter(0x08, false), 127);  // Backspace
  EXPECT_EQ(UsControlCharacter(0x09, false), -1);   // Tab
}

}  // namespace
}  // namespace platform
