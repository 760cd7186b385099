// The window model: control characters, wrap and scroll, clearing on both
// platform families, cursor placement at and beyond the edges, and the calls
// the layer makes of the console per character and per statement.
#include <gtest/gtest.h>

#include "console/window.h"
#include "tests/unit/console_fixture.h"

namespace {

using console::consoleState;
using fake::ConsoleCall;

struct CharCase {
  const char* name;
  uint8_t c;
  int startColumn;  // work cursor, 1-based
  int column;       // afterwards
  int row;          // afterwards (starts at 2)
  bool writesCell;
};

TEST_F(ConsoleTest, ControlCharacters) {
  const CharCase cases[] = {
      {"bell", 7, 4, 4, 2, false},
      {"backspace", 8, 4, 3, 2, false},
      {"backspace_at_left_edge", 8, 1, 1, 2, false},
      {"line_feed_keeps_column", 10, 4, 4, 3, false},
      {"carriage_return", 13, 4, 1, 2, false},
      {"tab_is_one_cell", 9, 4, 5, 2, true},
      {"nul_is_one_cell", 0, 4, 5, 2, true},
      {"escape_is_one_cell", 27, 4, 5, 2, true},
      {"form_feed_is_one_cell", 12, 4, 5, 2, true},
      {"byte_255", 255, 4, 5, 2, true},
      {"letter", 'A', 4, 5, 2, true},
  };
  for (const CharCase& c : cases) {
    StartConsole(10, 5);
    consoleState.workColumn = c.startColumn;
    consoleState.workRow = 2;
    console::PutConsoleChar(c.c);
    EXPECT_EQ(consoleState.workColumn, c.column) << c.name;
    EXPECT_EQ(consoleState.workRow, c.row) << c.name;
    ASSERT_EQ(fake::CountCalls(ConsoleCall::writeCell), c.writesCell ? 1 : 0) << c.name;
    if (c.writesCell) {
      EXPECT_EQ(CellAt(c.startColumn - 1, 1).character, c.c) << c.name;
      EXPECT_EQ(CellAt(c.startColumn - 1, 1).attribute, attribute) << c.name;
    }
  }
}

TEST_F(ConsoleTest, BackspaceErasesNothing) {
  Write("abc\b\b");
  EXPECT_EQ(fake::ScreenRow(0), "abc       ");
  EXPECT_EQ(Cursor().x, 1);
}

TEST_F(ConsoleTest, WrapsAsSoonAsTheLastColumnIsWritten) {
  consoleState.workColumn = 10;
  consoleState.workRow = 1;
  console::PutConsoleChar('x');
  EXPECT_EQ(consoleState.workColumn, 1);
  EXPECT_EQ(consoleState.workRow, 2);
  Write("0123456789");  // a whole row from (1, 1): the cursor is already on row 2
  EXPECT_EQ(Cursor().x, 0);
  EXPECT_EQ(Cursor().y, 1);
}

TEST_F(ConsoleTest, ScrollsAtTheBottomBlankingTheNewRowInTheStartUpAttribute) {
  Write("row1\r\nrow2\r\nrow3\r\nrow4\r\nrow5");
  EXPECT_EQ(fake::CountCalls(ConsoleCall::scrollCells), 0);
  Write("\r\n");
  EXPECT_EQ(fake::CountCalls(ConsoleCall::scrollCells), 1);
  EXPECT_EQ(fake::ScreenRow(0), "row2      ");
  EXPECT_EQ(fake::ScreenRow(3), "row5      ");
  EXPECT_EQ(fake::ScreenRow(4), "          ");
  for (int x = 0; x < 10; ++x) EXPECT_EQ(CellAt(x, 4).attribute, attribute);
  EXPECT_EQ(Cursor().x, 0);
  EXPECT_EQ(Cursor().y, 4);
}

TEST_F(ConsoleTest, LastCellOfTheWindowScrollsAtOnce) {
  console::PlaceCursor(10, 5);
  Write("z");
  EXPECT_EQ(fake::ScreenRow(3), "         z");
  EXPECT_EQ(Cursor().x, 0);
  EXPECT_EQ(Cursor().y, 4);
}

TEST_F(ConsoleTest, DropWindowLineOfAMiddleRow) {
  Write("r1\r\nr2\r\nr3\r\nr4\r\nr5");
  console::DropWindowLine(3);
  EXPECT_EQ(fake::ScreenRow(0), "r1        ");
  EXPECT_EQ(fake::ScreenRow(1), "r2        ");
  EXPECT_EQ(fake::ScreenRow(2), "r4        ");
  EXPECT_EQ(fake::ScreenRow(3), "r5        ");
  EXPECT_EQ(fake::ScreenRow(4), "          ");
}

struct ClearCase {
  const char* name;
  int16_t width, height;
  uint32_t platformId;
  int scrolls, fills;
};

TEST_F(ConsoleTest, ClearWindowOnBothFamilies) {
  const ClearCase cases[] = {
      {"nt", 10, 5, 2, 1, 0},         {"older", 10, 5, 1, 3, 0},
      {"older_tall", 3, 25, 1, 3, 0}, {"older_two_rows", 4, 2, 1, 3, 0},
      {"nt_one_row", 10, 1, 2, 1, 0}, {"older_one_row", 10, 1, 1, 3, 0},
      {"nt_one_cell", 1, 1, 2, 1, 0}, {"older_one_cell", 1, 1, 1, 0, 1},
  };
  for (const ClearCase& c : cases) {
    StartConsole(c.width, c.height, c.platformId);
    for (int i = 0; i < c.width * c.height; ++i) Write("#");
    console::PlaceCursor(uint8_t(c.width), uint8_t(c.height));
    fake::ClearCalls();
    console::ClearWindow();
    EXPECT_EQ(fake::CountCalls(ConsoleCall::scrollCells), c.scrolls) << c.name;
    EXPECT_EQ(fake::CountCalls(ConsoleCall::fillCell), c.fills) << c.name;
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < c.width; ++x) {
        EXPECT_EQ(CellAt(x, y).character, ' ') << c.name << " " << x << "," << y;
        EXPECT_EQ(CellAt(x, y).attribute, attribute) << c.name;
      }
    }
    EXPECT_EQ(Cursor().x, 0) << c.name;
    EXPECT_EQ(Cursor().y, 0) << c.name;
  }
}

