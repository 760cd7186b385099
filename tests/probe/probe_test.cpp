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

// Runs the probe; with `onTerminal` its standard output is a pseudo-terminal
// in raw mode (a character device), else a pipe.
// The probe's command line: the native probe, or the Windows one under Wine.
struct ProbeCommand {
  std::vector<std::string> argv;
  bool underWine = false;
};

ProbeCommand NativeProbe(const char* mode) {
  return {{NETSTEP_PROBE, mode}, false};
}

ProbeCommand WindowsProbe(const char* mode) {
  return {{NETSTEP_WINE64, NETSTEP_WINDOWS_PROBE, mode}, true};
}

ProbeRun RunProbe(const ProbeCommand& command, bool onTerminal = false) {
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
    if (command.underWine) {
      setenv("WINEPREFIX", NETSTEP_WINE_PREFIX, 1);
      setenv("WINEDEBUG", "-all", 1);
      unsetenv("DISPLAY");
      unsetenv("WAYLAND_DISPLAY");
    }
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

// The function that holds a code address, by the debug information.
std::string FunctionAt(const std::string& hexAddress, bool windows = false) {
  const std::string command =
      windows ? "x86_64-w64-mingw32-addr2line -f -C -e " NETSTEP_WINDOWS_PROBE " 0x" + hexAddress
              : "addr2line -f -C -e " NETSTEP_PROBE " 0x" + hexAddress;
  FILE* pipe = popen(command.c_str(), "r");
  char line[512] = {};
  if (pipe == nullptr || fgets(line, sizeof line, pipe) == nullptr) line[0] = 0;
  if (pipe != nullptr) pclose(pipe);
  std::string name = line;
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

TEST(Probe, WindowsBuildUnderWineReportsTheSame) {
  if (std::string(NETSTEP_WINDOWS_PROBE).empty()) {
    GTEST_SKIP() << "the Windows build of the probe is not configured (NETSTEP_WINDOWS_PROBE)";
  }
  const FailureCase cases[] = {
      {"write-input", 105, "ProbeWriteToInput"},
      {"divide", 200, "ProbeDivide"},
      {"null-read", 216, "ProbeNullRead"},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.mode);
    const ProbeRun run = RunProbe(WindowsProbe(c.mode));
    const std::string address = CheckReport(run, c.number);
    EXPECT_NE(FunctionAt(address, true).find(c.function), std::string::npos)
        << FunctionAt(address, true);
  }
}

}  // namespace
