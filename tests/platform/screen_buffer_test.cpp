// The screen buffer's cell writes and rectangle scrolls, case by case on a
// 5 x 4 buffer whose cells hold the letters a to t; '.' marks the fill.
#include "platform/screen_buffer.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace platform {
namespace {

using Rows = std::vector<std::string>;

constexpr Cell fill = {'.', 0x1E};
constexpr Rect whole = {0, 0, 4, 3};
const Rows letters = {"abcde", "fghij", "klmno", "pqrst"};

class ScreenBufferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(InitScreenBuffer(buffer, 5, 4));
    for (int16_t y = 0; y < 4; ++y) {
      for (int16_t x = 0; x < 5; ++x) WriteScreenCell(buffer, {x, y}, {Letter(x, y), 0x07});
    }
  }
  void TearDown() override { ReleaseScreenBuffer(buffer); }

  static uint8_t Letter(int x, int y) { return uint8_t(letters[y][x]); }

  Rows Shown() const {
    Rows rows(4, std::string(5, ' '));
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 5; ++x) rows[y][x] = char(ScreenCellAt(buffer, x, y).character);
    }
    return rows;
  }

  ScreenBuffer buffer = {};
};

struct ScrollCase {
  const char* name;
  Rect scroll;
  std::optional<Rect> clip;
  Coord destination;
  Rows expected;
  int wholeBufferRows;  // what ScrollScreenCells reports
};

const ScrollCase scrollCases[] = {
    {"clear", whole, whole, {-5, -4}, {".....", ".....", ".....", "....."}, 0},
    {"up one", whole, {}, {0, -1}, {"fghij", "klmno", "pqrst", "....."}, 1},
    {"up one, clip the buffer", whole, whole, {0, -1}, {"fghij", "klmno", "pqrst", "....."}, 1},
    {"up one, clip beyond",
     whole,
     Rect{-3, -3, 9, 9},
     {0, -1},
     {"fghij", "klmno", "pqrst", "....."},
     1},
    {"up past the height", whole, {}, {0, -5}, {".....", ".....", ".....", "....."}, 5},
    {"up, clipped rectangle",
     {-2, -1, 6, 3},
     {},
     {-2, -2},
     {"fghij", "klmno", "pqrst", "....."},
     1},
    {"drop row 1", {0, 1, 4, 3}, Rect{0, 1, 4, 3}, {0, 0}, {"abcde", "klmno", "pqrst", "....."}, 0},
    {"down, overlapping", {0, 0, 4, 2}, {}, {0, 1}, {".....", "abcde", "fghij", "klmno"}, 0},
    {"right, overlapping", {0, 0, 3, 3}, {}, {1, 0}, {".abcd", ".fghi", ".klmn", ".pqrs"}, 0},
    {"left, overlapping", {1, 0, 4, 3}, {}, {0, 0}, {"bcde.", "ghij.", "lmno.", "qrst."}, 0},
    {"diagonal", {0, 0, 3, 2}, {}, {1, 1}, {"....e", ".abcd", ".fghi", "pklmn"}, 0},
    {"left edge clipped", {-2, 0, 4, 3}, {}, {-1, 0}, {".abcd", ".fghi", ".klmn", ".pqrs"}, 0},
    {"up inside a clip", whole, Rect{1, 1, 3, 2}, {0, -1}, {"abcde", "flmnj", "kqrso", "pqrst"}, 0},
    {"fill only inside the clip",
     whole,
     Rect{1, 1, 3, 2},
     {-5, -4},
     {"abcde", "f...j", "k...o", "pqrst"},
     0},
    {"clip partly outside",
     whole,
     Rect{-5, 2, 20, 20},
     {0, -1},
     {"abcde", "fghij", "pqrst", "....."},
     0},
    {"destination off the buffer",
     {0, 0, 1, 1},
     {},
     {10, 10},
     {"..cde", "..hij", "klmno", "pqrst"},
     0},
    {"destination partly off", {3, 0, 4, 1}, {}, {4, 2}, {"abc..", "fgh..", "klmnd", "pqrsi"}, 0},
    {"rectangle right of the buffer", {5, 0, 9, 3}, {}, {0, 0}, letters, 0},
    {"rectangle below the buffer", {0, 4, 4, 6}, {}, {0, 0}, letters, 0},
    {"left beyond right", {3, 0, 1, 3}, {}, {0, 0}, letters, 0},
    {"top beyond bottom", {0, 3, 4, 1}, {}, {0, 0}, letters, 0},
    {"clip off the buffer", whole, Rect{6, 6, 8, 8}, {0, -1}, letters, 0},
    {"clip inverted", whole, Rect{3, 0, 1, 3}, {0, -1}, letters, 0},
};

