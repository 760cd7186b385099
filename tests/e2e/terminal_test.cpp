// The terminal as netstep leaves it on every way out, and netstep without a
// terminal of its own: redirected output, no terminal at all, no way to say so.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "tests/e2e/netstep_e2e.h"

namespace e2e {
namespace {

class TerminalTest : public NetstepTest {
 protected:
  testing::AssertionResult Restored() {
    const std::string before = SttyText(s().ModesAtLaunch());
    const std::string after = SttyText(s().TerminalModes());
    if (before == after) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "stty -g before " << before << "\n after " << after;
  }
  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::string TempPath(const char* name) {
    return testing::TempDir() + "netstep_" + std::to_string(getpid()) + "_" + name;
  }
};
NETSTEP_TARGETS(TerminalTest);

TEST_P(TerminalTest, RestoredAfterANormalEnd) {
  Start();
  EnterTask("1.2.3.4", "255.0.0.0");
  s().Type("\x1b");
  EndProgram();
  EXPECT_TRUE(Restored());
  EXPECT_EQ(s().Kitty().stack.size(), 0u);
  EXPECT_FALSE(s().Keyboard().keypadApp);
}

TEST_P(TerminalTest, RestoredWhenEndedBySignals) {
  for (int signal : {SIGTERM, SIGHUP, SIGQUIT, SIGINT}) {
    SCOPED_TRACE(strsignal(signal));
    Start();
    EnterTask("1.2.3.4", "255.0.0.0");
    s().Signal(signal);
    const std::optional<ExitStatus> status = s().WaitForExit();
    ASSERT_TRUE(status.has_value()) << s().Dump();
    // Natively the signal's default action ends netstep; Wine ends the program
    // its own way (some signals as console control events, with exit code 0).
    if (!IsWindows()) {
      EXPECT_EQ(*status, ExitStatus::Signal(signal));
    }
    EXPECT_TRUE(Restored());
    EXPECT_FALSE(s().Keyboard().keypadApp);
  }
}

TEST_P(TerminalTest, RestoredAfterACrashTheFaultFilterDoesNotTake) {
  NETSTEP_NATIVE_ONLY("Wine does not end a program on a fault signal sent from outside");
  Start();
  s().Signal(SIGSEGV);  // sent by another process: no fault of netstep's
  EXPECT_EQ(s().WaitForExit(), ExitStatus::Signal(SIGSEGV));
  EXPECT_TRUE(Restored());
}

TEST_P(TerminalTest, RestoredAfterAFatalFailureWithItsReport) {
  LaunchOptions options = Options();
  options.command = ConsoleProbe("divide");
  options.stdErr = Stream::Null();  // the probe's module marks, and any sanitizer's notes
  session_ = std::make_unique<Session>(options);
  EXPECT_EQ(s().WaitForExit(), ExitStatus::Code(200)) << s().Dump();
  // The probe drew a statement and failed before any key wait: what it drew
  // is on the screen first, and the report follows at the cursor it left.
  EXPECT_EQ(s().RowText(0).rfind("probe runningRuntime error 200 at 0x", 0), 0u) << s().Dump();
  EXPECT_TRUE(Restored());
  EXPECT_FALSE(s().Keyboard().keypadApp);
}

TEST_P(TerminalTest, SizeTheScreenBufferRefusesLeavesTheTerminalAsFound) {
  NETSTEP_NATIVE_ONLY("the screen buffer takes its size from the POSIX terminal");
  const std::string err = TempPath("err");
  LaunchOptions options = Options(40000, 25);  // beyond the buffer's 16-bit columns
  options.kitty = true;
  options.stdErr = Stream::File(err);
  session_ = std::make_unique<Session>(options);
  EXPECT_EQ(s().WaitForExit(), ExitStatus::Code(1));
  EXPECT_EQ(ReadFile(err), "No way to get console screen buffer info\r\n");
  EXPECT_TRUE(Restored());
  EXPECT_FALSE(s().Keyboard().keypadApp);
  EXPECT_EQ(s().Kitty().pushes, s().Kitty().pops);
  std::remove(err.c_str());
}

TEST_P(TerminalTest, SuspendWithoutJobControlIsIgnored) {
  // The harness is no job-control shell: nobody could continue a stopped
  // netstep, so it goes on with the terminal as it has it.
  Start();
  s().Type("10.0.");
  ASSERT_TRUE(s().WaitForCursor(24, 0)) << s().Dump();
  s().Signal(SIGTSTP);
  s().Type("0.1\r");
  ASSERT_TRUE(s().WaitForText("Enter SubNet Mask : ")) << s().Dump();
  EXPECT_TRUE(s().WaitForRow(0, Row("Enter IP address : 10.0.0.1", 1))) << s().Dump();
  EXPECT_TRUE(s().Running());
}

// The process whose parent is `parent`, or 0.
pid_t ChildOf(pid_t parent) {
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::ifstream stat(entry.path() / "stat");
    pid_t pid = 0, ppid = 0;
    std::string name;
    char state;
    if (stat >> pid >> name >> state >> ppid && ppid == parent) return pid;
  }
  return 0;
}

TEST_P(TerminalTest, SuspendedAndContinuedFromAShell) {
  NETSTEP_NATIVE_ONLY(
      "a suspension from a job-control shell is the POSIX terminal's: Wine's console keeps "
      "the terminal to itself");
  LaunchOptions options = Options();
  options.command = NativeCommand("/bin/bash", {"--norc", "--noprofile", "-i"});
  options.command.setEnv = {{"PS1", "$ "}};
  session_ = std::make_unique<Session>(options);
  ASSERT_TRUE(s().WaitForText("$")) << s().Dump();
  s().Type(std::string(NETSTEP_BINARY) + "\r");
  ASSERT_TRUE(s().WaitForTextAt(0, 0, "Enter IP address : ")) << s().Dump();
  s().Type("10.0.");
  ASSERT_TRUE(s().WaitForCursor(24, 0)) << s().Dump();
  const pid_t netstep = ChildOf(s().Pid());
  ASSERT_NE(netstep, 0);
  const std::vector<std::string> before = s().Lines();

  kill(netstep, SIGTSTP);
  ASSERT_TRUE(s().WaitForText("Stopped")) << s().Dump();
  EXPECT_FALSE(s().Keyboard().keypadApp) << "not restored while stopped";
  s().Type("fg\r");
  // Back in the foreground: everything netstep had drawn is there again.
  ASSERT_TRUE(s().WaitFor([&] { return s().Lines() == before; })) << s().Dump();
  ASSERT_TRUE(s().WaitForCursor(24, 0)) << s().Dump();
  s().Type("0.1\r");
  ASSERT_TRUE(s().WaitForText("Enter SubNet Mask : ")) << s().Dump();
  s().Type("255.0.0.0\r");
  ASSERT_TRUE(s().WaitForText("IP Network address - 10.0.0.0")) << s().Dump();
  s().Type("\x1b");
  WaitForNewTaskPrompt();
  s().Type("n");
  ASSERT_TRUE(s().WaitForText("$ ")) << s().Dump();
  s().Type("exit\r");
  EXPECT_TRUE(s().WaitForExit());
}

TEST_P(TerminalTest, RedirectedOutputStillShowsOnTheTerminal) {
  const std::string path = TempPath("stdout");
  LaunchOptions options = Options();
  options.stdOut = Stream::File(path);
  Start(options);
  EnterTask("1.2.3.4", "255.0.0.0");
  EXPECT_TRUE(s().WaitForText("IP Network address - 1.0.0.0")) << s().Dump();
  s().Type("\x1b");
  EndProgram();
  EXPECT_EQ(ReadFile(path), "");
  std::remove(path.c_str());
}

TEST_P(TerminalTest, NoTerminalAtAll) {
  const std::string out = TempPath("out"), err = TempPath("err");
  LaunchOptions options = Options();
  options.controllingTerminal = false;
  options.stdOut = Stream::File(out);
  options.stdErr = Stream::File(err);
  Start(options);
  EXPECT_EQ(s().WaitForExit(), ExitStatus::Code(1));
  EXPECT_EQ(ReadFile(err), "No way to get the console handle\r\n");
  EXPECT_EQ(ReadFile(out), "");
  std::remove(out.c_str());
  std::remove(err.c_str());
}

TEST_P(TerminalTest, NoTerminalAndNoStandardError) {
  const std::string out = TempPath("out");
  LaunchOptions options = Options();
  options.command =
      NativeCommand("/bin/sh", {"-c", std::string("exec ") + NETSTEP_BINARY + " 2>&-"});
  options.controllingTerminal = false;
  options.stdOut = Stream::File(out);
  Start(options);
  EXPECT_EQ(s().WaitForExit(), ExitStatus::Code(101));
  const std::string report = ReadFile(out);
  EXPECT_EQ(report.rfind("Runtime error 101 at 0x", 0), 0u) << report;
  EXPECT_EQ(report.substr(report.size() - 4), "\r\n\r\n");
  std::remove(out.c_str());
}

TEST_P(TerminalTest, NarrowerTerminalAfterStartClipsAndFollowsTheCursor) {
  NETSTEP_NATIVE_ONLY("Wine's console takes the new size as its own");
  Start();
  s().Resize(60, 25);
  s().Type("1.2.3.4\r");
  ASSERT_TRUE(s().WaitForText("SubNet Mask : ")) << s().Dump();
  s().Type("255.0.0.0\r");
  // The window keeps its start-up width: the prompt stays on one row of 80, of
  // which the terminal shows the part around the cursor.
  ASSERT_TRUE(s().WaitFor([&] { return s().RowText(9).ends_with("(Esc) for EXIT"); }))
      << s().Dump();
  EXPECT_TRUE(s().WaitForCursor(59, 9)) << s().Dump();
  // Back at full width, everything is there again.
  s().Resize(80, 25);
  ASSERT_TRUE(s().WaitForRow(9, navigationPrompt)) << s().Dump();
  EXPECT_TRUE(s().WaitFor([&] { return LeftText(3) == "IP Network address - 1.0.0.0"; }))
      << s().Dump();
  s().Type("\x1b");
  EndProgram();
}

}  // namespace
}  // namespace e2e
