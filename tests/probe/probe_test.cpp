// The runtime's failures as a process shows them: the probe is run as a child
// with its standard output on a pipe or a terminal, and its report, exit code
// and module order are checked; addr2line names the failing function.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"

namespace {

struct ProbeRun {
  int exitCode = -1;
  std::string out;  // standard output: the report
  std::string err;  // standard error: the module marks
};

std::string Drain(int fd) {
  std::string text;
  char buffer[4096];
  ssize_t n;
  while ((n = read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
    if (n > 0) text.append(buffer, std::size_t(n));
  }
  return text;
}

// A sanitizer build notes on standard error that the resumption switched
// stacks; the note is not the probe's.
std::string WithoutSanitizerNotes(std::string text) {
  const std::regex note("==[0-9]+==WARNING: ASan is ignoring[^\n]*\n[^\n]*\n[^\n]*\n");
  return std::regex_replace(text, note, "");
}

// The probe's command line: the native probe, or a Windows one under Wine.
e2e::Command NativeProbe(const char* mode) {
  return e2e::NativeCommand(NETSTEP_PROBE, {mode});
}

// Runs the probe; with `onTerminal` its standard output is a pseudo-terminal
// in raw mode (a character device), else a pipe.
ProbeRun RunProbe(const e2e::Command& command, bool onTerminal = false) {
  int outRead, outWrite, errPipe[2];
  if (onTerminal) {
    termios raw;
    cfmakeraw(&raw);
    EXPECT_EQ(openpty(&outRead, &outWrite, nullptr, &raw, nullptr), 0);
  } else {
    int outPipe[2];
    EXPECT_EQ(pipe(outPipe), 0);
    outRead = outPipe[0];
    outWrite = outPipe[1];
  }
  EXPECT_EQ(pipe(errPipe), 0);
  const pid_t child = fork();
  if (child == 0) {
    dup2(outWrite, STDOUT_FILENO);
    dup2(errPipe[1], STDERR_FILENO);
    const int null = open("/dev/null", O_RDONLY);
    dup2(null, STDIN_FILENO);
    for (const auto& [name, value] : command.setEnv) setenv(name.c_str(), value.c_str(), 1);
    for (const std::string& name : command.unsetEnv) unsetenv(name.c_str());
    std::vector<char*> argv;
    for (const std::string& arg : command.argv) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(outWrite);
  close(errPipe[1]);
  ProbeRun run;
  run.err = WithoutSanitizerNotes(Drain(errPipe[0]));  // closes when the child ends
  int status = 0;
  waitpid(child, &status, 0);
  run.out = Drain(outRead);  // a terminal's master reads EIO once the child is gone
  close(outRead);
  close(errPipe[0]);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
  return run;
}

int CountLines(const std::string& text) {
  int lines = 0;
  for (char c : text) lines += c == '\n';
  return lines;
}

// A probe's debug information: addr2line for its machine and the program.
struct Symbols {
  std::string addr2line;
  std::string program;
};

const Symbols nativeSymbols = {"addr2line", NETSTEP_PROBE};

// The function whose code holds a code address, by the debug information;
// for code inlined into a function, that function.
std::string FunctionAt(const std::string& hexAddress, const Symbols& symbols = nativeSymbols) {
  const std::string command =
      symbols.addr2line + " -f -i -C -e " + symbols.program + " 0x" + hexAddress;
  FILE* pipe = popen(command.c_str(), "r");
  std::string name;
  char line[512];
  // Pairs of lines, function and place, from the innermost inlined call out.
  for (bool isName = true; pipe && fgets(line, sizeof line, pipe); isName = !isName) {
    if (isName) name = line;
  }
  if (pipe != nullptr) pclose(pipe);
  while (!name.empty() && name.back() == '\n') name.pop_back();
  return name;
}

// Checks the shape of a report and returns the address of its first line.
std::string CheckReport(const ProbeRun& run, int number) {
  const std::regex first("Runtime error " + std::to_string(number) +
                         " at 0x([0-9A-F]{8})\r\n  0x\\1\r\n(  0x[0-9A-F]{8}\r\n)*\r\n");
  std::smatch match;
  EXPECT_TRUE(std::regex_match(run.out, match, first)) << run.out;
  EXPECT_EQ(run.exitCode, number);
  return match.size() > 1 ? match[1].str() : "";
}

struct FailureCase {
  const char* mode;
  int number;
  const char* function;
};

TEST(Probe, FailuresReportTheirNumberAndPlace) {
  const FailureCase cases[] = {
      {"write-input", 105, "ProbeWriteToInput"}, {"divide", 200, "ProbeDivide"},
      {"float-divide", 200, "ProbeFloatDivide"}, {"null-read", 216, "ProbeNullRead"},
      {"recurse", 202, "ProbeRecurse"},          {"raise", 204, "ProbeMain"},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.mode);
    const ProbeRun run = RunProbe(NativeProbe(c.mode));
    const std::string address = CheckReport(run, c.number);
    EXPECT_NE(FunctionAt(address).find(c.function), std::string::npos) << FunctionAt(address);
    EXPECT_EQ(run.err, "I2I3I4F4F3F2F1");  // every module finalised, in reverse
  }
}

// The addresses of the report's frame lines, after its first line.
std::vector<std::string> FrameAddresses(const std::string& report) {
  std::vector<std::string> addresses;
  const std::regex frame("  0x([0-9A-F]{8})\r\n");
  for (std::sregex_iterator i(report.begin(), report.end(), frame), end; i != end; ++i) {
    addresses.push_back((*i)[1].str());
  }
  return addresses;
}

TEST(Probe, BackTraceNamesTheCallersUpToTheMainProgram) {
  const ProbeRun run = RunProbe(NativeProbe("write-input"));
  CheckReport(run, 105);
  const std::vector<std::string> frames = FrameAddresses(run.out);
  ASSERT_EQ(frames.size(), 3u) << run.out;
  // The failing statement twice, then the return into the main program, and
  // last the main program's own return: the chain ends there.
  EXPECT_NE(FunctionAt(frames[0]).find("ProbeWriteToInput"), std::string::npos);
  EXPECT_NE(FunctionAt(frames[1]).find("ProbeMain"), std::string::npos);
  EXPECT_NE(FunctionAt(frames[2]).find("CallWithFrameChainEnd"), std::string::npos);
}

TEST(Probe, StopEndsWithItsCodeAndNoReport) {
  const ProbeRun run = RunProbe(NativeProbe("stop"));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
}

TEST(Probe, StopInsideTheConsoleModuleFinalisesTheThreeBefore) {
  const ProbeRun run = RunProbe(NativeProbe("stop-in-module-4"));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "I2I3I4F3F2F1");
}

TEST(Probe, NormalEndIsQuiet) {
  const ProbeRun run = RunProbe(NativeProbe("none"));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "");
}

