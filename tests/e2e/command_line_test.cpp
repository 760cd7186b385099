// netstep with arguments, as scripts use it: every case of tests/cli_cases,
// the one-shot answers against the interactive screens for one table of
// inputs, the reasons a list cannot be read, and the answer without any
// terminal, into pipes and files, including ones that cannot take it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/netstep_e2e.h"
#include "tests/shared/cli_cases.h"
#include "tests/shared/network_cases.h"

namespace e2e {
namespace {

struct Outcome {
  std::optional<ExitStatus> status;
  std::string out;  // standard output
  std::string err;  // standard error
};

class CommandLineTest : public NetstepTest {
 protected:
  // netstep with `arguments` and no terminal at all: standard output on a
  // pipe unless `options` sends it elsewhere, standard error in a file.
  Outcome RunOnce(const std::vector<std::string>& arguments, LaunchOptions options = {}) {
    Outcome outcome = RunOnceOnly(arguments, options);
    if (WineFaltered(outcome.status, outcome.out, outcome.err)) {
      outcome = RunOnceOnly(arguments, options);
    }
    return outcome;
  }

  // Under Wine, a start of these short-lived programs now and then ends in
  // Wine's own client failing as the process exits (twice in three full runs
  // of the suite on a 2-core machine, never in 450 starts in a row alone):
  // "wine client error" on the program's standard error, or exit code 1 with
  // no output at all, which no path of netstep gives (its 1 always comes with
  // a reason). Such a start is said in the log and made once more; a second
  // such end fails the test.
  bool WineFaltered(const std::optional<ExitStatus>& status, const std::string& out,
                    const std::string& err) const {
    if (!IsWindows()) return false;
    const std::string clientError = "wine client error";
    const bool faltered = out.find(clientError) != std::string::npos ||
                          err.find(clientError) != std::string::npos ||
                          (status == ExitStatus::Code(1) && out.empty() && err.empty());
    if (faltered) std::printf("Wine failed around the program; starting once more\n");
    return faltered;
  }

  Outcome RunOnceOnly(const std::vector<std::string>& arguments, LaunchOptions options) {
    const LaunchOptions target = Options();
    options.command = target.command;
    options.defaultTimeout = target.defaultTimeout;
    options.command.argv.insert(options.command.argv.end(), arguments.begin(), arguments.end());
    if (options.stdOut.kind == Stream::Kind::terminal) options.stdOut = Stream::Pipe();
    options.controllingTerminal = false;
    const std::string errPath =
        testing::TempDir() + "netstep_" + std::to_string(getpid()) + "_command_line_err";
    options.stdErr = Stream::File(errPath);
    Outcome outcome;
    {
      Session session(options);
      outcome.status = session.WaitForExit();
      if (options.stdOut.kind == Stream::Kind::pipe) outcome.out = session.RedirectedOutput();
    }
    outcome.err = ReadFile(errPath);
    std::remove(errPath.c_str());
    return outcome;
  }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // The platform's line end: what one-shot lines end with.
  std::string LineEnd() const { return IsWindows() ? "\r\n" : "\n"; }

  std::string Lines(const std::vector<std::string>& lines) const {
    std::string text;
    for (const std::string& line : lines) text += line + LineEnd();
    return text;
  }

