// The keyboard reader: key events to key codes for every class of key, the
// extended code table row by row, the Alt code entry, and the pending second
// byte that reaches whichever reader asks next.
#include <gtest/gtest.h>

#include <vector>

#include "console/keyboard.h"
#include "tests/unit/console_fixture.h"

namespace {

using platform::enhancedKey;
using platform::leftAltPressed;
using platform::leftCtrlPressed;
using platform::rightAltPressed;
using platform::shiftPressed;

constexpr uint32_t rightCtrlPressed = platform::rightCtrlPressed;

struct KeyCase {
  const char* name;
  uint16_t vk, scan;
  uint8_t character;
  uint32_t modifiers;
  std::vector<int> codes;  // what WaitKey returns, call by call
};

// Reads as many codes as expected, then checks that nothing is left over.
void ExpectCodes(const std::vector<int>& codes, const char* name) {
  for (int expected : codes) {
    uint8_t got = 0;
    ASSERT_FALSE(fake::TakesExit([&] { got = console::WaitKey(); })) << name << ": starved";
    EXPECT_EQ(got, expected) << name;
  }
  EXPECT_FALSE(console::KeyAvailable()) << name << ": more codes than expected";
}

TEST_F(ConsoleTest, KeyEventsToKeyCodes) {
  const KeyCase cases[] = {
      {"a", 0x41, 0x1E, 'a', 0, {97}},
      {"shift_a", 0x41, 0x1E, 'A', shiftPressed, {65}},
      {"shift_n", 0x4E, 0x31, 'N', shiftPressed, {78}},
      {"ctrl_a", 0x41, 0x1E, 1, leftCtrlPressed, {1}},
      {"right_alt_char_stays_ordinary", 0x51, 0x10, '@', rightAltPressed | rightCtrlPressed, {64}},
      {"esc", 0x1B, 0x01, 27, 0, {27}},
      {"backspace", 0x08, 0x0E, 8, 0, {8}},
      {"tab", 0x09, 0x0F, 9, 0, {9}},
      {"enter", 0x0D, 0x1C, 13, 0, {13}},
      {"pad_enter", 0x0D, 0x1C, 13, enhancedKey, {13}},
      {"alt_enter", 0x0D, 0x1C, 13, leftAltPressed, {13}},
      {"pad_plus", 0x6B, 78, '+', 0, {43}},
      {"pad_minus", 0x6D, 74, '-', 0, {45}},
      {"pad_digit", 0x67, 71, '7', 0, {55}},
      {"alt_pad_plus", 0x6B, 78, '+', leftAltPressed, {0, 78}},
      {"up", 0x26, 72, 0, enhancedKey, {0, 72}},
      {"home", 0x24, 71, 0, enhancedKey, {0, 71}},
      {"delete", 0x2E, 83, 0, enhancedKey, {0, 83}},
      {"pad_divide", 0x6F, 53, '/', enhancedKey, {0, 53}},
      {"f1", 0x70, 59, 0, 0, {0, 59}},
      {"shift_f1", 0x70, 59, 0, shiftPressed, {0, 84}},
      {"ctrl_f1", 0x70, 59, 0, leftCtrlPressed, {0, 94}},
      {"alt_f1", 0x70, 59, 0, leftAltPressed, {0, 104}},
      {"ctrl_alt_f1", 0x70, 59, 0, leftCtrlPressed | leftAltPressed, {0, 104}},
      {"f11", 0x7A, 87, 0, 0, {0, 133}},
      {"f12", 0x7B, 88, 0, 0, {0, 134}},
      {"alt_x_is_minus", 0x58, 45, 'x', leftAltPressed, {0, 45}},
      {"alt_backslash_is_plus", 0xDC, 43, '\\', leftAltPressed, {0, 43}},
      {"alt_bracket_is_esc", 0xDD, 27, ']', leftAltPressed, {0, 27}},
      {"alt_f7_is_n", 0x76, 65, 0, leftAltPressed, {0, 110}},
      {"extended_code_zero_is_one_byte", 0, 0, 0x82, leftAltPressed, {0}},
  };
  for (const KeyCase& c : cases) {
    StartConsole(10, 5);
    fake::QueueKey(c.vk, c.scan, c.character, c.modifiers, true);
    ExpectCodes(c.codes, c.name);
  }
}

TEST_F(ConsoleTest, EventsThatYieldNothingAreConsumed) {
  const uint16_t silentKeys[] = {0x10, 0x11, 0x12, 0x14, 0x90, 0x91};
  for (uint16_t vk : silentKeys) fake::QueueKey(vk, 0x2A, 0, 0, true);
  fake::QueueEvent({platform::keyEvent, false, 1, 0x41, 0x1E, 'a', 0});  // a release
  const uint16_t otherKinds[] = {platform::mouseEvent, platform::bufferSizeEvent,
                                 platform::menuEvent, platform::focusEvent};
  for (uint16_t kind : otherKinds) fake::QueueEvent({kind, true, 1, 0x41, 0x1E, 'a', 0});
  EXPECT_FALSE(console::KeyAvailable());
  EXPECT_TRUE(fake::state.inputEvents.empty());
}

TEST_F(ConsoleTest, OneKeyPerCheckLeavesTheRestQueued) {
  fake::QueueKey(0x10, 0x2A, 0, shiftPressed);  // yields nothing, consumed
  fake::QueueKey(0x41, 0x1E, 'a');
  fake::QueueKey(0x42, 0x30, 'b');
  EXPECT_TRUE(console::KeyAvailable());
  EXPECT_EQ(fake::state.inputEvents.size(), 1u);
  EXPECT_TRUE(console::KeyAvailable());  // the key already taken, nothing read
  EXPECT_EQ(fake::state.inputEvents.size(), 1u);
}

TEST_F(ConsoleTest, RepeatCountIsNotRead) {
  platform::InputEvent held = {platform::keyEvent, true, 5, 0x41, 0x1E, 'a', 0};
  fake::QueueEvent(held);
  ExpectCodes({97}, "held");
}

// A reader that holds nothing waits until input comes; one that holds the
// second byte must not, or the byte would wait for the next key press.
TEST_F(ConsoleTest, SecondByteReachesTheNextReader) {
  fake::QueueKey(0x26, 72, 0, enhancedKey);
  EXPECT_EQ(console::WaitKey(), 0);
  EXPECT_EQ(fake::state.lastPause, platform::untilInput);
  const int eventQueries = fake::state.eventQueries;
  EXPECT_EQ(console::WaitKey(), 72);  // no new key press needed
  EXPECT_EQ(fake::state.eventQueries, eventQueries);
  EXPECT_EQ(fake::state.lastPause, 1u);
}

// WaitKey gives the processor away and looks again: a key that arrives while
// it waits is the key it returns.
TEST_F(ConsoleTest, WaitKeyTakesAKeyThatArrivesWhileItWaits) {
  static int pausesLeft;
  pausesLeft = 3;
  fake::state.onPause = [] {
    if (--pausesLeft == 0) fake::QueueKey(0x41, 0x1E, 'a');
  };
  EXPECT_EQ(console::WaitKey(), 'a');
  EXPECT_EQ(pausesLeft, 0);
  fake::state.onPause = nullptr;
}

struct AltCodeCase {
  const char* name;
  std::vector<uint16_t> padKeys;  // virtual-key codes typed with Alt held
  std::vector<int> codes;         // what arrives once Alt comes up
};

TEST_F(ConsoleTest, AltCodeEntry) {
  const AltCodeCase cases[] = {
      {"65_is_A", {0x66, 0x65}, {65}},
      {"1_is_ctrl_a", {0x61}, {1}},
      {"255", {0x62, 0x65, 0x65}, {255}},
      {"0_delivers_nothing", {0x60}, {}},
      {"256_wraps_to_nothing", {0x62, 0x65, 0x66}, {}},
      {"257_wraps_to_1", {0x62, 0x65, 0x67}, {1}},
  };
  for (const AltCodeCase& c : cases) {
    StartConsole(10, 5);
    fake::QueueKey(0x12, 0x38, 0, leftAltPressed);
    for (uint16_t vk : c.padKeys) {
      fake::QueueKey(vk, uint16_t(71 + (vk - 0x60)), 0, leftAltPressed, true);
    }
    fake::QueueEvent({platform::keyEvent, false, 1, 0x12, 0x38, 0, 0});
    ExpectCodes(c.codes, c.name);
  }
}

TEST_F(ConsoleTest, AltCodeAfterZeroStartsAfresh) {
  fake::QueueKey(0x12, 0x38, 0, leftAltPressed);
  fake::QueueKey(0x60, 82, 0, leftAltPressed);
  fake::QueueEvent({platform::keyEvent, false, 1, 0x12, 0x38, 0, 0});
  fake::QueueKey(0x12, 0x38, 0, leftAltPressed);
  fake::QueueKey(0x66, 77, 0, leftAltPressed);
  fake::QueueKey(0x65, 76, 0, leftAltPressed);
  fake::QueueEvent({platform::keyEvent, false, 1, 0x12, 0x38, 0, 0});
  ExpectCodes({65}, "after zero");
}

TEST_F(ConsoleTest, RightAltPadDigitWithCharacterIsNoDigit) {
  // A pad digit that carries its character with the right Alt key takes the
  // ordinary path: it is taken back and adds no digit.
  fake::QueueKey(0x12, 0x38, 0, rightAltPressed);
  fake::QueueKey(0x66, 77, '6', rightAltPressed);
  fake::QueueKey(0x65, 76, 0, rightAltPressed);
  fake::QueueEvent({platform::keyEvent, false, 1, 0x12, 0x38, 0, 0});
  ExpectCodes({5}, "right alt");
}

TEST_F(ConsoleTest, OtherKeysDuringAnEntryDoNotEndIt) {
  fake::QueueKey(0x12, 0x38, 0, leftAltPressed);
  fake::QueueKey(0x66, 77, 0, leftAltPressed);
  fake::QueueKey(0x70, 59, 0, leftAltPressed);  // Alt+F1
  fake::QueueKey(0x65, 76, 0, leftAltPressed);
  fake::QueueEvent({platform::keyEvent, false, 1, 0x12, 0x38, 0, 0});
  ExpectCodes({0, 104, 65}, "alt f1 inside");
}

// Every row of the extended code table, by class: {scan, alt, ctrl, shift, none}.
TEST(ExtendedKeyCode, TableRows) {
  const int rows[][5] = {
      {2, 120, 2, 2, 2},         {13, 131, 13, 13, 13},    {15, 15, 148, 15, 15},
      {28, 166, 28, 28, 28},     {53, 164, 149, 53, 53},   {55, 55, 150, 55, 55},
      {59, 104, 94, 84, 59},     {68, 113, 103, 93, 68},   {71, 151, 119, 71, 71},
      {72, 152, 141, 72, 72},    {73, 153, 132, 73, 73},   {74, 74, 142, 74, 74},
      {75, 155, 115, 75, 75},    {76, 76, 143, 76, 76},    {77, 157, 116, 77, 77},
      {78, 78, 78, 78, 78},      {79, 159, 117, 79, 79},   {80, 160, 145, 80, 80},
      {81, 161, 118, 81, 81},    {82, 162, 146, 82, 82},   {83, 163, 147, 83, 83},
      {87, 139, 137, 135, 133},  {88, 140, 138, 136, 134}, {0, 0, 0, 0, 0},
      {1, 1, 1, 1, 1},           {14, 14, 14, 14, 14},     {16, 16, 16, 16, 16},
      {45, 45, 45, 45, 45},      {84, 84, 84, 84, 84},     {89, 89, 89, 89, 89},
      {255, 255, 255, 255, 255},
  };
  const uint32_t classes[] = {leftAltPressed, leftCtrlPressed, shiftPressed, 0};
  for (const auto& row : rows) {
    for (int c = 0; c < 4; ++c) {
      EXPECT_EQ(console::ExtendedKeyCode(uint16_t(row[0]), classes[c], 0), row[c + 1])
          << "scan " << row[0] << " class " << c;
    }
  }
  // The comparison is on the whole 16-bit scan code; the result is its low byte.
  EXPECT_EQ(console::ExtendedKeyCode(256 + 59, 0, 0), 59);
  EXPECT_EQ(console::ExtendedKeyCode(256 + 59, leftAltPressed, 0), 59);
  // Enhanced and lock bits play no part.
  EXPECT_EQ(console::ExtendedKeyCode(72, enhancedKey | 0x20, 0), 72);
}

}  // namespace
