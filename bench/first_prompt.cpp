// Launch to the first prompt for each program the tests run: netstep natively,
// the 64-bit Windows build under Wine, and the 32-bit Windows program through
// 32-bit Wine's loader under qemu-i386. Medians over repeated runs, with the
// Wine server and services kept warm as the test suite keeps them; a Windows
// program whose build is not configured is left out.
//   build/bench/netstep_first_prompt_bench
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"

namespace {

constexpr int runs = 10;

struct Target {
  const char* name;
  e2e::Command command;  // empty when the build is not configured
  std::string prefix;    // "" for the native program
  bool wow64;
};

// Until the whole first screen is there: the prompt, the cursor after it and
// the mask help table's last row.
bool AtPrompt(e2e::Session& s) {
  const std::string prompt = "Enter IP address : ";
  return s.Cursor() == e2e::Position{int(prompt.size()), 0} &&
         s.TextAt(0, 0, int(prompt.size())) == prompt && s.TextAt(49, 7, 14) == "11111111 - 255";
}

// Milliseconds from launch to the first screen, one per run.
std::vector<double> Measure(const Target& target) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    e2e::LaunchOptions options;
    options.command = target.command;
    options.defaultTimeout = e2e::Millis(60000);
    e2e::Session s(options);
    if (!s.WaitFor([&] { return AtPrompt(s); })) {
      std::fprintf(stderr, "%s: no first prompt\n%s", target.name, s.Dump().c_str());
      return {};
    }
    times.push_back(std::chrono::duration<double, std::milli>(s.SinceLaunch()).count());
    s.Type("\x1b");  // Esc clears the empty address line; the session's end kills netstep
  }
  return times;
}

}  // namespace

int main() {
  const std::string exe64 = NETSTEP_WINDOWS_EXE, exe32 = NETSTEP_WINDOWS32_EXE;
  std::vector<Target> targets = {{"native", e2e::NativeCommand(NETSTEP_BINARY), "", false}};
  if (!exe64.empty()) {
    targets.push_back({"x64 under Wine", e2e::WineCommand(exe64, NETSTEP_WINE_PREFIX),
                       NETSTEP_WINE_PREFIX, false});
  }
  if (!exe32.empty()) {
    targets.push_back({"i686 under emulation",
                       e2e::Wine32Command(exe32, NETSTEP_WINE32_PREFIX, NETSTEP_WINE32_TRAP_SHIM),
                       NETSTEP_WINE32_PREFIX, true});
  }
  std::printf("%-22s %12s %12s %12s\n", "launch to first prompt", "median ms", "min ms", "max ms");
  for (const Target& target : targets) {
    if (!target.prefix.empty() && !e2e::PrepareWinePrefix(target.prefix, target.wow64)) {
      std::fprintf(stderr, "%s: the Wine prefix could not be set up\n", target.name);
      return 1;
    }
    std::vector<double> times = Measure(target);
    if (times.empty()) return 1;
    std::sort(times.begin(), times.end());
    std::printf("%-22s %12.1f %12.1f %12.1f\n", target.name, times[times.size() / 2], times.front(),
                times.back());
  }
  return 0;
}