TEST_F(ScreenBufferTest, ScrollsFollowTheConsoleRules) {
  for (const ScrollCase& c : scrollCases) {
    SetUp();
    const Rect* clip = c.clip ? &*c.clip : nullptr;
    EXPECT_EQ(ScrollScreenCells(buffer, c.scroll, clip, c.destination, fill), c.wholeBufferRows)
        << c.name;
    EXPECT_EQ(Shown(), c.expected) << c.name;
    for (int i = 0; i < 20; ++i) {
      const ScreenCell& cell = buffer.cells[i];
      if (cell.character == '.') {
        EXPECT_EQ(cell.attribute, fill.attribute) << c.name;
      }
    }
  }
}

TEST_F(ScreenBufferTest, ThreeScrollsBlankAWindow) {
  const Rect window = {1, 1, 3, 2};
  ScrollScreenCells(buffer, window, &window, {3, 1}, fill);   // right by 2
  ScrollScreenCells(buffer, window, &window, {1, 2}, fill);   // down by 1
  ScrollScreenCells(buffer, window, &window, {-2, 1}, fill);  // left by 3
  EXPECT_EQ(Shown(), (Rows{"abcde", "f...j", "k...o", "pqrst"}));
}

TEST_F(ScreenBufferTest, WritesOutsideTheBufferChangeNothing) {
  const Coord outside[] = {{-1, 0}, {5, 0}, {0, -1}, {0, 4}, {32767, 32767}, {-32768, 2}};
  for (Coord position : outside) {
    WriteScreenCell(buffer, position, fill);
    FillScreenCell(buffer, position, fill);
  }
  EXPECT_EQ(Shown(), letters);
  WriteScreenCell(buffer, {4, 3}, fill);
  FillScreenCell(buffer, {0, 0}, fill);
  EXPECT_EQ(Shown(), (Rows{".bcde", "fghij", "klmno", "pqrs."}));
}

TEST_F(ScreenBufferTest, CursorStaysInsideTheBuffer) {
  EXPECT_TRUE(SetScreenCursor(buffer, {4, 3}));
  EXPECT_FALSE(SetScreenCursor(buffer, {5, 0}));
  EXPECT_FALSE(SetScreenCursor(buffer, {0, -1}));
  EXPECT_EQ(buffer.cursor.x, 4);
  EXPECT_EQ(buffer.cursor.y, 3);
}

// Cells the program never touched stay unknown when moved among themselves,
// so the renderer leaves the terminal's own content there.
TEST(ScreenBufferKnownCells, FollowWritesFillsAndMoves) {
  ScreenBuffer buffer = {};
  ASSERT_TRUE(InitScreenBuffer(buffer, 3, 3));
  WriteScreenCell(buffer, {0, 2}, {'x', 0x1F});
  WriteScreenCell(buffer, {1, 1}, {'y', 0x1F});
  EXPECT_EQ(ScrollScreenCells(buffer, {0, 0, 2, 2}, nullptr, {0, -1}, fill), 1);
  EXPECT_TRUE(ScreenCellAt(buffer, 0, 1).known);  // moved from a written cell
  EXPECT_EQ(ScreenCellAt(buffer, 0, 1).character, 'x');
  EXPECT_TRUE(ScreenCellAt(buffer, 1, 0).known);
  EXPECT_TRUE(ScreenCellAt(buffer, 1, 1).known);  // written, then overwritten by an unknown cell
  EXPECT_EQ(ScreenCellAt(buffer, 1, 1).character, ' ');
  EXPECT_FALSE(ScreenCellAt(buffer, 2, 1).known);
  EXPECT_FALSE(ScreenCellAt(buffer, 0, 0).known);
  for (int x = 0; x < 3; ++x) EXPECT_TRUE(ScreenCellAt(buffer, x, 2).known);
  ReleaseScreenBuffer(buffer);
}

}  // namespace
}  // namespace platform
