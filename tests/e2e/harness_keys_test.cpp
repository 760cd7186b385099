// The harness's terminal side without a pty: key encodings (xterm legacy and
// kitty flags) and the tracking of the modes the program sets, table-driven.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/harness.h"

namespace {

using e2e::EncodeKey;
using e2e::Key;
using e2e::KeyAction;
using e2e::KeyboardModes;
using e2e::KeyEvent;
using e2e::modAlt;
using e2e::modCtrl;
using e2e::modShift;

constexpr KeyAction press = KeyAction::press;
constexpr KeyAction release = KeyAction::release;
constexpr KeyAction repeat = KeyAction::repeat;

struct EncodeCase {
  KeyEvent event;
  KeyboardModes modes;
  std::string bytes;
};

KeyEvent Text(char32_t c, uint8_t mods = 0, KeyAction action = press) {
  return {Key::character, c, mods, action};
}
KeyEvent K(Key key, uint8_t mods = 0, KeyAction action = press) {
  return {key, 0, mods, action};
}

constexpr KeyboardModes xterm{};
constexpr KeyboardModes cursorMode{true, false, 0};
constexpr KeyboardModes keypadMode{false, true, 0};
constexpr KeyboardModes kitty1{false, false, 1};
constexpr KeyboardModes kitty1Cursor{true, true, 1};
constexpr KeyboardModes kitty11{false, false, 11};  // disambiguate, events, all keys
constexpr KeyboardModes kitty31{false, false, 31};  // everything, as netstep pushes it
constexpr KeyboardModes kitty8{false, false, 8};
constexpr KeyboardModes kitty2{false, false, 2};

const EncodeCase xtermCases[] = {
    {Text('a'), xterm, "a"},
    {Text('A'), xterm, "A"},
    {Text('a', modShift), xterm, "A"},
    {Text('4', modShift), xterm, "$"},
    {Text('a', modAlt), xterm,
     "\x1b"
     "a"},
    {Text('c', modCtrl), xterm, "\x03"},
    {Text('C', modCtrl), xterm, "\x03"},
    {Text('a', modCtrl | modAlt), xterm, "\x1b\x01"},
    {Text(' ', modCtrl), xterm, std::string(1, '\0')},
    {Text('_', modCtrl), xterm, "\x1f"},
    {Text('[', modCtrl), xterm, "\x1b"},
    {Text('1', modCtrl), xterm, "1"},  // Ctrl leaves it alone
    {Text(U'\u00e9'), xterm, "\xc3\xa9"},
    {Text('a', 0, release), xterm, ""},
    {K(Key::enter), xterm, "\r"},
    {K(Key::enter, modAlt), xterm, "\x1b\r"},
    {K(Key::escape), xterm, "\x1b"},
    {K(Key::backspace), xterm, "\x7f"},
    {K(Key::backspace, modCtrl), xterm, "\b"},
    {K(Key::tab), xterm, "\t"},
    {K(Key::tab, modShift), xterm, "\x1b[Z"},
    {K(Key::up), xterm, "\x1b[A"},
    {K(Key::up), cursorMode, "\x1bOA"},
    {K(Key::left, modCtrl), cursorMode, "\x1b[1;5D"},
    {K(Key::up, modShift), xterm, "\x1b[1;2A"},
    {K(Key::down, modCtrl | modAlt), xterm, "\x1b[1;7B"},
    {K(Key::home), xterm, "\x1b[H"},
    {K(Key::end), cursorMode, "\x1bOF"},
    {K(Key::end, modCtrl), xterm, "\x1b[1;5F"},
    {K(Key::insert), xterm, "\x1b[2~"},
    {K(Key::del, modShift), xterm, "\x1b[3;2~"},
    {K(Key::pageUp), xterm, "\x1b[5~"},
    {K(Key::pageDown, modAlt), xterm, "\x1b[6;3~"},
    {K(Key::f1), xterm, "\x1bOP"},
    {K(Key::f1, modCtrl), xterm, "\x1b[1;5P"},
    {K(Key::f3, modShift), xterm, "\x1b[1;2R"},
    {K(Key::f4), cursorMode, "\x1bOS"},
    {K(Key::f5), xterm, "\x1b[15~"},
    {K(Key::f11), xterm, "\x1b[23~"},
    {K(Key::f12, modCtrl | modShift), xterm, "\x1b[24;6~"},
    {K(Key::kp5), xterm, "5"},
    {K(Key::kp5), keypadMode, "\x1bOu"},
    {K(Key::kp0), keypadMode, "\x1bOp"},
    {K(Key::kpAdd), keypadMode, "\x1bOk"},
    {K(Key::kpEnter), xterm, "\r"},
    {K(Key::kpEnter), keypadMode, "\x1bOM"},
    {K(Key::kpDecimal), xterm, "."},
    {K(Key::kp6, modAlt), xterm,
     "\x1b"
     "6"},
    {K(Key::leftAlt, modAlt), xterm, ""},
    {K(Key::up, 0, release), xterm, ""},
};

const EncodeCase kittyCases[] = {
    // Disambiguation alone: text stays text, Esc and Ctrl/Alt keys become CSI u.
    {Text('a'), kitty1, "a"},
    {Text('a', modShift), kitty1, "A"},
    {Text('a', 0, release), kitty1, ""},
    {Text('a', modAlt), kitty1, "\x1b[97;3u"},
    {Text('c', modCtrl), kitty1, "\x1b[99;5u"},
    {K(Key::escape), kitty1, "\x1b[27u"},
    {K(Key::enter), kitty1, "\r"},
    {K(Key::enter, modCtrl), kitty1, "\x1b[13;5u"},
    {K(Key::backspace), kitty1, "\x7f"},
    {K(Key::up), kitty1Cursor, "\x1b[A"},
    {K(Key::up, modShift), kitty1, "\x1b[1;2A"},
    {K(Key::f1), kitty1, "\x1b[P"},
    {K(Key::f3), kitty1, "\x1b[13~"},
    {K(Key::f3, modCtrl), kitty1, "\x1b[13;5~"},
    {K(Key::kp5), kitty1Cursor, "\x1b[57404u"},
    {K(Key::kpEnter), kitty1, "\x1b[57414u"},
    {K(Key::leftShift, modShift), kitty1, ""},
    // Every key as an escape, with events, alternates and text.
    {Text('a'), kitty31, "\x1b[97;;97u"},
    {Text('A'), kitty31, "\x1b[97:65;2;65u"},
    {Text('a', 0, release), kitty31, "\x1b[97;1:3u"},
    {Text('a', 0, repeat), kitty31, "\x1b[97;1:2;97u"},
    {Text('a', modCtrl), kitty31, "\x1b[97;5u"},
    {K(Key::enter), kitty31, "\x1b[13u"},
    {K(Key::enter, 0, release), kitty31, "\x1b[13;1:3u"},
    {K(Key::up, 0, release), kitty31, "\x1b[1;1:3A"},
    {K(Key::del, 0, release), kitty31, "\x1b[3;1:3~"},
    {K(Key::kp5), kitty31, "\x1b[57404;;53u"},
    {K(Key::kp6, modAlt), kitty31, "\x1b[57405;3u"},
    {K(Key::kp6, modAlt, release), kitty31, "\x1b[57405;3:3u"},
    {K(Key::kpEnter), kitty31, "\x1b[57414u"},
    {K(Key::leftAlt, modAlt), kitty31, "\x1b[57443;3u"},
    {K(Key::leftAlt, 0, release), kitty31, "\x1b[57443;1:3u"},
    {K(Key::rightCtrl, modCtrl), kitty11, "\x1b[57448;5u"},
    {Text('a'), kitty11, "\x1b[97u"},
    {Text('A'), kitty11, "\x1b[97;2u"},
    // Without the event flag there are no releases, and repeats read as presses.
    {Text('a', 0, release), kitty8, ""},
    {Text('a', 0, repeat), kitty8, "\x1b[97u"},
    {K(Key::up, 0, release), kitty2, "\x1b[1;1:3A"},
    {K(Key::escape), kitty2, "\x1b"},
};

std::string Visible(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes)
    out += c == 0x1b ? std::string("\\e")
           : c < 32  ? "^" + std::string(1, char(c + 64))
                     : std::string(1, char(c));
  return out;
}

