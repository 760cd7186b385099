// netstep's speed and footprint, measured through the end-to-end harness at
// 80x25 and reported as medians over repeated runs: a table on standard
// output, the same as JSON in the file given as the first argument.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"

namespace {

using e2e::Clock;
using e2e::Session;

constexpr int runs = 15;
const std::string prompt = "Enter IP address : ";

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  const size_t index = std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5));
  return values[index];
}
double Median(std::vector<double> values) {
  return Percentile(std::move(values), 0.5);
}

// The allocation counter netstep shares with the benchmark (alloc_counter.so).
struct AllocationCounter {
  std::string path;
  std::atomic<unsigned long>* count = nullptr;
  AllocationCounter() {
    path = "/tmp/netstep-allocations-" + std::to_string(getpid());
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    if (fd < 0 || ftruncate(fd, sizeof(unsigned long)) != 0) return;
    void* shared = mmap(nullptr, sizeof(unsigned long), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (shared != MAP_FAILED) count = static_cast<std::atomic<unsigned long>*>(shared);
  }
  ~AllocationCounter() { unlink(path.c_str()); }
  unsigned long Value() const { return count ? count->load() : 0; }
};

e2e::LaunchOptions Options(const AllocationCounter* counter = nullptr) {
  e2e::LaunchOptions options;
  options.command = e2e::NativeCommand(NETSTEP_BINARY);
  if (counter != nullptr) {
    options.command.setEnv = {{"LD_PRELOAD", NETSTEP_ALLOC_COUNTER},
                              {"NETSTEP_ALLOC_COUNTER", counter->path}};
  }
  return options;
}

bool AtPrompt(Session& s) {
  return s.Cursor() == e2e::Position{19, 0} && s.TextAt(0, 0, 19) == prompt &&
         s.TextAt(49, 7, 14) == "11111111 - 255";
}

void Finish(Session& s) {
  s.Type("\x1b");
  s.WaitFor([&] { return s.ContainsText("New Task Y/N  -  Y"); });
  s.Type("n");
  s.WaitForExit();
}

struct Results {
  std::vector<std::pair<std::string, std::string>> rows;  // name, value with unit
  std::ostringstream json;
  bool first = true;
  void Add(const std::string& name, const std::string& key, double value, const char* unit,
           const char* goal) {
    char text[96];
    std::snprintf(text, sizeof text, "%.3f %s", value, unit);
    rows.push_back({name + "  (goal " + goal + ")", text});
    json << (first ? "" : ",\n") << "  \"" << key << "\": " << value;
    first = false;
  }
};

double LaunchToFirstScreen() {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    Session s(Options());
    s.WaitFor([&] { return AtPrompt(s); });
    times.push_back(Ms(s.SinceLaunch()));
    s.Type("n");  // typed into the address line; the session ends with the process
  }
  return Median(times);
}

double LaunchToResultsTypedAhead() {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    Session s(Options());
    s.Type("192.168.1.10\r255.255.255.0\r");
    s.WaitFor([&] { return s.ContainsText("Broadcast address  - 192.168.1.255"); });
    times.push_back(Ms(s.SinceLaunch()));
    Finish(s);
  }
  return Median(times);
}

// Time from a key leaving the terminal to its echo on the screen.
void EchoLatency(double& median, double& p99, double& bytesPerKey) {
  Session s(Options());
  s.WaitFor([&] { return AtPrompt(s); });
  std::vector<double> times;
  const size_t bytesBefore = s.OutputSize();
  for (int i = 0; i < 200; ++i) {
    const int col = 19 + i % 60;
    if (i % 60 == 0 && i > 0) {  // start the line again: Esc clears it
      s.Type("\x1b");
      s.WaitFor([&] { return s.Cursor().col == 19; });
    }
    const auto start = Clock::now();
    s.Type("7");
    s.WaitFor([&] { return s.Cursor().col == col + 1; });
    times.push_back(Ms(Clock::now() - start));
  }
  bytesPerKey = double(s.OutputSize() - bytesBefore) / 200.0;
  median = Median(times);
  p99 = Percentile(times, 0.99);
  s.Type("\x1b");
}

