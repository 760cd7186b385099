// The fixture of the end-to-end suite: netstep started on a pseudo-terminal,
// natively, as the 64-bit Windows program under Wine, or as the 32-bit one
// under 32-bit Wine emulated by qemu-i386, with helpers for the screens of a
// task.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"

namespace e2e {

enum class Target { native, win64, win32 };

std::string TargetName(const testing::TestParamInfo<Target>& info);
void PrintTo(Target target, std::ostream* out);

class NetstepTest : public testing::TestWithParam<Target> {
 protected:
  // A Windows target needs its Windows build: without it the test is
  // skipped, saying so.
  void SetUp() override;

  // Starts netstep. Returns once the first prompt is on the screen.
  Session& Start(LaunchOptions options = {});
  Session& Start(int cols, int rows);

  bool IsWindows() const { return GetParam() != Target::native; }
  Session& s() { return *session_; }

  // Types a line and Enter, and waits until the echo has reached the screen.
  void TypeLine(const std::string& text);
  // The address and the mask of one task; waits for what follows them.
  void EnterTask(const std::string& address, const std::string& mask);
  void WaitForNewTaskPrompt();
  // Until the cursor stands just after `prompt` at the start of its row: the
  // program has finished writing it.
  bool WaitForPrompt(const std::string& prompt);
  // A row's text left of the mask help table, trailing blanks trimmed.
  std::string LeftText(int row);
  // Answers the new-task prompt with "n" and expects the normal end.
  void EndProgram();

  // The launch options for the target: the command, the terminal's size.
  LaunchOptions Options(int cols = 80, int rows = 25);
  // The command of the target's probe with the console layer, failing as `mode` says.
  Command ConsoleProbe(const std::string& mode);

  std::unique_ptr<Session> session_;
};

// A screen row: `left` from column 1 and, when given, a mask help table row
// from column 50.
std::string Row(const std::string& left, int tableRow = 0);

// The mask help table's text for rows 1 to 8.
std::string TableText(int tableRow);

// The four result lines of a network view and its prompt, as rows.
std::vector<std::string> ResultRows(const std::string& network, const std::string& first,
                                    const std::string& last, const std::string& broadcast);

// Compares the whole screen with the expected rows (missing rows are empty),
// waiting up to `timeout` (the session's default) for the program to get there.
testing::AssertionResult ScreenIs(Session& session, const std::vector<std::string>& rows,
                                  std::optional<Millis> timeout = {});

inline constexpr char navigationPrompt[] =
    "Enter (+) for next or (-) for previous network or (Esc) for EXIT";
inline constexpr char newTaskPrompt[] = "New Task Y/N  -  Y";

}  // namespace e2e

// Skips the test on the Windows targets, saying why Wine cannot show it.
#define NETSTEP_NATIVE_ONLY(why) \
  if (IsWindows()) GTEST_SKIP() << "not shown under Wine: " << why

#define NETSTEP_TARGETS(Suite)                                                      \
  INSTANTIATE_TEST_SUITE_P(                                                         \
      Targets, Suite,                                                               \
      testing::Values(e2e::Target::native, e2e::Target::win64, e2e::Target::win32), \
      e2e::TargetName)
