// The command-line program on the recording fake: the exact bytes on standard
// output and standard error for every case of tests/cli_cases, with both line
// ends, the exit code, and that it asks nothing of a console. The planning
// forms are held to an independent oracle by the differential suite
// (tests/differential).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calc/address.h"
#include "cli/one_shot.h"
#include "runtime/program.h"
#include "runtime/runtime_state.h"
#include "runtime/text_stream.h"
#include "tests/fake/fake_platform.h"
#include "tests/shared/cli_cases.h"
#include "tests/shared/network_cases.h"

namespace {

using fake::state;

struct Outcome {
  uint32_t exitCode;
  std::string out;
  std::string err;
  int outWrites;
};

class OneShotTest : public testing::Test {
 protected:
  void SetUp() override { fake::Reset(); }

  // netstep with these arguments, as app/ starts it: no console module.
  static Outcome Answer(const std::vector<std::string>& arguments) {
    EXPECT_TRUE(fake::RunWithArguments(cli::AnswerOnce, arguments));
    Outcome run = {state.exitCode, state.handles[fake::outputHandle].written,
                   state.handles[fake::errorHandle].written,
                   state.handles[fake::outputHandle].writeCalls};
    for (platform::Handle handle : {fake::outputHandle, fake::errorHandle}) {
      state.handles[handle].written.clear();
      state.handles[handle].writeCalls = 0;
    }
    return run;
  }
};

std::string Lines(const std::vector<std::string>& lines, const char* end = "\n") {
  std::string text;
  for (const std::string& line : lines) text += line + end;
  return text;
}

std::string Block(const std::string& network, const std::string& first, const std::string& last,
                  const std::string& broadcast, const char* end = "\n") {
  return Lines({"IP Network address - " + network, "First Host IP address - " + first,
                "Last Host IP address - " + last, "Broadcast address  - " + broadcast},
               end);
}

TEST_F(OneShotTest, TheSharedCasesAsTheViewWordsThem) {
  for (const cases::NetworkCase& c : cases::networkCases) {
    SCOPED_TRACE(testing::Message() << '"' << c.address << "\" \"" << c.mask << '"');
    const Outcome run = Answer({c.address, c.mask});
    if (!c.ordinary) {  // what only the prompts' lenient rule takes
      EXPECT_EQ(run.exitCode, 1u);
      EXPECT_EQ(run.out, "");
      continue;
    }
    const std::string want = Block(c.network, c.firstHost, c.lastHost, c.broadcast);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.out, want);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.outWrites, 1);  // the whole answer in one piece
    if (c.prefix >= 0) {
      const Outcome prefixed = Answer({std::string(c.address) + "/" + std::to_string(c.prefix)});
      EXPECT_EQ(prefixed.exitCode, 0u);
      EXPECT_EQ(prefixed.out, want);
    }
  }
}

// The command line's code asks nothing of a console: not a cell, not a key.
TEST_F(OneShotTest, NoConsoleIsAskedForAnything) {
  Answer({"-a", "192.168.1.10", "255.255.255.0"});
  Answer({"-s", "30", "10.0.0.0/24"});
  EXPECT_TRUE(state.consoleCalls.empty());
  EXPECT_EQ(state.pauses, 0);
  EXPECT_EQ(state.eventQueries, 0);
}

TEST_F(OneShotTest, EveryCaseOfTheCaseFiles) {
  const std::vector<cases::CliCase> all =
      cases::ReadCliCases(NETSTEP_SOURCE_DIR "/tests/cli_cases");
  ASSERT_FALSE(all.empty());
  for (const char* lineEnd : {"\n", "\r\n"}) {
    for (const cases::CliCase& c : all) {
      SCOPED_TRACE(c.where);
      fake::Reset();
      state.textLineEnd = lineEnd;
      const std::string inputName = "list.txt";
      std::vector<std::string> arguments;
      for (const std::string& argument : c.arguments)
        arguments.push_back(cases::WithInputName(argument, inputName));
      const platform::Handle input = c.inputAsFile ? 100 : fake::inputHandle;
      if (c.inputAsFile) state.files[inputName] = input;
      state.handles[input].reads = {c.input};
      const Outcome run = Answer(arguments);
      EXPECT_EQ(run.exitCode, uint32_t(c.code));
      EXPECT_EQ(run.out, cases::Ended(c.out, c.outAsInput ? "\n" : lineEnd));
      std::vector<std::string> err;
      for (const std::string& line : c.err) err.push_back(cases::WithInputName(line, inputName));
      EXPECT_EQ(run.err, cases::Ended(err, lineEnd));
    }
  }
}