TEST(Probe, BackTraceDepthDependsOnTheDevice) {
  const ProbeRun toPipe = RunProbe(NativeProbe("nest"));
  CheckReport(toPipe, 105);
  EXPECT_EQ(CountLines(toPipe.out), 2 + 257 + 1);

  const ProbeRun toTerminal = RunProbe(NativeProbe("nest"), true);
  CheckReport(toTerminal, 105);
  EXPECT_EQ(CountLines(toTerminal.out), 2 + 9 + 1);
}

// ---- The Windows programs ---------------------------------------------------------------

// The 64-bit probe under Wine, or the 32-bit one through 32-bit Wine's loader
// under qemu-i386.
struct WindowsProbe {
  const char* name;
  std::string program;  // "" when that build is not configured
  std::string prefix;
  bool wow64;
  Symbols symbols;
};

void PrintTo(const WindowsProbe& probe, std::ostream* out) {
  *out << probe.name;
}

const WindowsProbe windowsProbes[] = {
    {"Win64",
     NETSTEP_WINDOWS_PROBE,
     NETSTEP_WINE_PREFIX,
     false,
     {"x86_64-w64-mingw32-addr2line", NETSTEP_WINDOWS_PROBE}},
    {"Win32",
     NETSTEP_WINDOWS32_PROBE,
     NETSTEP_WINE32_PREFIX,
     true,
     {"i686-w64-mingw32-addr2line", NETSTEP_WINDOWS32_PROBE}},
};

class WindowsProbeTest : public testing::TestWithParam<WindowsProbe> {
 protected:
  void SetUp() override {
    if (GetParam().program.empty()) {
      GTEST_SKIP() << "the " << GetParam().name << " probe is not configured";
    }
    ASSERT_TRUE(e2e::PrepareWinePrefix(GetParam().prefix, GetParam().wow64));
  }
  static e2e::Command Probe(const char* mode) {
    const WindowsProbe& probe = GetParam();
    if (probe.wow64) {
      return e2e::Wine32Command(probe.program, probe.prefix, NETSTEP_WINE32_TRAP_SHIM, {mode});
    }
    return e2e::WineCommand(probe.program, probe.prefix, {mode});
  }
  // The report's frame lines as the functions that hold them.
  static std::vector<std::string> Chain(const ProbeRun& run) {
    std::vector<std::string> chain;
    for (const std::string& address : FrameAddresses(run.out)) {
      chain.push_back(FunctionAt(address, GetParam().symbols));
    }
    return chain;
  }
};

