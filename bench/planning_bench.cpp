// netstep's planning forms against the tools a network engineer already has,
// in one run on one machine, the programs taking turns round by round:
//   split    netstep -s 32 10.0.0.0/8      prips 10.0.0.0/8, ipcalc-ng -S 32 10.0.0.0/8
//   -A       a routing table of 1,000,000 networks: Python's collapse_addresses;
//            Debian's aggregate on its first 20,000 lines (it grows faster than
//            linearly)
//   -f       1,000,000 ADDRESS/PREFIX lines, the four lines each: a shell loop of
//            ipcalc-ng on the first 1,000, scaled
// and netstep's JSON (-j) on the same work. Each run: launch to exit, standard
// output to /dev/null, peak memory from the kernel (ru_maxrss).
//   build/bench/netstep_planning_bench [--rounds N] [--folder DIR]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_support.h"

extern char** environ;

namespace {

using bench::Median;
using Clock = std::chrono::steady_clock;

struct Run {
  double seconds;
  double peakMiB;
  bool ok;
};

// `argv` with standard input from `input` ("" for /dev/null), standard output
// to /dev/null.
Run Spawn(const std::vector<std::string>& argv, const std::string& input) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO,
                                   input.empty() ? "/dev/null" : input.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> pointers;
  for (const std::string& arg : argv) pointers.push_back(const_cast<char*>(arg.c_str()));
  pointers.push_back(nullptr);
  const Clock::time_point start = Clock::now();
  pid_t pid = -1;
  const int spawned =
      posix_spawnp(&pid, argv[0].c_str(), &actions, nullptr, pointers.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return {0, 0, false};
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const double seconds = bench::Ms(Clock::now() - start) / 1000;
  return {seconds, double(usage.ru_maxrss) / 1024, WIFEXITED(status) && WEXITSTATUS(status) == 0};
}

bool Installed(const std::string& program) {
  return Spawn({"sh", "-c", "command -v " + program + " >/dev/null"}, "").ok;
}

struct Contender {
  Contender(std::string name, std::vector<std::string> argv, std::string input, double work)
      : name(std::move(name)), argv(std::move(argv)), input(std::move(input)), work(work) {}
  std::string name;
  std::vector<std::string> argv;
  std::string input;
  double work;  // networks or answers one run handles
  std::vector<double> seconds;
  double peakMiB = 0;
  bool ok = true;
};

std::string Dotted(uint32_t a) {
  return std::to_string(a >> 24) + "." + std::to_string(a >> 16 & 255) + "." +
         std::to_string(a >> 8 & 255) + "." + std::to_string(a & 255);
}

// Mostly /24, some /16 to /23, a few /8 to /15, at random addresses.
void WriteRoutes(const std::string& path, int count, std::mt19937& random) {
  std::ofstream out(path);
  for (int i = 0; i < count; ++i) {
    const uint32_t roll = random() % 100;
    const int prefix = roll < 70 ? 24 : roll < 97 ? 16 + int(random() % 8) : 8 + int(random() % 8);
    const uint32_t mask = uint32_t(0xFFFFFFFF) << (32 - prefix);
    out << Dotted(uint32_t(random()) & mask) << "/" << prefix << "\n";
  }
}

void WriteAddresses(const std::string& path, int count, std::mt19937& random) {
  std::ofstream out(path);
  for (int i = 0; i < count; ++i)
    out << Dotted(uint32_t(random())) << "/" << 8 + random() % 23 << "\n";
}

void Head(const std::string& from, const std::string& to, int lines) {
  std::ifstream in(from);
  std::ofstream out(to);
  std::string line;
  for (int i = 0; i < lines && std::getline(in, line); ++i) out << line << "\n";
}

void Measure(std::vector<Contender>& contenders, int rounds) {
  for (int round = 0; round < rounds; ++round) {
    for (size_t i = 0; i < contenders.size(); ++i) {
      Contender& c = contenders[(size_t(round) + i) % contenders.size()];
      const Run run = Spawn(c.argv, c.input);
      c.seconds.push_back(run.seconds);
      c.peakMiB = std::max(c.peakMiB, run.peakMiB);
      c.ok = c.ok && run.ok;
    }
  }
}

// Per program: the median time with the range of the rounds, the work per
// second at the median, the peak memory, and netstep's lead at the median.
void Report(const char* work, const std::vector<Contender>& contenders) {
  std::printf("\n%s\n%-32s %22s %14s %9s %11s\n", work, "program", "seconds: median (range)",
              "per second", "peak MiB", "netstep is");
  const double netstepRate = contenders[0].work / Median(contenders[0].seconds);
  for (const Contender& c : contenders) {
    const double seconds = Median(c.seconds);
    const double rate = c.work / seconds;
    char times[64];
    std::snprintf(times, sizeof times, "%.3f (%.3f-%.3f)", seconds,
                  *std::min_element(c.seconds.begin(), c.seconds.end()),
                  *std::max_element(c.seconds.begin(), c.seconds.end()));
    std::printf("%-32s %22s %14.0f %9.1f %10.1fx%s\n", c.name.c_str(), times, rate, c.peakMiB,
                netstepRate / rate, c.ok ? "" : "  (failed)");
  }
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 3;
  std::string folder = "/tmp/netstep_planning_bench";
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--folder") == 0) folder = argv[i + 1];
  }
  Spawn({"mkdir", "-p", folder}, "");
  std::mt19937 random(20261209);
  const std::string routes = folder + "/routes", routes20k = folder + "/routes20k";
  const std::string addresses = folder + "/addresses", addresses1k = folder + "/addresses1k";
  WriteRoutes(routes, 1000000, random);
  Head(routes, routes20k, 20000);
  WriteAddresses(addresses, 1000000, random);
  Head(addresses, addresses1k, 1000);
  const std::string netstep = NETSTEP_BINARY;
  rusage self{};
  getrusage(RUSAGE_SELF, &self);
  // A child starts its peak from this process's: the kernel carries the peak
  // of the memory it was spawned from across the exec.
  std::printf("peak memory below %.1f MiB reads as that much\n", double(self.ru_maxrss) / 1024);

