// The line editor: what each key does to the line and to the screen, the
// capacity of a line, and the echo over wrapped and scrolled rows.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "console/line_editor.h"
#include "console/window.h"
#include "tests/unit/console_fixture.h"

namespace {

using platform::enhancedKey;

enum Special { left, right, home, end, up, down, insert, del, f1 };

class LineEditorTest : public ConsoleTest {
 protected:
  void SetUp() override { StartConsole(20, 5); }

  static void Type(const std::string& text) {
    for (char c : text) fake::QueueKey(0, 0, uint8_t(c));
  }
  static void Press(Special key) {
    struct Code {
      uint16_t vk, scan;
    };
    static constexpr Code codes[] = {{0x25, 75}, {0x27, 77}, {0x24, 71}, {0x23, 79}, {0x26, 72},
                                     {0x28, 80}, {0x2D, 82}, {0x2E, 83}, {0x70, 59}};
    fake::QueueKey(codes[key].vk, codes[key].scan, 0, key == f1 ? 0 : enhancedKey, true);
  }
  static void Enter() { fake::QueueKey(0x0D, 0x1C, 13); }

  // Runs the editor over the queued keys; the line as delivered, CR LF included.
  static std::string Edit() {
    runtime::TextStream& in = runtime::standardInput;
    EXPECT_FALSE(fake::TakesExit([&] { console::EditLine(in); })) << "editor starved";
    EXPECT_EQ(in.bufferPos, 0);
    return std::string(in.ownBuffer, std::size_t(in.bufferEnd));
  }
};

struct EditCase {
  const char* name;
  void (*keys)();
  const char* line;    // delivered, without the CR LF
  const char* screen;  // row 1 afterwards, trimmed
};

TEST_F(LineEditorTest, Keys) {
  const EditCase cases[] = {
      {"typed", [] { Type("abc"); }, "abc", "abc"},
      {"nothing", [] {}, "", ""},
      {"overwrite_after_left",
       [] {
         Type("abc");
         Press(left);
         Press(left);
         Type("X");
       },
       "aXc", "aXc"},
      {"home_then_enter_takes_all",
       [] {
         Type("abc");
         Press(home);
       },
       "abc", "abc"},
      {"home_then_overwrite",
       [] {
         Type("abc");
         Press(home);
         Type("xy");
       },
       "xyc", "xyc"},
      {"right_rewrites",
       [] {
         Type("abc");
         Press(home);
         Press(right);
         Type("Z");
       },
       "aZc", "aZc"},
      {"right_at_end_does_nothing",
       [] {
         Type("ab");
         Press(right);
         Type("c");
       },
       "abc", "abc"},
      {"left_at_start_does_nothing",
       [] {
         Press(left);
         Type("a");
       },
       "a", "a"},
      {"backspace_inside_does_nothing",
       [] {
         Type("abc");
         Press(left);
         Type("\b");
       },
       "abc", "abc"},
      {"end_then_backspace",
       [] {
         Type("abc");
         Press(left);
         Press(end);
         Type("\b");
       },
       "ab", "ab"},
      {"ctrl_s_is_backspace", [] { Type("abc\x13"); }, "ab", "ab"},
      {"esc_clears", [] { Type("abc\x1b"); }, "", ""},
      {"esc_then_editing_goes_on",
       [] {
         Type(
             "abc\x1b"
             "de");
       },
       "de", "de"},
      {"ctrl_y_clears", [] { Type("abc\x19"); }, "", ""},
      {"esc_after_moving_left",
       [] {
         Type("abc");
         Press(left);
         Press(left);
         Type("\x1b");
       },
       "", ""},
      {"keys_that_do_nothing",
       [] {
         Type("a");
         Press(up);
         Press(down);
         Press(insert);
         Press(del);
         Press(f1);
         Type("\x1a");
       },
       "a", "a"},
      {"control_bytes_with_a_glyph_are_stored", [] { Type("\x01\t\x7f"); }, "\x01\t\x7f",
       "\x01\t\x7f"},
  };
  for (const EditCase& c : cases) {
    StartConsole(20, 5);
    c.keys();
    Enter();
    EXPECT_EQ(Edit(), std::string(c.line) + "\r\n") << c.name;
    std::string row = fake::ScreenRow(0);
    row.erase(row.find_last_not_of(' ') + 1);
    EXPECT_EQ(row, c.screen) << c.name;
    EXPECT_EQ(Cursor().x, 0) << c.name;  // Enter leaves the cursor at the next row's start
    EXPECT_EQ(Cursor().y, 1) << c.name;
  }
}

TEST_F(LineEditorTest, EchoStartsAfterThePromptAndClearingComesBackToIt) {
  Write("> ");
  Type("abc");
  Press(left);
  Press(left);
  Type("\x1b");
  Type("z");
  Enter();
  EXPECT_EQ(Edit(), "z\r\n");
  EXPECT_EQ(fake::ScreenRow(0),
            ">"
            " z" +
                std::string(17, ' '));
}

TEST_F(LineEditorTest, LineHoldsAtMost254Bytes) {
  StartConsole(80, 25);
  Type(std::string(300, 'k'));
  Enter();
  const std::string line = Edit();
  EXPECT_EQ(line.size(), 256u);
  EXPECT_EQ(line.substr(0, 254), std::string(254, 'k'));
  int echoed = 0;
  for (int y = 0; y < 5; ++y) {
    for (char c : fake::ScreenRow(y)) echoed += c == 'k';
  }
  EXPECT_EQ(echoed, 254);
}

TEST_F(LineEditorTest, BackspaceAtTheStartOfAContinuationRow) {
  StartConsole(10, 5);
  Write("p> ");
  Type("1234567");  // fills row 1; the cursor wraps to row 2
  Type("\b");
  Type("z");
  Enter();
  EXPECT_EQ(Edit(), "123456z\r\n");
  EXPECT_EQ(fake::ScreenRow(0), "p> 123456z");
  EXPECT_EQ(fake::ScreenRow(1), "          ");
}

TEST_F(LineEditorTest, BackspaceOverAWrapShowsTheLineAsItIs) {
  StartConsole(10, 5);
  Write("p> ");
  Type("1234567");
  Type("\b");
  // No Enter: the editor waits for more, which the fake ends by taking the exit.
  fake::state.starvationLimit = 3;
  EXPECT_TRUE(fake::TakesExit([] { console::EditLine(runtime::standardInput); }));
  EXPECT_EQ(fake::ScreenRow(0), "p> 123456 ");
  EXPECT_EQ(Cursor().x, 9);  // on the cell the character left
  EXPECT_EQ(Cursor().y, 0);
}

TEST_F(LineEditorTest, HomeCrossesWrappedRows) {
  StartConsole(10, 5);
  Type("abcdefghijkl");  // 12 bytes: one full row and two on the next
  Press(home);
  Type("X");
  Press(end);
  Type("m");
  Enter();
  EXPECT_EQ(Edit(), "Xbcdefghijklm\r\n");
  EXPECT_EQ(fake::ScreenRow(0), "Xbcdefghij");
  EXPECT_EQ(fake::ScreenRow(1), "klm       ");
}

TEST_F(LineEditorTest, EnterOnTheBottomRowScrollsTheWindow) {
  console::PlaceCursor(1, 5);
  Write("last");
  Type("xy");
  Enter();
  EXPECT_EQ(Edit(), "xy\r\n");
  EXPECT_EQ(fake::ScreenRow(3), "lastxy" + std::string(14, ' '));
  EXPECT_EQ(fake::ScreenRow(4), std::string(20, ' '));
  EXPECT_EQ(Cursor().x, 0);
  EXPECT_EQ(Cursor().y, 4);
}

// A key whose echo would take no cell (a bell writes nothing, a line feed
// moves down a row) is dropped, so that the erasing keys still meet the
// line's own cells and never the prompt's.
TEST_F(LineEditorTest, KeysWhoseEchoTakesNoCellAreDropped) {
  struct Case {
    const char* name;
    const char* keys;
    const char* line;  // held so far
    const char* row;   // row 1, the prompt "> " included
  };
  const Case cases[] = {
      {"bell_then_backspace", "9\x07\b", "", "> "},
      {"bells_then_esc", "a\x07\x07\x07\x1b", "", "> "},
      {"line_feed", "a\nb", "ab", "> ab"},
      {"line_feed_then_backspace", "ab\n\b", "a", "> a"},
  };
  for (const Case& c : cases) {
    StartConsole(20, 5);
    Write("> ");
    Type(c.keys);
    fake::state.starvationLimit = 3;  // no Enter: the fake ends the editing
    EXPECT_TRUE(fake::TakesExit([] { console::EditLine(runtime::standardInput); })) << c.name;
    const runtime::TextStream& in = runtime::standardInput;
    EXPECT_EQ(std::string(in.ownBuffer, std::size_t(in.bufferEnd)), c.line) << c.name;
    EXPECT_EQ(fake::ScreenRow(0), c.row + std::string(20 - std::strlen(c.row), ' ')) << c.name;
    EXPECT_EQ(fake::ScreenRow(1), std::string(20, ' ')) << c.name;
    EXPECT_EQ(Cursor().x, std::strlen(c.row)) << c.name;
    EXPECT_EQ(Cursor().y, 0) << c.name;
  }
}

// Enter takes the line from its end, wherever the cursor stands on it: the
// next output starts below the line's last row and covers none of it.
TEST_F(LineEditorTest, EnterFromInsideAWrappedLineEndsBelowIt) {
  struct Case {
    const char* name;
    void (*keys)();
  };
  const Case cases[] = {
      {"at_the_end", [] {}},
      {"home", [] { Press(home); }},
      {"left_on_the_continuation_row", [] { Press(left); }},
      {"left_onto_the_first_row",
       [] {
         for (int i = 0; i < 6; ++i) Press(left);
       }},
      {"home_then_overwrite",
       [] {
         Press(home);
         Type("X");
       }},
  };
  for (const Case& c : cases) {
    StartConsole(10, 5);
    Write("p> ");
    Type("abcdefghijkl");  // 3 + 12 cells: one full row and five of the next
    c.keys();
    Enter();
    const std::string line = Edit();
    EXPECT_EQ(line.substr(1), "bcdefghijkl\r\n") << c.name;
    Write("q> ");
    EXPECT_EQ(fake::ScreenRow(0), "p> " + line.substr(0, 1) + "bcdefg") << c.name;
    EXPECT_EQ(fake::ScreenRow(1), "hijkl     ") << c.name;
    EXPECT_EQ(fake::ScreenRow(2), "q>        ") << c.name;
    EXPECT_EQ(Cursor().x, 3) << c.name;
    EXPECT_EQ(Cursor().y, 2) << c.name;
  }
}

TEST_F(LineEditorTest, EnterFromInsideAWrappedLineOnTheBottomRow) {
  StartConsole(10, 3);
  console::PlaceCursor(1, 3);
  Write("p> ");
  Type("abcdefghijkl");  // wraps below the bottom row: the window scrolls once
  Press(home);
  Enter();
  EXPECT_EQ(Edit(), "abcdefghijkl\r\n");
  EXPECT_EQ(fake::ScreenRow(0), "p> abcdefg");
  EXPECT_EQ(fake::ScreenRow(1), "hijkl     ");
  EXPECT_EQ(fake::ScreenRow(2), std::string(10, ' '));
  EXPECT_EQ(Cursor().x, 0);
  EXPECT_EQ(Cursor().y, 2);
}

// While the editor waits for a key, the visible cursor stands where that
// key's echo will go.
TEST_F(LineEditorTest, CursorWaitsWhereTheNextEchoGoes) {
  Write("p> ");
  static std::vector<platform::Coord> atPauses;
  atPauses.clear();
  fake::state.onPause = [] { atPauses.push_back(Cursor()); };
  Type("abc");
  Press(left);
  Enter();
  Edit();
  fake::state.onPause = nullptr;
  // Before a, b, c, both bytes of Left, Enter.
  const std::vector<int> columns = {3, 4, 5, 6, 6, 5};
  ASSERT_GE(atPauses.size(), columns.size());
  for (size_t i = 0; i < columns.size(); ++i) {
    EXPECT_EQ(atPauses[i].x, columns[i]) << i;
    EXPECT_EQ(atPauses[i].y, 0) << i;
  }
}

TEST_F(LineEditorTest, ReadStatementTakesSixteenAndDropsTheRest) {
  Type("192.168.100.200.7");
  Enter();
  Type("next");
  Enter();
  runtime::ShortText<16> text;
  runtime::ReadText(runtime::standardInput, text, 16);
  runtime::ReadLineEnd(runtime::standardInput);
  EXPECT_EQ(std::string(text.chars, text.length), "192.168.100.200.");
  runtime::ReadText(runtime::standardInput, text, 16);
  EXPECT_EQ(std::string(text.chars, text.length), "next");
}

}  // namespace