// The networks of --count: the view's "+" steps, an empty line between two,
// and no step past the end of the address space.
TEST_F(OneShotTest, CountStepsAsPlusDoes) {
  const struct {
    std::vector<std::string> arguments;
    std::vector<std::string> networks;  // the first line of each block
  } cases[] = {
      {{"--count", "3", "192.168.1.10/24"}, {"192.168.1.0", "192.168.2.0", "192.168.3.0"}},
      {{"-n", "5", "255.255.254.1", "255.255.255.0"}, {"255.255.254.0", "255.255.255.0"}},
      {{"-n", "3", "1.2.3.4/0"}, {"0.0.0.0"}},
      {{"-n", "2", "255.255.255.255/32"}, {"255.255.255.255"}},
      {{"-n", "3", "10.20.30.40", "0.0.255.0"}, {"0.0.30.0", "0.0.31.0", "0.0.32.0"}},
      {{"-n", "4294967296", "255.255.255.254/32"}, {"255.255.255.254", "255.255.255.255"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments[2]);
    const Outcome run = Answer(c.arguments);
    EXPECT_EQ(run.exitCode, 0u);
    std::vector<std::string> networks;
    size_t at = 0;
    for (;;) {
      ASSERT_EQ(run.out.compare(at, 21, "IP Network address - "), 0) << run.out;
      const size_t end = run.out.find('\n', at);
      networks.push_back(run.out.substr(at + 21, end - at - 21));
      for (int line = 0; line < 4; ++line) at = run.out.find('\n', at) + 1;
      if (at == run.out.size()) break;
      ASSERT_EQ(run.out[at], '\n') << run.out;  // the empty line between two
      ++at;
    }
    EXPECT_EQ(networks, c.networks);
  }
}

TEST_F(OneShotTest, ManyNetworksLeaveAsTheBufferFills) {
  const Outcome run = Answer({"-n", "1000", "10.0.0.0/24"});
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_GT(run.outWrites, 1);
  std::string want;
  for (int i = 0; i < 1000; ++i) {
    const std::string net = "10." + std::to_string(i / 256) + "." + std::to_string(i % 256) + ".";
    want += (i > 0 ? "\n" : "") + Block(net + "0", net + "1", net + "254", net + "255");
  }
  EXPECT_EQ(run.out, want);
}

// The input error codes in the interactive program's words, on standard error.
TEST_F(OneShotTest, BadAddressOrMaskIsCodeOne) {
  const std::string range = "Error - Address value must be (0..255)\n";
  const std::string mask = "Error - Wrong SubNet mask \n";
  const std::string both = "Error - Address value must be (0..255)\n        Wrong SubNet mask \n";
  const std::string byCode[] = {"", range, mask, both};
  for (const cases::InputCodeCase& c : cases::inputCodeCases) {
    if (!c.ordinary) continue;
    SCOPED_TRACE(testing::Message() << c.address << " / " << c.mask);
    const Outcome run = Answer({c.address, c.mask});
    EXPECT_EQ(run.err, byCode[c.code]);
    EXPECT_EQ(run.exitCode, c.code == 0 ? 0u : 1u);
    if (c.code != 0) {
      EXPECT_EQ(run.out, "");
    }
  }
  const Outcome prefixed = Answer({"10.0.0.300/24"});
  EXPECT_EQ(prefixed.exitCode, 1u);
  EXPECT_EQ(prefixed.err, range);
}

// A reason longer than a short text holds comes out whole.
TEST_F(OneShotTest, LongReasonsComeOutWhole) {
  const std::string longOption = "--" + std::string(300, 'z');
  const Outcome run = Answer({longOption});
  EXPECT_EQ(run.exitCode, 2u);
  EXPECT_EQ(run.err, "netstep: unknown option '" + longOption + "'\nTry 'netstep --help'\n");
}

TEST_F(OneShotTest, HelpNamesEveryOptionWithinEightyColumns) {
  const Outcome help = Answer({"--help"});
  EXPECT_EQ(help.exitCode, 0u);
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(help.out.rfind("Usage: netstep\n", 0), 0u) << help.out;
  EXPECT_NE(help.out.find("\n  -h, --help          this help\n"), std::string::npos) << help.out;
  for (const char* option :
       {"--count", "--split", "--hosts", "--aggregate", "--file", "--all", "--json", "--version"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
  for (size_t at = 0, end; (end = help.out.find('\n', at)) != std::string::npos; at = end + 1) {
    EXPECT_LE(end - at, 79u) << help.out.substr(at, end - at);
  }

  state.nativeHelpOption = "/?";
  const Outcome native = Answer({"/?"});
  EXPECT_EQ(native.exitCode, 0u);
  EXPECT_NE(native.out.find("\n  -h, --help, /?      this help\n"), std::string::npos)
      << native.out;
}

// A reader that has gone away ends the program quietly; any other failure to
// write with the runtime's report.
TEST_F(OneShotTest, OutputThatCannotBeWritten) {
  state.handles[fake::outputHandle].failWrites = true;
  state.failedWriteError = 112;  // disk full
  const Outcome full = Answer({"192.168.1.10/24"});
  EXPECT_EQ(full.exitCode, 101u);
  EXPECT_EQ(full.err.rfind("Runtime error 101 at 0x", 0), 0u) << full.err;

  state.failedWriteError = 109;  // broken pipe
  const Outcome gone = Answer({"-s", "32", "10.0.0.0/8"});
  EXPECT_EQ(gone.exitCode, 0u);
  EXPECT_EQ(gone.err, "");
  EXPECT_EQ(gone.outWrites, 1);  // the first block failed: not another line was made
}

}  // namespace