void ExpectEncodings(const EncodeCase* cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const EncodeCase& c = cases[i];
    EXPECT_EQ(Visible(EncodeKey(c.event, c.modes)), Visible(c.bytes)) << "case " << i;
  }
}

TEST(KeyEncoding, Xterm) {
  ExpectEncodings(xtermCases, std::size(xtermCases));
}

TEST(KeyEncoding, Kitty) {
  ExpectEncodings(kittyCases, std::size(kittyCases));
}

struct ModeCase {
  const char* output;
  bool cursorKeysApp;
  bool keypadApp;
};

const ModeCase modeCases[] = {
    {"\x1b=", false, true},
    {"\x1b=\x1b>", false, false},
    {"\x1b[?66h", false, true},
    {"\x1b[?1;66h", true, true},
    {"\x1b[?1;66h\x1b[?66l", true, false},
    {"\x1b[?1h\x1b[!p", false, false},  // DECSTR
    {"\x1b=\x1b[?1hx\x1b"
     "c",
     false, false},             // RIS
    {"\x1b(B=", false, false},  // a charset designation, then text
    {"\x1b]0;a=b\x1b>\x07\x1b[?1h", true, false},
    {"\x1b[?1", false, false},  // incomplete
};

TEST(ModeTracker, FollowsCursorAndKeypadModes) {
  for (const ModeCase& c : modeCases) {
    e2e::ModeTracker tracker;
    for (const char* p = c.output; *p; ++p) tracker.Feed(static_cast<unsigned char>(*p));
    EXPECT_EQ(tracker.Modes().cursorKeysApp, c.cursorKeysApp) << Visible(c.output);
    EXPECT_EQ(tracker.Modes().keypadApp, c.keypadApp) << Visible(c.output);
  }
}