INSTANTIATE_TEST_SUITE_P(Builds, WindowsProbeTest, testing::ValuesIn(windowsProbes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(WindowsProbeTest, FailuresReportTheirNumberAndPlace) {
  const FailureCase cases[] = {
      {"write-input", 105, "ProbeWriteToInput"},
      {"divide", 200, "ProbeDivide"},
      {"null-read", 216, "ProbeNullRead"},
      {"recurse", 202, "ProbeRecurse"},
      {"raise", 204, "ProbeMain"},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.mode);
    const ProbeRun run = RunProbe(Probe(c.mode));
    const std::string address = CheckReport(run, c.number);
    EXPECT_NE(FunctionAt(address, GetParam().symbols).find(c.function), std::string::npos)
        << FunctionAt(address, GetParam().symbols);
    EXPECT_EQ(run.err, "I2I3I4F4F3F2F1");
  }
}

// The 32-bit program keeps the usual chain of frame links: every line of the
// back-trace names the next function out on the active calls, up to the main
// program. (The 64-bit build's chain breaks past its first frames, so only
// the first line of its report is checked.)
TEST_P(WindowsProbeTest, BackTraceFollowsTheActiveCalls) {
  if (!GetParam().wow64)
    GTEST_SKIP() << "GCC's Win64 frame layout breaks the chain of links past its first frames";
  struct ChainCase {
    const char* mode;
    int number;
    std::vector<std::string> functions;  // the lines after the first, from the failing one out
  };
  const std::string end = "CallWithFrameChainEnd";
  const ChainCase cases[] = {
      {"write-input", 105, {"ProbeWriteToInput", "ProbeMain", end}},
      {"divide", 200, {"ProbeDivide", "ProbeMain", end}},
      {"null-read", 216, {"ProbeNullRead", "ProbeMain", end}},
      {"raise", 204, {"ProbeMain", end}},
  };
  for (const ChainCase& c : cases) {
    SCOPED_TRACE(c.mode);
    const ProbeRun run = RunProbe(Probe(c.mode));
    CheckReport(run, c.number);
    const std::vector<std::string> chain = Chain(run);
    ASSERT_EQ(chain.size(), c.functions.size()) << run.out;
    for (size_t i = 0; i < chain.size(); ++i) {
      EXPECT_NE(chain[i].find(c.functions[i]), std::string::npos) << i << ": " << chain[i];
    }
  }
}

// Deep chains end at the limits: 257 frames to a pipe, 9 to a terminal; a
// stack overflow's chain stays inside the stack.
TEST_P(WindowsProbeTest, BackTraceDepthDependsOnTheDevice) {
  if (!GetParam().wow64)
    GTEST_SKIP() << "GCC's Win64 frame layout breaks the chain of links past its first frames";
  const ProbeRun toPipe = RunProbe(Probe("nest"));
  CheckReport(toPipe, 105);
  EXPECT_EQ(CountLines(toPipe.out), 2 + 257 + 1);
  const std::vector<std::string> chain = Chain(toPipe);
  for (size_t i = 1; i < chain.size(); ++i) {
    EXPECT_NE(chain[i].find("ProbeNest"), std::string::npos) << i << ": " << chain[i];
  }

  // Wine's console draws on the terminal: it hides the cursor while it writes.
  ProbeRun toTerminal = RunProbe(Probe("nest"), true);
  toTerminal.out = std::regex_replace(toTerminal.out, std::regex("\x1b\\[\\?25[hl]"), "");
  CheckReport(toTerminal, 105);
  EXPECT_EQ(CountLines(toTerminal.out), 2 + 9 + 1);

  const ProbeRun overflow = RunProbe(Probe("recurse"));
  CheckReport(overflow, 202);
  EXPECT_EQ(CountLines(overflow.out), 2 + 257 + 1);
  for (const std::string& function : Chain(overflow)) {
    EXPECT_NE(function.find("ProbeRecurse"), std::string::npos) << function;
  }
}

TEST_P(WindowsProbeTest, FloatingPointDivisionByZero) {
  if (GetParam().wow64) {
    GTEST_SKIP() << "qemu-i386 does not raise the x87's unmasked exceptions: the division "
                    "gives infinity";
  }
  const ProbeRun run = RunProbe(Probe("float-divide"));
  const std::string address = CheckReport(run, 200);
  EXPECT_NE(FunctionAt(address, GetParam().symbols).find("ProbeFloatDivide"), std::string::npos);
}

}  // namespace
