// A whole session typed from a key file, for each program the tests run:
// netstep natively, the 64-bit Windows build under Wine, the 32-bit one under
// emulated 32-bit Wine. Standard input is the file, the terminal is the
// harness's pseudo-terminal. Reported: launch to exit, bytes to the terminal,
// whether the last screen is the right one, and for the 64-bit build the
// console output calls per step of the network view, counted by Wine's relay
// trace (WINEDEBUG=+relay) as the difference between 10 steps and none.
//   build/bench/netstep_key_file_bench [--runs N] [--win64 EXE] [--win32 EXE]
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "tests/e2e/harness.h"

namespace {

// The task 10.0.0.1 / 255.255.255.0, then `plus` times +, `minus` times -,
// Esc and n: 727 bytes with 600 and 100.
std::string Keys(int plus, int minus) {
  return "10.0.0.1\r\n255.255.255.0\r\n" + std::string(size_t(plus), '+') +
         std::string(size_t(minus), '-') + "\x1bn";
}

std::string KeyFile(const std::string& keys) {
  const std::string path = "/tmp/netstep-keys-" + std::to_string(getpid());
  std::ofstream(path, std::ios::binary) << keys;
  return path;
}

struct Target {
  std::string name;
  std::string key;  // the measures' keys start with it
  e2e::Command command;
};

struct Run {
  double ms = 0;
  double bytes = 0;
  bool rightScreen = false;
};

// 600 steps up and 100 down from 10.0.0.0/24 end on 10.1.244.0/24.
Run RunKeyFile(const Target& target, const std::string& keyFile) {
  e2e::LaunchOptions options;
  options.command = target.command;
  options.stdIn = e2e::Stream::File(keyFile);
  e2e::Session s(options);
  const auto status = s.WaitForExit(e2e::Millis(600000));
  Run run;
  run.ms = bench::Ms(s.SinceLaunch());
  run.bytes = double(s.OutputSize());
  run.rightScreen = status && *status == e2e::ExitStatus::Code(0) &&
                    s.ContainsText("Broadcast address  - 10.1.244.255") &&
                    s.ContainsText("New Task Y/N  -  Y");
  return run;
}

// Wine's relay trace of one session with `steps` view steps: the number of
// calls of each console output function.
std::vector<long> RelayCounts(const Target& target, int steps,
                              const std::vector<std::string>& functions) {
  const std::string keyFile = KeyFile(Keys(steps, 0));
  const std::string trace = keyFile + ".relay";
  e2e::LaunchOptions options;
  options.command = target.command;
  for (auto& [name, value] : options.command.setEnv) {
    if (name == "WINEDEBUG") value = "+relay";
  }
  options.stdIn = e2e::Stream::File(keyFile);
  options.stdErr = e2e::Stream::File(trace);
  e2e::Session s(options);
  s.WaitForExit(e2e::Millis(600000));
  std::vector<long> counts(functions.size(), 0);
  std::ifstream in(trace);
  for (std::string line; std::getline(in, line);) {
    for (size_t i = 0; i < functions.size(); ++i) {
      if (line.find("Call KERNEL32." + functions[i] + "(") != std::string::npos) ++counts[i];
    }
  }
  std::remove(keyFile.c_str());
  std::remove(trace.c_str());
  return counts;
}

void ReportCallsPerStep(bench::Results& results, const Target& target) {
  const std::vector<std::string> functions = {
      "WriteConsoleOutputA", "SetConsoleCursorPosition", "ScrollConsoleScreenBufferA",
      "FillConsoleOutputCharacterA", "FillConsoleOutputAttribute"};
  const std::vector<long> none = RelayCounts(target, 0, functions);
  const std::vector<long> ten = RelayCounts(target, 10, functions);
  double total = 0;
  for (size_t i = 0; i < functions.size(); ++i) {
    const double perStep = double(ten[i] - none[i]) / 10;
    total += perStep;
    results.Add(target.name + ": " + functions[i] + " per view step",
                target.key + "_calls_per_step_" + functions[i], perStep, "calls", "-");
  }
  results.Add(target.name + ": console output calls per view step", target.key + "_calls_per_step",
              total, "calls", "<= 3");
}

void ReportKeyFile(bench::Results& results, const Target& target, int runs,
                   const std::string& keyFile) {
  std::vector<double> ms, bytes;
  int right = 0;
  for (int i = 0; i < runs; ++i) {
    const Run run = RunKeyFile(target, keyFile);
    ms.push_back(run.ms);
    bytes.push_back(run.bytes);
    right += run.rightScreen;
  }
  const std::string key = target.key + "_key_file";
  results.Add(target.name + ": 727-byte key file, launch to exit", key + "_ms", bench::Median(ms),
              "ms", "-");
  results.Add(target.name + ": bytes to the terminal", key + "_bytes", bench::Median(bytes),
              "bytes", "-");
  results.Add(target.name + ": runs ending on the right screen", key + "_right", right, "runs",
              "all");
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 3;
  std::string exe64 = NETSTEP_WINDOWS_EXE, exe32 = NETSTEP_WINDOWS32_EXE;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--win64") == 0) exe64 = argv[i + 1];
    if (std::strcmp(argv[i], "--win32") == 0) exe32 = argv[i + 1];
  }
  std::vector<Target> targets = {{"native", "native", e2e::NativeCommand(NETSTEP_BINARY)}};
  if (!exe64.empty() && e2e::PrepareWinePrefix(NETSTEP_WINE_PREFIX)) {
    targets.push_back({"x64 under Wine", "win64", e2e::WineCommand(exe64, NETSTEP_WINE_PREFIX)});
  }
  if (!exe32.empty() && e2e::PrepareWinePrefix(NETSTEP_WINE32_PREFIX, true)) {
    targets.push_back({"i686 under emulation", "win32",
                       e2e::Wine32Command(exe32, NETSTEP_WINE32_PREFIX, NETSTEP_WINE32_TRAP_SHIM)});
  }
  bench::Results results;
  const std::string keyFile = KeyFile(Keys(600, 100));
  for (const Target& target : targets) ReportKeyFile(results, target, runs, keyFile);
  std::remove(keyFile.c_str());
  for (const Target& target : targets) {
    if (target.key == "win64") ReportCallsPerStep(results, target);
  }

  std::printf("%-62s %s\n", "measure (median of repeated runs)", "value");
  for (const auto& [name, value] : results.rows) {
    std::printf("%-62s %s\n", name.c_str(), value.c_str());
  }
  return 0;
}