// Time from a lone Esc leaving the terminal to the new-task prompt: the Esc
// key is told from the start of a key sequence by the silence after it.
double EscToPrompt() {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    Session s(Options());
    s.Type("1.2.3.4\r");
    s.WaitFor([&] { return s.ContainsText("Enter SubNet Mask : "); });
    s.Type("255.0.0.0\r");
    s.WaitFor([&] { return s.ContainsText("(Esc) for EXIT"); });
    const auto start = Clock::now();
    s.Type("\x1b");
    s.WaitFor([&] { return s.ContainsText("New Task Y/N  -  Y"); });
    times.push_back(Ms(Clock::now() - start));
    s.Type("n");
    s.WaitForExit();
  }
  return Median(times);
}

long CpuTicks(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string field;
  long utime = 0, stime = 0;
  for (int i = 1; i <= 15 && stat >> field; ++i) {
    if (i == 14) utime = std::stol(field);
    if (i == 15) stime = std::stol(field);
  }
  return utime + stime;
}

long PeakResidentKb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}

// CPU used while the program waits 5 s at a prompt, as a share of one core.
double IdleCpuShare() {
  Session s(Options());
  s.WaitFor([&] { return AtPrompt(s); });
  const long before = CpuTicks(s.Pid());
  const auto start = Clock::now();
  s.WaitFor([] { return false; }, e2e::Millis(5000));
  const double seconds = Ms(Clock::now() - start) / 1000.0;
  const long ticks = CpuTicks(s.Pid()) - before;
  s.Type("n");
  return double(ticks) / double(sysconf(_SC_CLK_TCK)) / seconds;
}

// Bytes of one whole task, peak memory, and allocations after the first screen.
void WholeTask(double& bytes, double& peakKb, double& allocations) {
  AllocationCounter counter;
  Session s(Options(&counter));
  s.WaitFor([&] { return AtPrompt(s); });
  const unsigned long atFirstScreen = counter.Value();
  s.Type("192.168.1.10\r");
  s.WaitFor([&] { return s.ContainsText("Enter SubNet Mask : "); });
  s.Type("255.255.255.0\r");
  s.WaitFor([&] { return s.ContainsText("Broadcast address  - 192.168.1.255"); });
  s.Type("+");
  s.WaitFor([&] { return s.ContainsText("Broadcast address  - 192.168.2.255"); });
  s.Type("\x1b");
  s.WaitFor([&] { return s.ContainsText("New Task Y/N  -  Y"); });
  peakKb = double(PeakResidentKb(s.Pid()));
  allocations = double(counter.Value() - atFirstScreen);
  bytes = double(s.OutputSize());
  s.Type("n");
  s.WaitForExit();
}

}  // namespace

int main(int argc, char** argv) {
  Results results;
  results.Add("launch to first complete screen", "launch_to_first_screen_ms", LaunchToFirstScreen(),
              "ms", "< 3 ms");
  results.Add("launch to results, task typed ahead", "launch_to_results_typed_ahead_ms",
              LaunchToResultsTypedAhead(), "ms", "-");
  double median, p99, bytesPerKey;
  EchoLatency(median, p99, bytesPerKey);
  results.Add("key echo latency, median", "echo_median_ms", median, "ms", "< 1 ms");
  results.Add("key echo latency, 99th percentile", "echo_p99_ms", p99, "ms", "-");
  results.Add("Esc to the new-task prompt", "esc_to_prompt_ms", EscToPrompt(), "ms", "< 100 ms");
  results.Add("CPU while waiting 5 s at a prompt", "idle_cpu_percent", 100 * IdleCpuShare(),
              "% of a core", "< 1 %");
  double bytes, peakKb, allocations;
  WholeTask(bytes, peakKb, allocations);
  results.Add("bytes to the terminal, whole task", "task_bytes", bytes, "bytes", "< 2048");
  results.Add("bytes to the terminal per echoed key", "bytes_per_key", bytesPerKey, "bytes", "-");
  results.Add("peak resident memory", "peak_resident_kb", peakKb, "KiB", "-");
  results.Add("heap allocations after start-up", "allocations_after_startup", allocations, "calls",
              "0");

  std::printf("%-58s %s\n", "measure (median of repeated runs)", "value");
  for (const auto& [name, value] : results.rows)
    std::printf("%-58s %s\n", name.c_str(), value.c_str());
  if (argc > 1) {
    std::ofstream(argv[1]) << "{\n" << results.json.str() << "\n}\n";
  }
  return 0;
}
