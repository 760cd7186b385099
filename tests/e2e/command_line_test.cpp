// netstep with arguments, as scripts use it: the arguments and the usage
// errors, the one-shot answers against the interactive screens for one table
// of inputs, and the answer without any terminal, into pipes and files,
// including ones that cannot take it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/netstep_e2e.h"
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

std::string Shown(const std::vector<std::string>& arguments) {
  std::string line = "netstep";
  for (const std::string& argument : arguments) line += " '" + argument + "'";
  return line;
}

TEST_P(CommandLineTest, ArgumentsAndUsageErrors) {
  const std::string usage = "Try 'netstep --help'";
  const struct {
    std::vector<std::string> arguments;
    int code;
    std::string outStart;  // standard output begins with this ("" : is empty)
    std::vector<std::string> err;
  } cases[] = {
      {{"--version"}, 0, Lines({"netstep " NETSTEP_VERSION}), {}},
      {{"-V"}, 0, Lines({"netstep " NETSTEP_VERSION}), {}},
      {{"--help"}, 0, Lines({"Usage: netstep"}), {}},
      {{"-h"}, 0, Lines({"Usage: netstep"}), {}},
      {{"--bogus"}, 2, "", {"netstep: unknown option '--bogus'", usage}},
      {{"1.2.3.4"}, 2, "", {"netstep: a mask is needed after the address '1.2.3.4'", usage}},
      {{"1.2.3.4/33"},
       2,
       "",
       {"netstep: the prefix must be a whole number from 0 to 32, not '33'", usage}},
      {{"-n", "0", "1.2.3.4/8"},
       2,
       "",
       {"netstep: the count of networks must be a whole number from 1 up, not '0'", usage}},
      {{"1.2.3.4", "255.0.0.0", "x"}, 2, "", {"netstep: unexpected argument 'x'", usage}},
      {{"10.0.0.300", "255.255.255.0"}, 1, "", {"Error - Address value must be (0..255)"}},
      {{"10.0.0.1", "255.0.255.0"}, 1, "", {"Error - Wrong SubNet mask "}},
      {{"10.0.0.999", "255.0.255.0"},
       1,
       "",
       {"Error - Address value must be (0..255)", "        Wrong SubNet mask "}},
      // "/?" asks for help where the platform spells it so; elsewhere it is
      // an address with a bad prefix.
      {{"/?"},
       IsWindows() ? 0 : 2,
       IsWindows() ? Lines({"Usage: netstep"}) : "",
       IsWindows()
           ? std::vector<std::string>{}
           : std::vector<
                 std::string>{"netstep: the prefix must be a whole number from 0 to 32, not '?'",
                              usage}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Shown(c.arguments));
    const Outcome outcome = RunOnce(c.arguments);
    EXPECT_EQ(outcome.status, ExitStatus::Code(c.code));
    if (c.outStart.empty()) {
      EXPECT_EQ(outcome.out, "");
    } else {
      EXPECT_EQ(outcome.out.rfind(c.outStart, 0), 0u) << outcome.out;
    }
    EXPECT_EQ(outcome.err, Lines(c.err));
  }
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

TEST_P(CommandLineTest, CountOfNetworksStopsAtTheEndOfTheAddressSpace) {
  const Outcome three = RunOnce({"--count", "3", "192.168.1.10/24"});
  EXPECT_EQ(three.status, ExitStatus::Code(0));
  EXPECT_EQ(three.out,
            Block("192.168.1.0", "192.168.1.1", "192.168.1.254", "192.168.1.255") + LineEnd() +
                Block("192.168.2.0", "192.168.2.1", "192.168.2.254", "192.168.2.255") + LineEnd() +
                Block("192.168.3.0", "192.168.3.1", "192.168.3.254", "192.168.3.255"));
  const Outcome top = RunOnce({"-n", "5", "255.255.254.1", "255.255.255.0"});
  EXPECT_EQ(top.status, ExitStatus::Code(0));
  EXPECT_EQ(top.out,
            Block("255.255.254.0", "255.255.254.1", "255.255.254.254", "255.255.254.255") +
                LineEnd() +
                Block("255.255.255.0", "255.255.255.1", "255.255.255.254", "255.255.255.255"));
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

// One case of each planning form and of the full and JSON answers, exactly;
// the differential suite holds them to an oracle natively.
TEST_P(CommandLineTest, EveryPlanningForm) {
  const std::string list = testing::TempDir() + "netstep_" + std::to_string(getpid()) + "_list";
  std::ofstream(list, std::ios::binary) << "10.0.0.0/31\r\n 10.0.0.1-10.0.0.6\n# routes\nbanana\n";
  const std::string listArgument = IsWindows() ? "Z:" + list : list;  // Wine's drive for /
  const std::string json =
      "{\"address\":\"192.0.2.9\",\"netmask\":\"255.255.255.248\",\"prefix\":29,"
      "\"wildcard\":\"0.0.0.7\",\"network\":\"192.0.2.8\",\"first\":\"192.0.2.9\","
      "\"last\":\"192.0.2.14\",\"broadcast\":\"192.0.2.15\",\"hosts\":6,\"addresses\":8,"
      "\"block\":\"documentation\"}";
  const struct {
    std::vector<std::string> arguments;
    bool listOnStdin;
    int code;
    std::vector<std::string> out;
    std::vector<std::string> err;
  } cases[] = {
      {{"-s", "/26", "192.168.1.77/24"},
       false,
       0,
       {"192.168.1.0/26", "192.168.1.64/26", "192.168.1.128/26", "192.168.1.192/26"},
       {}},
      {{"--hosts=100,50,10", "192.168.1.0", "255.255.255.0"},
       false,
       0,
       {"192.168.1.0/25\t100", "192.168.1.128/26\t50", "192.168.1.192/28\t10",
        "192.168.1.208/28\tfree", "192.168.1.224/27\tfree"},
       {}},
      {{"10.0.0.3-10.0.0.17"},
       false,
       0,
       {"10.0.0.3/32", "10.0.0.4/30", "10.0.0.8/29", "10.0.0.16/31"},
       {}},
      {{"-A"}, true, 1, {}, {"Error - Line 4: not an address: 'banana'"}},
      {{"-f", listArgument},
       false,
       1,
       {"IP Network address - 10.0.0.0", "First Host IP address - 10.0.0.0",
        "Last Host IP address - 10.0.0.1", "Broadcast address  - 10.0.0.1", "10.0.0.1/32",
        "10.0.0.2/31", "10.0.0.4/31", "10.0.0.6/32"},
       {"Error - Line 4: not an address: 'banana'"}},
      {{"-a", "192.0.2.9/29"},
       false,
       0,
       {"IP Network address - 192.0.2.8", "First Host IP address - 192.0.2.9",
        "Last Host IP address - 192.0.2.14", "Broadcast address  - 192.0.2.15",
        "IP address - 192.0.2.9", "SubNet Mask - 255.255.255.248 = /29", "Wildcard Mask - 0.0.0.7",
        "Hosts - 6", "Addresses - 8", "Address block - documentation"},
       {}},
      {{"-j", "192.0.2.9/29"}, false, 0, {json}, {}},
      {{"-js", "31", "10.0.0.0/30"},
       false,
       0,
       {"[", "{\"network\":\"10.0.0.0\",\"prefix\":31},",
        "{\"network\":\"10.0.0.2\",\"prefix\":31}", "]"},
       {}},
      {{"-s", "16", "10.0.0.0/24"},
       false,
       2,
       {},
       {"netstep: a /24 network cannot be split into /16 networks", "Try 'netstep --help'"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Shown(c.arguments));
    LaunchOptions options;
    if (c.listOnStdin) options.stdIn = Stream::File(list);
    const Outcome outcome = RunOnce(c.arguments, options);
    EXPECT_EQ(outcome.status, ExitStatus::Code(c.code));
    EXPECT_EQ(outcome.out, Lines(c.out));
    EXPECT_EQ(outcome.err, Lines(c.err));
  }
  std::remove(list.c_str());
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