struct KittyCase {
  const char* output;
  int flags;
  size_t depth;
};

const KittyCase kittyStackCases[] = {
    {"\x1b[>31u", 31, 1},
    {"\x1b[>1u\x1b[>31u", 31, 2},
    {"\x1b[>1u\x1b[>31u\x1b[<u", 1, 1},
    {"\x1b[>1u\x1b[>31u\x1b[<5u", 0, 0},
    {"\x1b[=5u", 5, 0},
    {"\x1b[=5u\x1b[<u", 5, 0},  // nothing to pop
    {"\x1b[>5u\x1b[<u", 0, 0},
    {"\x1b[>1u\x1b[=4;2u", 5, 1},
    {"\x1b[>7u\x1b[=2;3u", 5, 1},
    {"\x1b[>7u\x1b[=2u", 2, 1},
    {"\x1b[>u", 0, 1},
    {"\x1b[u\x1b[1u", 0, 0},  // cursor restore, not kitty
    {"\x1b[>31u\x1b"
     "c",
     0, 0},
};

TEST(ModeTracker, KeepsTheKittyStack) {
  for (const KittyCase& c : kittyStackCases) {
    e2e::ModeTracker tracker;
    for (const char* p = c.output; *p; ++p) tracker.Feed(static_cast<unsigned char>(*p));
    EXPECT_EQ(tracker.Kitty().Flags(), c.flags) << Visible(c.output);
    EXPECT_EQ(tracker.Modes().kittyFlags, c.flags) << Visible(c.output);
    EXPECT_EQ(tracker.Kitty().stack.size(), c.depth) << Visible(c.output);
  }
}

TEST(ModeTracker, StackEvictsTheOldestBeyondSixteen) {
  e2e::ModeTracker tracker;
  for (int i = 1; i <= 17; ++i)
    for (char c : "\x1b[>" + std::to_string(i) + "u") tracker.Feed(static_cast<unsigned char>(c));
  ASSERT_EQ(tracker.Kitty().stack.size(), 16u);
  EXPECT_EQ(tracker.Kitty().stack.front(), 2);
  EXPECT_EQ(tracker.Kitty().Flags(), 17);
}

TEST(ModeTracker, QueryReportedOnItsFinalByte) {
  e2e::ModeTracker tracker;
  const std::string output = "x\x1b[?u\x1b[c";
  std::string answeredAt;
  for (size_t i = 0; i < output.size(); ++i)
    if (tracker.Feed(static_cast<unsigned char>(output[i]))) answeredAt += std::to_string(i);
  EXPECT_EQ(answeredAt, "4");
  EXPECT_EQ(tracker.Kitty().queries, 1);
}

TEST(Utf8, RoundTripsAndReplacesMalformedBytes) {
  std::string text;
  for (char32_t c : {U'a', U'\u00e9', U'\u2502', U'\U0001F600'}) e2e::AppendUtf8(text, c);
  EXPECT_EQ(e2e::DecodeUtf8(text), U"a\u00e9\u2502\U0001F600");
  EXPECT_EQ(e2e::DecodeUtf8("a\x80"
                            "b\xe2\x94"),
            U"a\uFFFDb\uFFFD\uFFFD");
}

}  // namespace
