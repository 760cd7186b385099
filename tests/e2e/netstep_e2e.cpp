// The fixture of the end-to-end suite.
#include "tests/e2e/netstep_e2e.h"

#include <algorithm>
#include <sstream>

namespace e2e {

namespace {

constexpr char tableRows[8][15] = {"10000000 - 128", "11000000 - 192", "11100000 - 224",
                                   "11110000 - 240", "11111000 - 248", "11111100 - 252",
                                   "11111110 - 254", "11111111 - 255"};

// What differs between the two Windows programs: the build, its prefix, how
// it is started and how long it may take.
struct WindowsTarget {
  std::string exe;  // "" when the build is not configured
  std::string prefix;
  bool wow64;      // the 32-bit program: 32-bit Wine's loader under qemu-i386
  Millis timeout;  // for the screen conditions: Wine, and emulation, start slower
};

WindowsTarget Windows(Target target) {
  if (target == Target::win64)
    return {NETSTEP_WINDOWS_EXE, NETSTEP_WINE_PREFIX, false, Millis(15000)};
  return {NETSTEP_WINDOWS32_EXE, NETSTEP_WINE32_PREFIX, true, Millis(30000)};
}

// The 32-bit command for `exe`, or the 64-bit one.
Command WindowsCommand(const WindowsTarget& target, const std::string& exe,
                       std::vector<std::string> args = {}) {
  if (target.wow64) return Wine32Command(exe, target.prefix, NETSTEP_WINE32_TRAP_SHIM, args);
  return WineCommand(exe, target.prefix, args);
}

// A prefix is set up once per run (seconds when it is new), then its server
// and services are kept warm.
bool WineReady(const WindowsTarget& target) {
  static const bool ready64 = PrepareWinePrefix(NETSTEP_WINE_PREFIX);
  static const bool ready32 = PrepareWinePrefix(NETSTEP_WINE32_PREFIX, true);
  return target.wow64 ? ready32 : ready64;
}

// Until the cursor stands just after `prompt` at the start of its row.
bool WaitForPrompt(Session& session, const std::string& prompt) {
  return session.WaitFor([&] {
    const Position c = session.Cursor();
    return c.col == int(prompt.size()) && session.TextAt(0, c.row, c.col) == prompt;
  });
}

}  // namespace

std::string TargetName(const testing::TestParamInfo<Target>& info) {
  constexpr const char* names[] = {"Native", "Win64", "Win32"};
  return names[int(info.param)];
}

void PrintTo(Target target, std::ostream* out) {
  constexpr const char* names[] = {"native", "64-bit Windows under Wine",
                                   "32-bit Windows under Wine under qemu-i386"};
  *out << names[int(target)];
}

LaunchOptions NetstepTest::Options(int cols, int rows) {
  LaunchOptions options;
  options.cols = cols;
  options.rows = rows;
  if (IsWindows()) {
    const WindowsTarget target = Windows(GetParam());
    options.command = WindowsCommand(target, target.exe);
    options.defaultTimeout = target.timeout;
  } else {
    options.command = NativeCommand(NETSTEP_BINARY);
  }
  return options;
}

Command NetstepTest::ConsoleProbe(const std::string& mode) {
  if (!IsWindows()) return NativeCommand(NETSTEP_CONSOLE_PROBE, {mode});
  const WindowsTarget target = Windows(GetParam());
  const std::string probe =
      target.exe.substr(0, target.exe.rfind('/') + 1) + "netstep_console_probe.exe";
  return WindowsCommand(target, probe, {mode});
}

Session& NetstepTest::Start(int cols, int rows) {
  return Start(Options(cols, rows));
}

void NetstepTest::SetUp() {
  if (!IsWindows()) return;
  const WindowsTarget target = Windows(GetParam());
  if (target.exe.empty()) {
    GTEST_SKIP() << "the " << testing::PrintToString(GetParam()) << " build is not configured";
  }
  ASSERT_TRUE(WineReady(target)) << "the Wine prefix could not be set up: " << target.prefix;
}

Session& NetstepTest::Start(LaunchOptions options) {
  if (options.command.argv.empty()) {
    const LaunchOptions defaults = Options(options.cols, options.rows);
    options.command = defaults.command;
    options.defaultTimeout = defaults.defaultTimeout;
  }
  session_ = std::make_unique<Session>(options);
  if (options.controllingTerminal && options.stdIn.kind == Stream::Kind::terminal) {
    EXPECT_TRUE(WaitForPrompt("Enter IP address : ")) << session_->Dump();
    // Keys go to the program only once the terminal is raw. netstep sets it
    // before it draws; Wine's console only when the program first reads, just
    // after the prompt shows: keys typed between are the line discipline's.
    EXPECT_TRUE(session_->WaitForRawMode()) << session_->Dump();
  }
  return *session_;
}

void NetstepTest::TypeLine(const std::string& text) {
  // The echo first: the cursor after the typed text, wrapped at the right edge
  // and held on the bottom row by scrolling.
  const Position before = s().Cursor();
  const int cells = before.col + int(text.size());
  const Position echoed = {cells % s().Cols(),
                           std::min(before.row + cells / s().Cols(), s().Rows() - 1)};
  s().Type(text);
  ASSERT_TRUE(s().WaitForCursor(echoed.col, echoed.row)) << s().Dump();
  // Then Enter, after which the cursor is elsewhere: the next row, or past
  // whatever the program writes next.
  s().Type("\r");
  ASSERT_TRUE(s().WaitFor([&] { return s().Cursor() != echoed; })) << s().Dump();
}

void NetstepTest::EnterTask(const std::string& address, const std::string& mask) {
  ASSERT_TRUE(WaitForPrompt("Enter IP address : ")) << s().Dump();
  TypeLine(address);
  ASSERT_TRUE(WaitForPrompt("Enter SubNet Mask : ")) << s().Dump();
  TypeLine(mask);
  // The navigation prompt may wrap on a narrow terminal: its start is enough.
  ASSERT_TRUE(s().WaitFor([&] {
    return s().ContainsText("Enter (+) for next") || s().ContainsText(newTaskPrompt);
  })) << s().Dump();
}

bool NetstepTest::WaitForPrompt(const std::string& prompt) {
  return e2e::WaitForPrompt(s(), prompt);
}

void NetstepTest::WaitForNewTaskPrompt() {
  ASSERT_TRUE(s().WaitFor([&] {
    const Position c = s().Cursor();
    return s().TextAt(0, c.row, 18) == newTaskPrompt && c.col == 18;
  })) << s().Dump();
}

std::string NetstepTest::LeftText(int row) {
  std::string text = s().TextAt(0, row, std::min(49, s().Cols()));
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

void NetstepTest::EndProgram() {
  WaitForNewTaskPrompt();
  s().Type("n");
  EXPECT_EQ(s().WaitForExit(), ExitStatus::Code(0)) << s().Dump();
}

std::string TableText(int tableRow) {
  return tableRows[tableRow - 1];
}

std::string Row(const std::string& left, int tableRow) {
  if (tableRow == 0) return left;
  std::string row = left;
  if (row.size() < 49) row.resize(49, ' ');
  return row.substr(0, 49) + TableText(tableRow);
}

std::vector<std::string> ResultRows(const std::string& network, const std::string& first,
                                    const std::string& last, const std::string& broadcast) {
  return {"IP Network address - " + network, "First Host IP address - " + first,
          "Last Host IP address - " + last, "Broadcast address  - " + broadcast};
}

testing::AssertionResult ScreenIs(Session& session, const std::vector<std::string>& rows,
                                  std::optional<Millis> timeout) {
  std::vector<std::string> want = rows;
  want.resize(size_t(session.Rows()));
  for (std::string& row : want) row.erase(row.find_last_not_of(' ') + 1);
  // The program may still be drawing: give it the time to get there.
  if (session.WaitFor([&] { return session.Lines() == want; }, timeout)) {
    return testing::AssertionSuccess();
  }
  std::ostringstream out;
  const std::vector<std::string> got = session.Lines();
  for (size_t i = 0; i < want.size(); ++i) {
    if (got[i] != want[i])
      out << "row " << i << ": got \"" << got[i] << "\" want \"" << want[i] << "\"\n";
  }
  return testing::AssertionFailure() << out.str() << session.Dump();
}

}  // namespace e2e