  std::string Block(const std::string& network, const std::string& first, const std::string& last,
                    const std::string& broadcast) const {
    return Lines(ResultRows(network, first, last, broadcast));
  }
};
NETSTEP_TARGETS(CommandLineTest);

// The cases kept as data, exactly, on each program. A case's input goes to
// standard input, or to a file named in the arguments as $IN.
TEST_P(CommandLineTest, EveryCaseOfTheCaseFiles) {
  const std::string inputPath =
      testing::TempDir() + "netstep_" + std::to_string(getpid()) + "_case_input";
  const std::string inputName = IsWindows() ? "Z:" + inputPath : inputPath;  // Wine's drive for /
  for (const cases::CliCase& c : cases::ReadCliCases(NETSTEP_SOURCE_DIR "/tests/cli_cases")) {
    SCOPED_TRACE(c.where);
    std::ofstream(inputPath, std::ios::binary) << c.input;
    LaunchOptions options;
    if (!c.inputAsFile) options.stdIn = Stream::File(inputPath);
    std::vector<std::string> arguments;
    for (const std::string& argument : c.arguments)
      arguments.push_back(cases::WithInputName(argument, inputName));
    const Outcome outcome = RunOnce(arguments, options);
    EXPECT_EQ(outcome.status, ExitStatus::Code(c.code));
    EXPECT_EQ(outcome.out, c.outAsInput ? cases::Ended(c.out, "\n") : Lines(c.out));
    std::vector<std::string> err;
    for (const std::string& line : c.err) err.push_back(cases::WithInputName(line, inputName));
    EXPECT_EQ(outcome.err, Lines(err));
  }
  std::remove(inputPath.c_str());
}

// What only the platform decides: the version's first line, the help and its
// native spelling.
TEST_P(CommandLineTest, VersionAndHelp) {
  EXPECT_EQ(RunOnce({"--version"}).out.rfind(Lines({"netstep " NETSTEP_VERSION}), 0), 0u);
  EXPECT_EQ(RunOnce({"-h"}).out.rfind(Lines({"Usage: netstep"}), 0), 0u);
  // "/?" asks for help where the platform spells it so; elsewhere it is an
  // address with a bad prefix.
  const Outcome native = RunOnce({"/?"});
  EXPECT_EQ(native.status, ExitStatus::Code(IsWindows() ? 0 : 2));
  EXPECT_EQ(native.out.rfind(IsWindows() ? Lines({"Usage: netstep"}) : "", 0), 0u);
}

// The reasons a list cannot be read are true on each platform.
TEST_P(CommandLineTest, ReasonsAListCannotBeRead) {
  const std::string folder = testing::TempDir();
  const std::string drive = IsWindows() ? "Z:" : "";
  const struct {
    std::string path;
    std::string reason;
  } cases[] = {
      {drive + folder + "netstep-missing-" + std::string(220, 'm'), "no such file"},
      {drive + folder, "is a directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const Outcome outcome = RunOnce({"-f", c.path});
    EXPECT_EQ(outcome.status, ExitStatus::Code(1));
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, Lines({"netstep: cannot read '" + c.path + "': " + c.reason}));
  }
  if (IsWindows()) return;  // Wine gives its program a standard input of its own
  LaunchOptions closed;
  closed.stdIn = Stream::Closed();
  const Outcome outcome = RunOnce({"-A"}, closed);
  EXPECT_EQ(outcome.status, ExitStatus::Code(1));
  EXPECT_EQ(outcome.err, Lines({"netstep: cannot read '-': standard input is closed"}));
}

// One table through both paths: typed at the prompts, the view's four rows;
// given as arguments (ADDRESS MASK, and ADDRESS/PREFIX where the mask is a
// prefix), the four lines. Both must be the table's.
TEST_P(CommandLineTest, OneShotAgreesWithTheInteractiveScreens) {
  Start();
  bool first = true;
  for (const cases::NetworkCase& c : cases::networkCases) {
    SCOPED_TRACE(testing::Message() << '"' << c.address << "\" \"" << c.mask << '"');
    const std::vector<std::string> rows =
        ResultRows(c.network, c.firstHost, c.lastHost, c.broadcast);
    if (!first) s().Type("y");  // a new task
    first = false;
    EnterTask(c.address, c.mask);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(LeftText(3 + i), rows[size_t(i)]) << s().Dump();
    s().Type("\x1b");
    WaitForNewTaskPrompt();

    const Outcome answer = RunOnce({c.address, c.mask});
    if (!c.ordinary) {  // what only the prompts' lenient rule takes
      EXPECT_EQ(answer.status, ExitStatus::Code(1));
      continue;
    }
    EXPECT_EQ(answer.status, ExitStatus::Code(0)) << answer.err;
    EXPECT_EQ(answer.out, Lines(rows));
    if (c.prefix >= 0) {
      const Outcome prefixed = RunOnce({std::string(c.address) + "/" + std::to_string(c.prefix)});
      EXPECT_EQ(prefixed.status, ExitStatus::Code(0)) << prefixed.err;
      EXPECT_EQ(prefixed.out, Lines(rows));
    }
  }
  EndProgram();
}

TEST_P(CommandLineTest, AnswersIntoAFileWithoutATerminal) {
  const std::string path =
      testing::TempDir() + "netstep_" + std::to_string(getpid()) + "_command_line_out";
  LaunchOptions options;
  options.stdOut = Stream::File(path);
  const Outcome outcome = RunOnce({"10.0.0.7", "255.255.255.254"}, options);
  EXPECT_EQ(outcome.status, ExitStatus::Code(0));
  EXPECT_EQ(ReadFile(path), Block("10.0.0.6", "10.0.0.6", "10.0.0.7", "10.0.0.7"));
  std::remove(path.c_str());
}

// Started from a terminal with its output on a pipe, netstep neither writes
// to the terminal nor changes its settings.
TEST_P(CommandLineTest, LeavesTheTerminalAlone) {
  LaunchOptions options = Options();
  options.command.argv.insert(options.command.argv.end(), {"-n", "2", "10.1.2.3/8"});
  options.stdOut = Stream::Pipe();
  std::optional<ExitStatus> status;
  for (int start = 0; start < 2; ++start) {
    session_ = std::make_unique<Session>(options);
    status = s().WaitForExit();
    if (!WineFaltered(status, s().RedirectedOutput(), s().Output())) break;
  }
  EXPECT_EQ(status, ExitStatus::Code(0));
  EXPECT_EQ(s().RedirectedOutput(),
            Block("10.0.0.0", "10.0.0.1", "10.255.255.254", "10.255.255.255") + LineEnd() +
                Block("11.0.0.0", "11.0.0.1", "11.255.255.254", "11.255.255.255"));
  EXPECT_EQ(s().Output(), "");
  EXPECT_EQ(SttyText(s().TerminalModes()), SttyText(s().ModesAtLaunch()));
}

// A reader that has gone away is no failure: netstep ends at once, quietly,
// as seq does. A full disk is one, with the runtime's report.
TEST_P(CommandLineTest, OutputThatCannotBeWritten) {
  int ends[2];
  ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
  close(ends[0]);  // nobody reads: writing fails
  LaunchOptions toClosedPipe;
  toClosedPipe.stdOut = Stream::Fd(ends[1]);
  const Outcome gone = RunOnce({"-s", "32", "0.0.0.0/0"}, toClosedPipe);
  EXPECT_EQ(gone.status, ExitStatus::Code(0));
  EXPECT_EQ(gone.err, "");
  close(ends[1]);

  LaunchOptions toFullDisk;
  toFullDisk.stdOut = Stream::File("/dev/full");
  const Outcome full = RunOnce({"-n", "3", "192.168.1.10/24"}, toFullDisk);
  EXPECT_EQ(full.status, ExitStatus::Code(101));
  EXPECT_EQ(full.err.rfind("Runtime error 101 at 0x", 0), 0u) << full.err;
}

}  // namespace
}  // namespace e2e