  std::vector<Contender> split = {
      {"netstep -s 32 10.0.0.0/8", {netstep, "-s", "32", "10.0.0.0/8"}, "", 16777216},
      {"netstep -j -s 32 10.0.0.0/8", {netstep, "-j", "-s", "32", "10.0.0.0/8"}, "", 16777216}};
  if (Installed("prips"))
    split.push_back({"prips 10.0.0.0/8", {"prips", "10.0.0.0/8"}, "", 16777216});
  if (Installed("ipcalc-ng"))
    split.push_back(
        {"ipcalc-ng -S 32 10.0.0.0/8", {"ipcalc-ng", "-S", "32", "10.0.0.0/8"}, "", 16777216});
  Measure(split, rounds);
  Report("split of a /8 into /32s (networks)", split);

  std::vector<Contender> aggregate = {
      {"netstep -A (1,000,000)", {netstep, "-A"}, routes, 1000000},
      {"netstep -j -A (1,000,000)", {netstep, "-j", "-A"}, routes, 1000000},
      {"python3 collapse_addresses",
       {"python3", "-c",
        "import ipaddress,sys\n"
        "for n in ipaddress.collapse_addresses(ipaddress.ip_network(l.strip()) for l in sys.stdin):"
        " print(n)"},
       routes,
       1000000}};
  if (Installed("aggregate"))
    aggregate.push_back({"aggregate (first 20,000)", {"aggregate", "-q"}, routes20k, 20000});
  Measure(aggregate, rounds);
  Report("aggregation of a routing table (networks read)", aggregate);

  std::vector<Contender> answers = {
      {"netstep -f (1,000,000)", {netstep, "-f", "-"}, addresses, 1000000},
      {"netstep -j -f (1,000,000)", {netstep, "-j", "-f", "-"}, addresses, 1000000}};
  if (Installed("ipcalc-ng"))
    answers.push_back({"ipcalc-ng loop (first 1,000)",
                       {"sh", "-c", "while read l; do ipcalc-ng \"$l\"; done"},
                       addresses1k,
                       1000});
  Measure(answers, rounds);
  Report("answers for a list of networks (answers)", answers);
  return 0;
}