struct PlaceCase {
  int column, row;
  bool moves;
};

TEST_F(ConsoleTest, PlaceCursorAtAndBeyondEveryEdge) {
  const PlaceCase cases[] = {{1, 1, true},  {10, 1, true},     {1, 5, true},   {10, 4, true},
                             {0, 1, false}, {1, 0, false},     {11, 1, false}, {1, 6, false},
                             {0, 0, false}, {255, 255, false}, {50, 1, false}};
  for (const PlaceCase& c : cases) {
    StartConsole(10, 5);
    console::PlaceCursor(3, 2);
    console::PlaceCursor(uint8_t(c.column), uint8_t(c.row));
    Write("x");  // the next text goes where the cursor is
    const int x = c.moves ? c.column - 1 : 2;
    const int y = c.moves ? c.row - 1 : 1;
    EXPECT_EQ(CellAt(x, y).character, 'x') << c.column << "," << c.row;
  }
}

TEST_F(ConsoleTest, OneCellWritePerCharacterAndOneCursorMovePerStatement) {
  Write("abc");
  EXPECT_EQ(fake::CountCalls(ConsoleCall::writeCell), 3);
  EXPECT_EQ(fake::CountCalls(ConsoleCall::setCursor), 1);
  fake::ClearCalls();
  runtime::WriteLineEnd(runtime::standardOutput);
  EXPECT_EQ(fake::CountCalls(ConsoleCall::writeCell), 0);
  EXPECT_EQ(fake::CountCalls(ConsoleCall::setCursor), 1);
}

TEST_F(ConsoleTest, EmptyFlushOnlySetsTheCursorAgain) {
  console::PlaceCursor(4, 3);
  fake::ClearCalls();
  runtime::WriteEnd(runtime::standardOutput);
  ASSERT_EQ(fake::state.consoleCalls.size(), 1u);
  EXPECT_EQ(fake::state.consoleCalls[0].kind, ConsoleCall::setCursor);
  EXPECT_EQ(fake::state.consoleCalls[0].position.x, 3);
  EXPECT_EQ(fake::state.consoleCalls[0].position.y, 2);
}

// Longer than the stream's buffer: it reaches the window in buffer loads, and
// all of it arrives, in order.
TEST_F(ConsoleTest, LongStatementReachesTheWindowWhole) {
  StartConsole(80, 25);
  std::string text;
  for (int i = 0; i < 600; ++i) text += char('a' + i % 26);
  Write(text);
  for (int row = 0; row < 8; ++row) {
    EXPECT_EQ(fake::ScreenRow(row).substr(0, row < 7 ? 80 : 40), text.substr(row * 80, 80)) << row;
  }
  EXPECT_EQ(Cursor().x, 600 % 80);
  EXPECT_EQ(Cursor().y, 600 / 80);
}

}  // namespace
