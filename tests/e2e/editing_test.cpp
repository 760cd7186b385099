// Typing the address and mask lines: moving and overwriting, the keys that
// clear or do nothing, the capacity of a line, control characters shown as
// their glyphs, wrapped lines and Enter on the bottom row.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/netstep_e2e.h"

namespace e2e {
namespace {

class EditingTest : public NetstepTest {
 protected:
  // Types `keys` (a callback, to mix text and special keys) at the address
  // prompt, Enter, the mask 255.255.255.255, and returns the network shown:
  // with that mask, the address itself.
  template <typename Keys>
  std::string AddressAfter(Keys keys) {
    Start();
    keys();
    s().Type("\r");
    EnterTaskMask();
    const std::string row = s().RowText(3).substr(0, 49);
    const std::string shown = row.substr(row.find(" - ") + 3);
    s().Type("\x1b");
    EndProgram();
    return shown.substr(0, shown.find_last_not_of(' ') + 1);
  }
  void EnterTaskMask() {
    ASSERT_TRUE(WaitForPrompt("Enter SubNet Mask : ")) << s().Dump();
    TypeLine("255.255.255.255");
    ASSERT_TRUE(s().WaitForText("Enter (+) for next")) << s().Dump();
  }
};
NETSTEP_TARGETS(EditingTest);

TEST_P(EditingTest, MovingAndOverwriting) {
  EXPECT_EQ(AddressAfter([&] {
              s().Type("10.0.0.5");
              s().Tap(Key::home);
              s().Type("2");
              s().Tap(Key::end);
              s().Type(
                  "\x7f"
                  "9");
            }),
            "20.0.0.9");
  EXPECT_TRUE(s().WaitForRow(0, Row("Enter IP address : 20.0.0.9", 1))) << s().Dump();
  EXPECT_EQ(AddressAfter([&] {
              s().Type("10.0.0.5");
              for (int i = 0; i < 3; ++i) s().Tap(Key::left);
              s().Type("7");
              s().Tap(Key::right);
              s().Type("6");
            }),
            "10.0.7.6");
}

TEST_P(EditingTest, BackspaceInsideTheLineDoesNothing) {
  EXPECT_EQ(AddressAfter([&] {
              s().Type("10.0.0.5");
              s().Tap(Key::left);
              s().Type("\x7f\x7f");
            }),
            "10.0.0.5");
}

TEST_P(EditingTest, EscAndCtrlYClearAndEditingGoesOn) {
  for (const char* clear : {"\x1b", "\x19"}) {
    EXPECT_EQ(AddressAfter([&] {
                s().Type("99.99.99.99");
                s().Tap(Key::left);
                s().Tap(Key::left);
                ASSERT_TRUE(s().WaitForCursor(19 + 11 - 2, 0)) << s().Dump();
                s().Type(clear);
                // Back after the prompt before typing on: an Esc followed at
                // once by a key would be that key with Alt.
                ASSERT_TRUE(s().WaitForCursor(19, 0)) << s().Dump();
                s().Type("1.2.3.4");
              }),
              "1.2.3.4");
    // The prompt is whole and nothing of the cleared text is left.
    EXPECT_TRUE(s().WaitForRow(0, Row("Enter IP address : 1.2.3.4", 1))) << s().Dump();
  }
}

TEST_P(EditingTest, KeysThatDoNothing) {
  EXPECT_EQ(AddressAfter([&] {
              s().Type("1.2");
              for (Key key : {Key::up, Key::down, Key::insert, Key::del, Key::f1, Key::pageUp}) {
                s().Tap(key);
              }
              s().Type(".3.4");
            }),
            "1.2.3.4");
}

TEST_P(EditingTest, CtrlZDoesNothing) {
  NETSTEP_NATIVE_ONLY(
      "Wine leaves the terminal's signal keys on: Ctrl+Z stops Wine, or is discarded together "
      "with the keys typed before it");
  EXPECT_EQ(AddressAfter([&] { s().Type("1.2\x1a.3.4"); }), "1.2.3.4");
}

TEST_P(EditingTest, LineHoldsAtMost254Characters) {
  Start();
  s().Type(std::string(300, 'k'));
  // 254 echoed from column 20: to column 34 of row 4.
  ASSERT_TRUE(s().WaitForCursor(19 + 254 - 3 * 80, 3)) << s().Dump();
  int echoed = 0;
  for (const std::string& line : s().Lines()) {
    for (char c : line) echoed += c == 'k';
  }
  EXPECT_EQ(echoed, 254);
  s().Type("\r");
  ASSERT_TRUE(s().WaitForTextAt(0, 4, "Enter SubNet Mask : ")) << s().Dump();
  TypeLine("");
  EXPECT_TRUE(s().WaitForText("IP Network address - 0.0.0.0")) << s().Dump();
  s().Type("\x1b");
  EndProgram();
}

TEST_P(EditingTest, ControlCharacterIsStored) {
  // Ctrl+A is a character of the line, skipped by the parser as any non-digit.
  EXPECT_EQ(AddressAfter([&] {
              s().Type(
                  "\x01"
                  "5");
            }),
            "0.0.0.5");
}

TEST_P(EditingTest, ControlCharacterIsShownAsItsGlyph) {
  NETSTEP_NATIVE_ONLY(
      "Wine's console writes code page 437's control codes to the terminal as control "
      "characters, not as their glyphs");
  EXPECT_EQ(AddressAfter([&] {
              s().Type(
                  "\x01"
                  "5");
            }),
            "0.0.0.5");
  EXPECT_EQ(s().Cell(19, 0).glyph, U'\u263A');  // Ctrl+A: the white smiling face
  EXPECT_EQ(s().Cell(20, 0).glyph, U'5');
}

// Ctrl+G (a bell) and Ctrl+J (a line feed) would echo as no cell: they are
// dropped, and the erasing keys still meet the line's own cells.
TEST_P(EditingTest, KeysWhoseEchoTakesNoCellAreDropped) {
  struct Case {
    const char* first;  // typed, then the cursor is awaited at its column of row 1
    int firstColumn;
    const char* then;  // likewise
    int thenColumn;
    const char* shown;  // the address the view shows
    const char* row;    // the address row afterwards, left of the table
  };
  const Case cases[] = {
      {"9\x07", 20, "\x7f", 19, "0.0.0.0", "Enter IP address :"},
      {"a\x07\x07\x07", 20, "\x1b", 19, "0.0.0.0", "Enter IP address :"},
      {"1.2\n", 22, ".3.4", 26, "1.2.3.4", "Enter IP address : 1.2.3.4"},
      {"1.2.3.45\n", 27, "\x7f", 26, "1.2.3.4", "Enter IP address : 1.2.3.4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.first) + c.then));
    const std::string shown = AddressAfter([&] {
      s().Type(c.first);
      ASSERT_TRUE(s().WaitForCursor(c.firstColumn, 0)) << s().Dump();
      s().Type(c.then);
      ASSERT_TRUE(s().WaitForCursor(c.thenColumn, 0)) << s().Dump();
    });
    EXPECT_EQ(shown, c.shown);
    EXPECT_TRUE(s().WaitForRow(0, Row(c.row, 1))) << s().Dump();
    EXPECT_EQ(LeftText(1), "Enter SubNet Mask : 255.255.255.255") << s().Dump();
  }
}

TEST_P(EditingTest, EnterFromInsideAWrappedLineEndsBelowIt) {
  Start();
  const std::string line = "1.2.3.4" + std::string(140, 'a');  // from column 20 to row 3
  s().Type(line);
  ASSERT_TRUE(s().WaitForCursor(19 + int(line.size()) - 160, 2)) << s().Dump();
  s().Tap(Key::home);
  ASSERT_TRUE(s().WaitForCursor(19, 0)) << s().Dump();
  s().Type("\r");
  ASSERT_TRUE(WaitForPrompt("Enter SubNet Mask : ")) << s().Dump();
  EXPECT_EQ(s().Cursor(), (Position{20, 3})) << s().Dump();
  // The whole line stays as typed above the mask prompt.
  EXPECT_EQ(s().RowText(0), "Enter IP address : " + line.substr(0, 61)) << s().Dump();
  EXPECT_EQ(s().RowText(1), line.substr(61, 80)) << s().Dump();
  EXPECT_EQ(s().RowText(2), Row(line.substr(141), 3)) << s().Dump();
  TypeLine("255.0.0.0");
  EXPECT_TRUE(s().WaitForText("IP Network address - 1.0.0.0")) << s().Dump();
  EXPECT_EQ(LeftText(3), "Enter SubNet Mask : 255.0.0.0") << s().Dump();
  s().Type("\x1b");
  EndProgram();
}

TEST_P(EditingTest, BackspaceAtTheStartOfAContinuationRow) {
  Start();
  const std::string first = std::string(60, '1') + "2";  // fills row 1 to its last column
  s().Type(first);
  ASSERT_TRUE(s().WaitForCursor(0, 1)) << s().Dump();
  s().Type("\x7f");
  // The character leaves the row above, and the cursor goes back to its cell.
  ASSERT_TRUE(s().WaitForCursor(79, 0)) << s().Dump();
  EXPECT_TRUE(s().WaitForRow(0, "Enter IP address : " + std::string(60, '1'))) << s().Dump();
  s().Type("3");
  ASSERT_TRUE(s().WaitForCursor(0, 1)) << s().Dump();
  EXPECT_TRUE(s().WaitForRow(0, "Enter IP address : " + std::string(60, '1') + "3")) << s().Dump();
  s().Type("\r");
  EnterTaskMask();
  s().Type("\x1b");
  EndProgram();
}

TEST_P(EditingTest, EnterOnTheBottomRowScrollsTheWindow) {
  Start(80, 2);
  // Two rows: the mask is typed on the bottom row. Its Enter scrolls the window
  // once, the error line and the line before the prompt twice more.
  ASSERT_TRUE(s().WaitForTextAt(0, 0, "Enter IP address : ")) << s().Dump();
  TypeLine("1.2.3.4");
  ASSERT_TRUE(s().WaitForTextAt(0, 1, "Enter SubNet Mask : ")) << s().Dump();
  s().Type("255.0.255.0\r");
  ASSERT_TRUE(ScreenIs(s(), {"", newTaskPrompt}));
  EndProgram();
}

}  // namespace
}  // namespace e2e
