// Keys as a terminal sends them: extended keys and their second byte, Alt with
// a key, Esc on its own, the numeric keypad, the kitty keyboard protocol's
// Alt code entry, keys from redirected standard input, and keys that come far
// faster than they are read.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "tests/e2e/netstep_e2e.h"

namespace e2e {
namespace {

std::string Dotted(uint32_t value) {
  return std::to_string(value >> 24) + "." + std::to_string((value >> 16) & 0xFF) + "." +
         std::to_string((value >> 8) & 0xFF) + "." + std::to_string(value & 0xFF);
}

// A full 80x25 screen of the view on /24 networks once it has scrolled: the
// prompt of an earlier pass, then the passes of the last three networks the
// steps of `step` went through, ending at `network`; the cursor after the last
// prompt.
std::vector<std::string> ViewEndingAt(uint32_t network, int32_t step) {
  std::vector<std::string> rows = {navigationPrompt};
  for (int pass = 2; pass >= 0; --pass) {
    const uint32_t n = network - uint32_t(pass * step);
    rows.push_back("");
    for (const std::string& row :
         ResultRows(Dotted(n), Dotted(n + 1), Dotted(n + 254), Dotted(n + 255)))
      rows.push_back(row);
    rows.insert(rows.end(), {"", "", navigationPrompt});
  }
  return rows;
}

class KeyboardTest : public NetstepTest {
 protected:
  // The network shown by pass `pass` (from 1) of the view.
  std::string PassNetwork(int pass) { return LeftText(3 + 8 * (pass - 1)); }
  void WaitForPass(int pass) {
    ASSERT_TRUE(s().WaitForRow(9 + 8 * (pass - 1), navigationPrompt)) << s().Dump();
  }
};
NETSTEP_TARGETS(KeyboardTest);

TEST_P(KeyboardTest, AltXShowsTheNetworkAgainThenStepsBack) {
  Start(80, 50);  // five passes of eight rows without scrolling
  EnterTask("192.168.1.10", "255.255.255.0");
  s().Tap(U'x', modAlt);  // extended code 45, the code of "-"
  WaitForPass(3);
  EXPECT_EQ(PassNetwork(2), "IP Network address - 192.168.1.0");
  EXPECT_EQ(PassNetwork(3), "IP Network address - 192.168.0.0");
  s().Tap(Key::right);  // 0, 77: twice the same
  WaitForPass(5);
  EXPECT_EQ(PassNetwork(5), "IP Network address - 192.168.0.0");
  s().Type("\x1b");
  EndProgram();
}

TEST_P(KeyboardTest, NumericPadPlusAndMinusStep) {
  Start(80, 40);
  EnterTask("192.168.1.10", "255.255.255.0");
  s().Tap(Key::kpAdd);
  WaitForPass(2);
  EXPECT_EQ(PassNetwork(2), "IP Network address - 192.168.2.0");
  s().Tap(Key::kpSubtract);
  WaitForPass(3);
  EXPECT_EQ(PassNetwork(3), "IP Network address - 192.168.1.0");
  s().Type("\x1b");
  EndProgram();
}

TEST_P(KeyboardTest, EscAloneLeavesTheView) {
  Start();
  EnterTask("1.2.3.4", "255.255.255.0");
  s().Tap(Key::escape);  // nothing follows it
  WaitForNewTaskPrompt();
  EndProgram();
}

TEST_P(KeyboardTest, UpAtTheNewTaskPromptTypesH) {
  Start();
  EnterTask("1.2.3.4", "255.255.255.0");
  s().Type("\x1b");
  WaitForNewTaskPrompt();
  s().Tap(Key::up);  // 0 starts a new task; 72 is the first key of the address line
  ASSERT_TRUE(s().WaitForRow(0, Row("Enter IP address : H", 1))) << s().Dump();
  ASSERT_TRUE(s().WaitForCursor(20, 0)) << s().Dump();
  s().Type("\x1b");
  ASSERT_TRUE(s().WaitForCursor(19, 0)) << s().Dump();
  s().Type("1.2.3.4\r");
  ASSERT_TRUE(WaitForPrompt("Enter SubNet Mask : ")) << s().Dump();
  TypeLine("255.0.0.0");
  ASSERT_TRUE(s().WaitForText("IP Network address - 1.0.0.0")) << s().Dump();
  s().Type("\x1b");
  EndProgram();
}

TEST_P(KeyboardTest, AltF7AtTheNewTaskPromptTypesN) {
  Start();
  EnterTask("1.2.3.4", "255.255.255.0");
  s().Type("\x1b");
  WaitForNewTaskPrompt();
  s().Tap(Key::f7, modAlt);  // 0, then 110: not an answer, the first key of the next line
  ASSERT_TRUE(s().WaitForRow(0, Row("Enter IP address : n", 1))) << s().Dump();
  s().Type("\r\r");
  ASSERT_TRUE(s().WaitForText("Enter (+) for next")) << s().Dump();
  s().Type("\x1b");
  EndProgram();
}

TEST_P(KeyboardTest, AltCodeOnTheNumericPadWithTheKittyProtocol) {
  NETSTEP_NATIVE_ONLY("Wine's console does not speak the kitty keyboard protocol");
  LaunchOptions options = Options();
  options.kitty = true;
  Start(options);
  ASSERT_GT(s().Kitty().pushes, 0) << "the protocol was not taken up";
  s().Press(Key::leftAlt);
  s().Tap(Key::kp6);
  s().Tap(Key::kp5);
  s().Release(Key::leftAlt);
  ASSERT_TRUE(s().WaitForRow(0, Row("Enter IP address : A", 1))) << s().Dump();
  s().Type(
      "\x7f"
      "10.0.0.1\r");
  ASSERT_TRUE(WaitForPrompt("Enter SubNet Mask : ")) << s().Dump();
  TypeLine("255.255.255.0");
  ASSERT_TRUE(s().WaitForText("IP Network address - 10.0.0.0")) << s().Dump();
  s().Tap(Key::kpAdd);
  ASSERT_TRUE(s().WaitForText("IP Network address - 10.0.1.0")) << s().Dump();
  s().Type("\x1b");
  EndProgram();
  EXPECT_EQ(s().Kitty().stack.size(), 0u) << "the flags were not popped";
}

TEST_P(KeyboardTest, WholeTaskTypedAheadOfTheStart) {
  NETSTEP_NATIVE_ONLY(
      "Wine's console takes the terminal out of its line discipline only once the program "
      "reads: keys typed before are echoed by the terminal and their Enter arrives as "
      "Ctrl+Enter");
  // Typed before netstep takes the terminal: the line discipline has turned
  // each Enter into a line feed by then.
  session_ = std::make_unique<Session>(Options());
  s().Type("192.168.1.10\r255.255.255.0\r+");
  ASSERT_TRUE(s().WaitForText("IP Network address - 192.168.2.0")) << s().Dump();
  EXPECT_TRUE(s().WaitForRow(0, Row("Enter IP address : 192.168.1.10", 1))) << s().Dump();
  s().Type("\x1b");
  EndProgram();
}

TEST_P(KeyboardTest, RedirectedInputEndsWithTheNormalExit) {
  LaunchOptions options = Options();
  options.stdIn = Stream::Pipe();
  Start(options);
  s().WriteStdin("10.1.2.3\n255.255.0.0\n\x1bn");
  s().CloseStdin();
  EXPECT_EQ(s().WaitForExit(), ExitStatus::Code(0)) << s().Dump();
  EXPECT_TRUE(s().WaitForRow(3, Row("IP Network address - 10.1.0.0", 4))) << s().Dump();
  EXPECT_TRUE(s().WaitForRow(11, newTaskPrompt)) << s().Dump();
}

TEST_P(KeyboardTest, RedirectedInputThatEndsMidTaskStillEndsNormally) {
  LaunchOptions options = Options();
  options.stdIn = Stream::Pipe();
  Start(options);
  s().WriteStdin("10.1.2.3\r\n255.255");
  s().CloseStdin();
  EXPECT_EQ(s().WaitForExit(), ExitStatus::Code(0)) << s().Dump();
  EXPECT_EQ(s().RowText(1).substr(0, 27), "Enter SubNet Mask : 255.255");
}

// A paste reaches the program far faster than it reads: the keys that do not
// fit its queue wait in the terminal's buffer, and none is lost.
TEST_P(KeyboardTest, PasteOfTenThousandKeys) {
  const int keys = IsWindows() ? 30 : 10000;
  const int up = keys * 3 / 5, down = keys - up;
  Start();
  EnterTask("10.0.0.1", "255.255.255.0");
  s().SendBytes(std::string(size_t(up), '+') + std::string(size_t(down), '-'));
  // Ten thousand views take the sanitizer build seconds, more on a busy
  // machine: the budget of the megabyte below rather than the usual 5 s.
  EXPECT_TRUE(
      ScreenIs(s(), ViewEndingAt(0x0A000000 + uint32_t(up - down) * 256, -256), Millis(60000)));
  s().Type("\x1b");
  EndProgram();
}

// A megabyte of keys from a file: the address typed among half a million
// pairs of a digit and Backspace (a lost digit would take away the address's
// own, a lost Backspace leave one in), then steps in the view.
TEST_P(KeyboardTest, KeyFileOfAMegabyte) {
  const size_t pairs = IsWindows() ? 2000 : size_t(1) << 19;
  const int steps = IsWindows() ? 30 : 600;
  std::string keys = "10.0.0.";
  for (size_t i = 0; i < pairs; ++i) keys += "5\b";
  keys += "1\n255.255.255.0\n" + std::string(size_t(steps), '+') + "\x1bn";
  const std::string path = testing::TempDir() + "netstep_keys_" + std::to_string(getpid());
  std::ofstream(path, std::ios::binary) << keys;
  LaunchOptions options = Options();
  options.stdIn = Stream::File(path);
  Start(options);
  EXPECT_EQ(s().WaitForExit(Millis(60000)), ExitStatus::Code(0)) << s().Dump();
  // The last networks stepped to, then the new-task prompt answered by "n"
  // (on a terminal, the shell's prompt will start on a row of its own).
  std::vector<std::string> screen = ViewEndingAt(0x0A000000 + uint32_t(steps) * 256, 256);
  screen.insert(screen.end(), {"", newTaskPrompt});
  if (!IsWindows()) screen.push_back("");
  screen.erase(screen.begin(), screen.end() - 25);
  EXPECT_TRUE(ScreenIs(s(), screen));
  std::remove(path.c_str());
}

// With standard input closed the terminal is still read as the terminal: an
// arrow key is one key, not Esc and two characters.
TEST_P(KeyboardTest, StandardInputClosed) {
  NETSTEP_NATIVE_ONLY("a closed descriptor is the POSIX program's case");
  LaunchOptions options = Options(80, 40);
  options.command =
      NativeCommand("/bin/sh", {"-c", std::string("exec ") + NETSTEP_BINARY + " <&-"});
  Start(options);
  EnterTask("1.2.3.4", "255.0.0.0");
  s().Tap(Key::up);  // 0, then 72: the view twice more
  WaitForPass(3);
  EXPECT_EQ(PassNetwork(3), "IP Network address - 1.0.0.0");
  s().Type("\x1b");
  EndProgram();
}

}  // namespace
}  // namespace e2e
