// Whole tasks as a user meets them: the screen row by row, stepping between
// networks at both ends of the address space, leaving the view, the new-task
// answers, the error layouts, and the layout on small terminals.
#include <gtest/gtest.h>

#include "tests/e2e/netstep_e2e.h"

namespace e2e {
namespace {

class TaskTest : public NetstepTest {};
NETSTEP_TARGETS(TaskTest);

TEST_P(TaskTest, WholeTaskRowByRow) {
  Start();
  ASSERT_TRUE(ScreenIs(s(), {Row("Enter IP address : ", 1), Row("", 2), Row("", 3), Row("", 4),
                             Row("", 5), Row("", 6), Row("", 7), Row("", 8)}));
  EXPECT_TRUE(s().WaitForCursor(19, 0)) << s().Dump();
  TypeLine("192.168.1.10");
  ASSERT_TRUE(s().WaitForCursor(20, 1)) << s().Dump();  // after "Enter SubNet Mask : "
  TypeLine("255.255.255.0");
  const auto r = ResultRows("192.168.1.0", "192.168.1.1", "192.168.1.254", "192.168.1.255");
  ASSERT_TRUE(
      ScreenIs(s(), {Row("Enter IP address : 192.168.1.10", 1),
                     Row("Enter SubNet Mask : 255.255.255.0", 2), Row("", 3), Row(r[0], 4),
                     Row(r[1], 5), Row(r[2], 6), Row(r[3], 7), Row("", 8), "", navigationPrompt}));
  EXPECT_TRUE(s().WaitForCursor(64, 9)) << s().Dump();

  s().Type("+");
  const auto next = ResultRows("192.168.2.0", "192.168.2.1", "192.168.2.254", "192.168.2.255");
  ASSERT_TRUE(s().WaitForRow(17, navigationPrompt)) << s().Dump();
  EXPECT_TRUE(s().WaitForRow(10, "")) << s().Dump();
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(s().WaitForRow(11 + i, next[i])) << s().Dump();
  EXPECT_TRUE(s().WaitForCursor(64, 17)) << s().Dump();

  s().Type("\x1b");
  WaitForNewTaskPrompt();
  EXPECT_TRUE(s().WaitForRow(18, "")) << s().Dump();
  EXPECT_TRUE(s().WaitForRow(19, newTaskPrompt)) << s().Dump();
  EndProgram();
  // The screen stays as it was.
  EXPECT_TRUE(s().WaitForRow(19, newTaskPrompt)) << s().Dump();
  EXPECT_TRUE(s().WaitForRow(0, Row("Enter IP address : 192.168.1.10", 1))) << s().Dump();
}

struct StepCase {
  const char* name;
  const char* address;
  const char* mask;
  const char* keys;
  std::vector<std::string> shown;  // network of each pass, the first included
};

TEST_P(TaskTest, SteppingAndItsLimits) {
  const StepCase cases[] = {
      {"next_and_back",
       "192.168.1.10",
       "255.255.255.0",
       "+--",
       {"192.168.1.0", "192.168.2.0", "192.168.1.0", "192.168.0.0"}},
      {"top_does_not_wrap",
       "255.255.255.7",
       "255.255.255.0",
       "+",
       {"255.255.255.0", "255.255.255.0"}},
      {"bottom_does_not_wrap", "0.0.0.9", "255.255.255.0", "-", {"0.0.0.0", "0.0.0.0"}},
      {"other_keys_show_it_again",
       "10.1.2.3",
       "255.0.0.0",
       "x\r",
       {"10.0.0.0", "10.0.0.0", "10.0.0.0"}},
  };
  for (const StepCase& c : cases) {
    SCOPED_TRACE(c.name);
    Start(80, 40);  // room for four passes of eight rows without scrolling
    EnterTask(c.address, c.mask);
    for (const char* key = c.keys; *key != 0; ++key) {
      const int passes = int(key - c.keys) + 2;
      s().Type(std::string(1, *key));
      ASSERT_TRUE(s().WaitForRow(9 + 8 * (passes - 1), navigationPrompt)) << s().Dump();
    }
    for (size_t pass = 0; pass < c.shown.size(); ++pass) {
      EXPECT_EQ(LeftText(3 + 8 * int(pass)), "IP Network address - " + c.shown[pass]) << s().Dump();
    }
    s().Type("\x1b");
    EndProgram();
  }
}

TEST_P(TaskTest, NewTaskAnswers) {
  Start();
  EnterTask("1.2.3.4", "255.0.0.0");
  s().Type("\x1b");
  for (const char* answer : {"N", "Y", "\r", "\x1b", "q"}) {
    WaitForNewTaskPrompt();
    s().Type(answer);
    // A new task: the window is cleared and the first prompt is back on top.
    ASSERT_TRUE(ScreenIs(s(), {Row("Enter IP address : ", 1), Row("", 2), Row("", 3), Row("", 4),
                               Row("", 5), Row("", 6), Row("", 7), Row("", 8)}))
        << "after " << int(answer[0]);
    EnterTask("1.2.3.4", "255.0.0.0");
    s().Type("\x1b");
  }
  EndProgram();
}

struct ErrorCase {
  const char* name;
  const char* address;
  const char* mask;
  std::vector<std::string> rows;  // from row 2 (0-based), without the table
};

TEST_P(TaskTest, ErrorLayouts) {
  const ErrorCase cases[] = {
      {"range",
       "10.0.0.300",
       "255.255.255.0",
       {"Error - Address value must be (0..255)", "", newTaskPrompt}},
      {"mask", "10.0.0.1", "255.0.255.0", {"Error - Wrong SubNet mask", "", newTaskPrompt}},
      {"both",
       "10.0.0.999",
       "255.0.255.0",
       {"Error - Address value must be (0..255)", "        Wrong SubNet mask", "", newTaskPrompt}},
      {"range_inside_the_mask",
       "10.0.0.1",
       "255.300.255.0",
       {"Error - Address value must be (0..255)", "        Wrong SubNet mask", "", newTaskPrompt}},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.name);
    Start();
    EnterTask(c.address, c.mask);
    std::vector<std::string> rows = {Row(std::string("Enter IP address : ") + c.address, 1),
                                     Row(std::string("Enter SubNet Mask : ") + c.mask, 2)};
    for (size_t i = 0; i < c.rows.size(); ++i) {
      const int tableRow = int(rows.size()) + 1;
      rows.push_back(tableRow <= 8 ? Row(c.rows[i], tableRow) : c.rows[i]);
    }
    while (rows.size() < 8) rows.push_back(Row("", int(rows.size()) + 1));
    EXPECT_TRUE(ScreenIs(s(), rows));
    EXPECT_TRUE(s().WaitForCursor(18, 2 + int(c.rows.size()) - 1)) << s().Dump();
    EndProgram();
  }
}

TEST_P(TaskTest, EnterOnBothPromptsIsTheWholeAddressSpace) {
  Start();
  EnterTask("", "");
  const auto r = ResultRows("0.0.0.0", "0.0.0.1", "255.255.255.254", "255.255.255.255");
  EXPECT_TRUE(ScreenIs(
      s(), {Row("Enter IP address : ", 1), Row("Enter SubNet Mask : ", 2), Row("", 3), Row(r[0], 4),
            Row(r[1], 5), Row(r[2], 6), Row(r[3], 7), Row("", 8), "", navigationPrompt}));
  s().Type("\x1b");
  EndProgram();
}

TEST_P(TaskTest, LineIsCutToSixteenCharacters) {
  Start();
  EnterTask("192.168.100.200.7", "255.255.255.0");
  EXPECT_TRUE(s().WaitForRow(0, Row("Enter IP address : 192.168.100.200.7", 1))) << s().Dump();
  EXPECT_TRUE(s().WaitForRow(3, Row("IP Network address - 168.100.200.0", 4))) << s().Dump();
  s().Type("\x1b");
  EndProgram();
}

TEST_P(TaskTest, MasksWithFewerThanTwoHostBits) {
  Start();
  EnterTask("10.0.0.7", "255.255.255.255");
  const auto single = ResultRows("10.0.0.7", "10.0.0.7", "10.0.0.7", "10.0.0.7");
  for (int i = 0; i < 4; ++i)
    EXPECT_TRUE(s().WaitForRow(3 + i, Row(single[i], 4 + i))) << s().Dump();
  s().Type("\x1b");
  WaitForNewTaskPrompt();
  s().Type("y");
  EnterTask("10.0.0.7", "255.255.255.254");
  const auto pair = ResultRows("10.0.0.6", "10.0.0.6", "10.0.0.7", "10.0.0.7");
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(s().WaitForRow(3 + i, Row(pair[i], 4 + i))) << s().Dump();
  s().Type("\x1b");
  EndProgram();
}

TEST_P(TaskTest, WindowScrollsDuringTheThirdPass) {
  Start();
  EnterTask("10.0.0.1", "255.255.255.0");
  s().Type("+");
  ASSERT_TRUE(s().WaitForRow(17, navigationPrompt)) << s().Dump();
  s().Type("+");
  // The third pass would end on row 26 of 25: the window has moved up by one.
  ASSERT_TRUE(s().WaitForRow(24, navigationPrompt)) << s().Dump();
  EXPECT_TRUE(s().WaitForRow(0, Row("Enter SubNet Mask : 255.255.255.0", 2))) << s().Dump();
  EXPECT_TRUE(s().WaitForRow(18, "IP Network address - 10.0.2.0")) << s().Dump();
  EXPECT_TRUE(s().WaitForCursor(64, 24)) << s().Dump();
  s().Type("\x1b");
  // The key's line end and the one before the prompt scroll twice more.
  WaitForNewTaskPrompt();
  EXPECT_TRUE(s().WaitForCursor(18, 24)) << s().Dump();
  EXPECT_TRUE(s().WaitForRow(22, navigationPrompt)) << s().Dump();
  EndProgram();
}

TEST_P(TaskTest, NarrowTerminalRunsTheTableOnFromTheCorner) {
  Start(40, 10);
  // The placements at column 50 are ignored: the table rows follow one another
  // from the top-left corner, and the prompt starts over them at row 1.
  std::string table;
  for (int i = 1; i <= 8; ++i) table += TableText(i);
  const std::string first = "Enter IP address : " + table.substr(19, 21);
  ASSERT_TRUE(ScreenIs(s(), {first, table.substr(40, 40), table.substr(80)}));
  EnterTask("10.0.0.999", "255.0.255.0");
  EXPECT_TRUE(s().WaitForRow(2, "Error - Address value must be (0..255)")) << s().Dump();
  EXPECT_TRUE(s().WaitForRow(3, "        Wrong SubNet mask")) << s().Dump();
  EXPECT_TRUE(s().WaitForRow(5, newTaskPrompt)) << s().Dump();
  EndProgram();
}

TEST_P(TaskTest, PromptLongerThanANarrowRowWraps) {
  Start(40, 10);
  EnterTask("1.2.3.4", "255.255.0.0");
  // The navigation prompt has 64 characters: it wraps onto a second row.
  EXPECT_TRUE(s().WaitForRow(9, "etwork or (Esc) for EXIT")) << s().Dump();
  EXPECT_TRUE(s().WaitForRow(8, "Enter (+) for next or (-) for previous n")) << s().Dump();
  s().Type("\x1b");
  EndProgram();
}

}  // namespace
}  // namespace e2e
