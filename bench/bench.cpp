// netstep's speed and footprint, measured through the end-to-end harness at
// 80x25 and reported as medians over repeated runs: a table on standard
// output, the same as JSON in the file given as the first argument. The
// interactive screens are also timed for the floor program (floor.cpp) and
// reported as ratios to it; the one-shot answer is timed against its peers.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "tests/e2e/harness.h"

namespace {

using bench::Median;
using bench::Ms;
using bench::Percentile;
using bench::Results;
using e2e::Clock;
using e2e::Session;

constexpr int runs = 15;
constexpr int floorRuns = 101;   // each program, interleaved with the other
constexpr int echoSessions = 5;  // each program, 200 keys a session
const std::string prompt = "Enter IP address : ";

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

e2e::LaunchOptions Options(const AllocationCounter* counter = nullptr,
                           const char* program = NETSTEP_BINARY) {
  e2e::LaunchOptions options;
  options.command = e2e::NativeCommand(program);
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

// One launch to the complete first screen.
double FirstScreenOnce(const char* program) {
  Session s(Options(nullptr, program));
  s.WaitFor([&] { return AtPrompt(s); });
  const double ms = Ms(s.SinceLaunch());
  s.Type("n");  // typed into the address line; the session ends with the process
  return ms;
}

// One launch with the whole task typed at once, to the last result line.
double ResultsTypedAheadOnce(const char* program) {
  Session s(Options(nullptr, program));
  s.Type("192.168.1.10\r255.255.255.0\r");
  s.WaitFor([&] { return s.ContainsText("Broadcast address  - 192.168.1.255"); });
  const double ms = Ms(s.SinceLaunch());
  Finish(s);
  return ms;
}

// Time from a key leaving the terminal to its echo on the screen, for 200
// keys typed one by one into the address line; `bytes` gets what reached the
// terminal for them.
std::vector<double> EchoTimes(const char* program, double& bytes) {
  Session s(Options(nullptr, program));
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
  bytes = double(s.OutputSize() - bytesBefore);
  s.Type("\x1b");
  return times;
}

// netstep and the floor program take turns, run by run.
template <typename Once>
void Interleaved(int count, Once once, std::vector<double>& netstep, std::vector<double>& floor) {
  for (int i = 0; i < count; ++i) {
    netstep.push_back(once(NETSTEP_BINARY));
    floor.push_back(once(NETSTEP_FLOOR));
  }
}

void AddFloorRatio(Results& results, const std::string& name, const std::string& key,
                   double netstep, double floor) {
  results.Add(name + ": floor program", key + "_floor_ms", floor, "ms", "-");
  results.Add(name + ": netstep / floor", key + "_floor_ratio", netstep / floor, "x", "<= 1.1");
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
  std::vector<double> first, firstFloor, ahead, aheadFloor, echo, echoFloor;
  Interleaved(floorRuns, FirstScreenOnce, first, firstFloor);
  Interleaved(floorRuns, ResultsTypedAheadOnce, ahead, aheadFloor);
  double bytesPerKey = 0;
  for (int i = 0; i < echoSessions; ++i) {
    double bytes = 0, floorBytes = 0;
    const std::vector<double> times = EchoTimes(NETSTEP_BINARY, bytes);
    const std::vector<double> floorTimes = EchoTimes(NETSTEP_FLOOR, floorBytes);
    echo.insert(echo.end(), times.begin(), times.end());
    echoFloor.insert(echoFloor.end(), floorTimes.begin(), floorTimes.end());
    bytesPerKey += bytes / 200.0 / echoSessions;
  }

  results.Add("launch to first complete screen", "launch_to_first_screen_ms", Median(first), "ms",
              "< 3 ms");
  AddFloorRatio(results, "launch to first complete screen", "launch_to_first_screen", Median(first),
                Median(firstFloor));
  results.Add("launch to results, task typed ahead", "launch_to_results_typed_ahead_ms",
              Median(ahead), "ms", "-");
  AddFloorRatio(results, "launch to results, task typed ahead", "launch_to_results_typed_ahead",
                Median(ahead), Median(aheadFloor));
  results.Add("key echo latency, median", "echo_median_ms", Median(echo), "ms", "< 1 ms");
  results.Add("key echo latency, 99th percentile", "echo_p99_ms", Percentile(echo, 0.99), "ms",
              "-");
  AddFloorRatio(results, "key echo latency, median", "echo_median", Median(echo),
                Median(echoFloor));
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
  bench::CompareOneShot(results);

  std::printf("%-62s %s\n", "measure (median of repeated runs)", "value");
  for (const auto& [name, value] : results.rows)
    std::printf("%-62s %s\n", name.c_str(), value.c_str());
  if (argc > 1) {
    std::ofstream(argv[1]) << "{\n" << results.json.str() << "\n}\n";
  }
  return 0;
}
