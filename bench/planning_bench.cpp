// netstep's planning forms against the tools a network engineer already has,
// IPv6 against IPv4, and against an earlier netstep, in one run on one
// machine, the programs taking turns round by round:
//   split    netstep -s 32 10.0.0.0/8      prips 10.0.0.0/8, ipcalc-ng -S 32 10.0.0.0/8
//            netstep -s 64 2001:db8::/40   ipcalc-ng -S 64 2001:db8::/48 and sipcalc -S 64
//                                          2001:db8::/48 (a 256th of the work), per network
//   -A       routing tables of 1,000,000 networks, IPv4 and IPv6: Python's
//            collapse_addresses on each (its IPv6 networks checked against
//            netstep's); Debian's aggregate on the first 20,000 IPv4 lines (it
//            grows faster than linearly)
//   -f       1,000,000 ADDRESS/PREFIX lines of each family, answered: a shell loop
//            of ipcalc-ng on the first 1,000 IPv4 lines, scaled
// and netstep's JSON (-j) on the same work; with --baseline, another netstep
// (say 1.1.0, built from its commit) on the IPv4 work. Each run: launch to
// exit, standard output to /dev/null; wall time, CPU time (the child's user
// and system time), peak memory (ru_maxrss). Then the goals, met or missed.
//   build/bench/netstep_planning_bench [--rounds N] [--folder DIR] [--baseline PATH]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
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
  double cpuSeconds;
  double peakMiB;
  bool ok;
};

double Seconds(timeval t) {
  return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

// `argv` with standard input from `input` ("" for /dev/null), standard output
// to `output`.
Run Spawn(const std::vector<std::string>& argv, const std::string& input,
          const std::string& output = "/dev/null") {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO,
                                   input.empty() ? "/dev/null" : input.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> pointers;
  for (const std::string& arg : argv) pointers.push_back(const_cast<char*>(arg.c_str()));
  pointers.push_back(nullptr);
  const Clock::time_point start = Clock::now();
  pid_t pid = -1;
  const int spawned =
      posix_spawnp(&pid, argv[0].c_str(), &actions, nullptr, pointers.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return {0, 0, 0, false};
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const double seconds = bench::Ms(Clock::now() - start) / 1000;
  return {seconds, Seconds(usage.ru_utime) + Seconds(usage.ru_stime),
          double(usage.ru_maxrss) / 1024, WIFEXITED(status) && WEXITSTATUS(status) == 0};
}

bool Installed(const std::string& program) {
  return Spawn({"sh", "-c", "command -v " + program + " >/dev/null"}, "").ok;
}

// The first line a program writes for `argument`, e.g. its version.
std::string FirstLine(const std::string& program, const std::string& argument) {
  std::string line;
  if (FILE* pipe = popen(("'" + program + "' " + argument + " 2>/dev/null").c_str(), "r")) {
    char text[256];
    if (std::fgets(text, sizeof text, pipe)) line = text;
    pclose(pipe);
  }
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return line;
}

struct Contender {
  Contender(std::string name, std::vector<std::string> argv, std::string input, double work,
            int family = 4, std::string keep = "")
      : name(std::move(name)),
        argv(std::move(argv)),
        input(std::move(input)),
        work(work),
        family(family),
        keep(std::move(keep)) {}
  std::string name;
  std::vector<std::string> argv;
  std::string input;
  double work;       // networks or answers one run handles
  int family;        // of the work: a row is held to the first row of its family
  std::string keep;  // where the first round's output goes; "" for /dev/null
  std::vector<double> seconds;
  std::vector<double> cpuSeconds;
  double peakMiB = 0;
  bool ok = true;
};

// ---- The work

std::string Dotted(uint32_t a) {
  return std::to_string(a >> 24) + "." + std::to_string(a >> 16 & 255) + "." +
         std::to_string(a >> 8 & 255) + "." + std::to_string(a & 255);
}

// An IPv6 address as RFC 5952 writes it (no IPv4-mapped ones are made here).
std::string Text6(uint64_t high, uint64_t low) {
  uint16_t groups[8];
  for (int i = 0; i < 4; ++i) {
    groups[i] = uint16_t(high >> (48 - 16 * i));
    groups[i + 4] = uint16_t(low >> (48 - 16 * i));
  }
  int runStart = 8, runLength = 0;
  for (int i = 0; i < 8;) {
    int end = i;
    while (end < 8 && groups[end] == 0) ++end;
    if (end - i >= 2 && end - i > runLength) runStart = i, runLength = end - i;
    i = end == i ? i + 1 : end;
  }
  std::string text;
  char group[8];
  for (int i = 0; i < 8;) {
    if (i == runStart) {
      text += "::";
      i += runLength;
      continue;
    }
    if (!text.empty() && text.back() != ':') text += ':';
    std::snprintf(group, sizeof group, "%x", unsigned(groups[i++]));
    text += group;
  }
  return text;
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

uint64_t Random64(std::mt19937& random) {
  const uint64_t high = random();
  return high << 32 | random();
}

struct Route6 {
  uint64_t high, low;
  int prefix;
};

// The network of `prefix` that holds the address.
Route6 Masked(uint64_t high, uint64_t low, int prefix) {
  const auto maskOf = [](int bits) { return bits <= 0 ? 0 : ~uint64_t(0) << (64 - bits); };
  return {high & maskOf(std::min(prefix, 64)), low & maskOf(prefix - 64), prefix};
}

// A routing table's shape: allocations of 2000::/3 announced whole (/32) and
// as /48s, some /29 to /64 and a few /128 in them, siblings of routes just
// made, duplicates.
void WriteRoutes6(const std::string& path, int count, std::mt19937& random) {
  std::vector<uint64_t> allocations(size_t(count) / 5);
  for (uint64_t& a : allocations) a = (0x20000000 | random() % 0x20000000) * (uint64_t(1) << 32);
  std::vector<Route6> recent(4096);
  std::ofstream out(path);
  for (int i = 0; i < count; ++i) {
    const uint32_t roll = i == 0 ? 0 : random() % 100;
    const uint64_t allocation = allocations[random() % allocations.size()];
    Route6 route;
    if (roll < 50) {
      route = Masked(allocation | Random64(random) >> 32, 0, 48);
    } else if (roll < 75) {
      route = {allocation, 0, 32};
    } else if (roll < 85) {
      route = Masked(allocation | Random64(random) >> 32, 0, 29 + int(random() % 36));
    } else if (roll < 88) {
      route = {allocation | Random64(random) >> 32, Random64(random), 128};
    } else {  // a sibling, the other half of the network above it, or a duplicate
      route = recent[random() % std::min(i, 4096)];
      if (roll < 95 && route.prefix <= 64) route.high ^= uint64_t(1) << (64 - route.prefix);
      if (roll < 95 && route.prefix > 64) route.low ^= uint64_t(1) << (128 - route.prefix);
    }
    recent[size_t(i) % recent.size()] = route;
    out << Text6(route.high, route.low) << "/" << route.prefix << "\n";
  }
}

void WriteAddresses6(const std::string& path, int count, std::mt19937& random) {
  std::ofstream out(path);
  for (int i = 0; i < count; ++i) {
    const uint64_t high = 0x2000000000000000 | Random64(random) >> 3;
    out << Text6(high, Random64(random)) << "/" << 16 + random() % 113 << "\n";
  }
}

void Head(const std::string& from, const std::string& to, int lines) {
  std::ifstream in(from);
  std::ofstream out(to);
  std::string line;
  for (int i = 0; i < lines && std::getline(in, line); ++i) out << line << "\n";
}

bool SameFiles(const std::string& a, const std::string& b) {
  std::ifstream first(a), second(b);
  return first && second &&
         std::equal(std::istreambuf_iterator<char>(first), std::istreambuf_iterator<char>(),
                    std::istreambuf_iterator<char>(second), std::istreambuf_iterator<char>());
}

// ---- Measuring and reporting

void Measure(std::vector<Contender>& contenders, int rounds) {
  for (int round = 0; round < rounds; ++round) {
    for (size_t i = 0; i < contenders.size(); ++i) {
      Contender& c = contenders[(size_t(round) + i) % contenders.size()];
      const Run run = Spawn(c.argv, c.input, round == 0 && !c.keep.empty() ? c.keep : "/dev/null");
      c.seconds.push_back(run.seconds);
      c.cpuSeconds.push_back(run.cpuSeconds);
      c.peakMiB = std::max(c.peakMiB, run.peakMiB);
      c.ok = c.ok && run.ok;
    }
  }
}

std::string MedianRange(const std::vector<double>& values) {
  char text[64];
  std::snprintf(text, sizeof text, "%.3f (%.3f-%.3f)", Median(values),
                *std::min_element(values.begin(), values.end()),
                *std::max_element(values.begin(), values.end()));
  return text;
}

double Rate(const Contender& c) {
  return c.work / Median(c.seconds);
}

// Per program: the median wall and CPU time with the range of the rounds, the
// work per second of wall time at the median, the peak memory, and the lead
// at the median wall time of the first row of its family, netstep.
void Report(const char* work, const std::vector<Contender>& contenders) {
  std::printf("\n%s\n%-38s %22s %22s %11s %8s %10s\n", work, "program", "wall s: median (range)",
              "CPU s: median (range)", "per second", "peak MiB", "netstep is");
  for (const Contender& c : contenders) {
    const Contender& netstep =
        *std::find_if(contenders.begin(), contenders.end(),
                      [&](const Contender& first) { return first.family == c.family; });
    std::printf("%-38s %22s %22s %11.0f %8.1f %9.1fx%s\n", c.name.c_str(),
                MedianRange(c.seconds).c_str(), MedianRange(c.cpuSeconds).c_str(), Rate(c),
                c.peakMiB, Rate(netstep) / Rate(c), c.ok ? "" : "  (failed)");
  }
}

const Contender* Find(const std::vector<Contender>& contenders, const std::string& name) {
  for (const Contender& c : contenders)
    if (c.name == name) return &c;
  return nullptr;
}

double CpuPerWork(const Contender& c) {
  return Median(c.cpuSeconds) / c.work;
}

double WallPerWork(const Contender& c) {
  return Median(c.seconds) / c.work;
}

void Goal(const char* what, const std::string& measured, const char* goal, bool met) {
  std::printf("  %-52s %-26s %-20s %s\n", what, measured.c_str(), goal, met ? "met" : "MISSED");
}

std::string Format(const char* format, double a, double b = 0) {
  char text[96];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

// The faster peer per network: its wall and CPU time per network.
void SplitGoal(const std::vector<Contender>& split6) {
  const Contender* fastest = nullptr;
  for (size_t i = 2; i < split6.size(); ++i) {
    if (split6[i].ok && (!fastest || WallPerWork(split6[i]) < WallPerWork(*fastest)))
      fastest = &split6[i];
  }
  if (!fastest) {
    std::printf("  IPv6 split: no peer installed\n");
    return;
  }
  const double wallLead = WallPerWork(*fastest) / WallPerWork(split6[0]);
  const double cpuLead = CpuPerWork(*fastest) / CpuPerWork(split6[0]);
  Goal(("IPv6 split, per network, against " + fastest->name.substr(0, fastest->name.find(' ')))
           .c_str(),
       Format("%.1fx wall, %.1fx CPU", wallLead, cpuLead), "at least 10x", wallLead >= 10);
  Goal("IPv6 split, peak memory", Format("%.1f MiB", split6[0].peakMiB), "under 4 MiB",
       split6[0].peakMiB < 4);
}

// netstep against the baseline on one IPv4 form: CPU time per work.
void BaselineGoal(const char* what, const std::vector<Contender>& contenders,
                  const std::string& baseline) {
  const Contender* base = Find(contenders, baseline);
  if (!base) return;
  const double cpu = CpuPerWork(contenders[0]) / CpuPerWork(*base) - 1;
  const double wall = WallPerWork(contenders[0]) / WallPerWork(*base) - 1;
  Goal(what, Format("%+.1f %% CPU, %+.1f %% wall", 100 * cpu, 100 * wall), "at most +5 % CPU",
       cpu <= 0.05);
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 3;
  std::string folder = "/tmp/netstep_planning_bench", baselinePath;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--folder") == 0) folder = argv[i + 1];
    if (std::strcmp(argv[i], "--baseline") == 0) baselinePath = argv[i + 1];
  }
  Spawn({"mkdir", "-p", folder}, "");
  const std::string routes = folder + "/routes", routes20k = folder + "/routes20k";
  const std::string addresses = folder + "/addresses", addresses1k = folder + "/addresses1k";
  const std::string routes6 = folder + "/routes6", addresses6 = folder + "/addresses6";
  // Made by a child, whose memory leaves this process's peak, and so every
  // child's floor, as it was.
  const pid_t writer = fork();
  if (writer == 0) {
    std::mt19937 random(20261209);
    WriteRoutes(routes, 1000000, random);
    Head(routes, routes20k, 20000);
    WriteAddresses(addresses, 1000000, random);
    Head(addresses, addresses1k, 1000);
    WriteRoutes6(routes6, 1000000, random);
    WriteAddresses6(addresses6, 1000000, random);
    _exit(0);
  }
  int written = -1;
  if (writer < 0 || waitpid(writer, &written, 0) != writer || written != 0) {
    std::fprintf(stderr, "netstep_planning_bench: the work could not be written to %s\n",
                 folder.c_str());
    return 1;
  }
  const std::string netstep = NETSTEP_BINARY;
  std::string baseline = baselinePath.empty() ? "" : FirstLine(baselinePath, "-V");
  if (!baselinePath.empty() && baseline.empty()) baseline = "baseline";
  rusage self{};
  getrusage(RUSAGE_SELF, &self);
  // A child starts its peak from this process's: the kernel carries the peak
  // of the memory it was spawned from across the exec.
  std::printf("peak memory below %.1f MiB reads as that much\n", double(self.ru_maxrss) / 1024);
  if (!baselinePath.empty())
    std::printf("baseline: %s (%s)\n", baseline.c_str(), baselinePath.c_str());

  std::vector<Contender> split = {
      {"netstep -s 32 10.0.0.0/8", {netstep, "-s", "32", "10.0.0.0/8"}, "", 16777216},
      {"netstep -j -s 32 10.0.0.0/8", {netstep, "-j", "-s", "32", "10.0.0.0/8"}, "", 16777216}};
  if (!baseline.empty())
    split.push_back(
        {baseline + " -s 32 10.0.0.0/8", {baselinePath, "-s", "32", "10.0.0.0/8"}, "", 16777216});
  if (Installed("prips"))
    split.push_back({"prips 10.0.0.0/8", {"prips", "10.0.0.0/8"}, "", 16777216});
  if (Installed("ipcalc-ng"))
    split.push_back(
        {"ipcalc-ng -S 32 10.0.0.0/8", {"ipcalc-ng", "-S", "32", "10.0.0.0/8"}, "", 16777216});
  Measure(split, rounds);
  Report("IPv4 split of a /8 into /32s (networks)", split);

  std::vector<Contender> split6 = {
      {"netstep -s 64 2001:db8::/40", {netstep, "-s", "64", "2001:db8::/40"}, "", 16777216, 6},
      {"netstep -j -s 64 2001:db8::/40",
       {netstep, "-j", "-s", "64", "2001:db8::/40"},
       "",
       16777216,
       6}};
  if (Installed("ipcalc-ng"))
    split6.push_back({"ipcalc-ng -S 64 2001:db8::/48",
                      {"ipcalc-ng", "-S", "64", "2001:db8::/48"},
                      "",
                      65536,
                      6});
  if (Installed("sipcalc"))
    split6.push_back(
        {"sipcalc -S 64 2001:db8::/48", {"sipcalc", "-S", "64", "2001:db8::/48"}, "", 65536, 6});
  Measure(split6, rounds);
  Report("IPv6 split of a /40 into /64s (networks; the peers split a /48)", split6);

  const std::string collapse =
      "import ipaddress,sys\n"
      "for n in ipaddress.collapse_addresses(ipaddress.ip_network(l.strip()) for l in sys.stdin):"
      " print(n)";
  const std::string python6 = folder + "/collapsed6.python", netstep6 = folder + "/collapsed6";
  std::vector<Contender> aggregate = {
      {"netstep -A (IPv4)", {netstep, "-A"}, routes, 1000000},
      {"netstep -A (IPv6)", {netstep, "-A"}, routes6, 1000000, 6},
      {"netstep -j -A (IPv4)", {netstep, "-j", "-A"}, routes, 1000000},
      {"netstep -j -A (IPv6)", {netstep, "-j", "-A"}, routes6, 1000000, 6},
      {"python3 collapse_addresses (IPv4)", {"python3", "-c", collapse}, routes, 1000000},
      {"python3 collapse_addresses (IPv6)",
       {"python3", "-c", collapse},
       routes6,
       1000000,
       6,
       python6}};
  if (!baseline.empty())
    aggregate.push_back({baseline + " -A (IPv4)", {baselinePath, "-A"}, routes, 1000000});
  if (Installed("aggregate"))
    aggregate.push_back({"aggregate (first 20,000 IPv4)", {"aggregate", "-q"}, routes20k, 20000});
  Measure(aggregate, rounds);
  Report("aggregation of a routing table of 1,000,000 networks (networks read)", aggregate);
  Spawn({netstep, "-A"}, routes6, netstep6);

  std::vector<Contender> answers = {
      {"netstep -f (IPv4)", {netstep, "-f", "-"}, addresses, 1000000},
      {"netstep -f (IPv6)", {netstep, "-f", "-"}, addresses6, 1000000, 6},
      {"netstep -j -f (IPv4)", {netstep, "-j", "-f", "-"}, addresses, 1000000},
      {"netstep -j -f (IPv6)", {netstep, "-j", "-f", "-"}, addresses6, 1000000, 6}};
  if (!baseline.empty())
    answers.push_back({baseline + " -f (IPv4)", {baselinePath, "-f", "-"}, addresses, 1000000});
  if (Installed("ipcalc-ng"))
    answers.push_back({"ipcalc-ng loop (first 1,000 IPv4)",
                       {"sh", "-c", "while read l; do ipcalc-ng \"$l\"; done"},
                       addresses1k,
                       1000});
  Measure(answers, rounds);
  Report("answers for a list of 1,000,000 networks (answers)", answers);

  std::printf("\ngoals, at the medians (CPU time: the child's user and system time)\n");
  const double cpuRatio = Median(aggregate[1].cpuSeconds) / Median(aggregate[0].cpuSeconds);
  Goal("IPv6 -A, CPU time against IPv4 -A", Format("%.2fx", cpuRatio), "at most 2x", cpuRatio <= 2);
  Goal("IPv6 -A, peak memory", Format("%.1f MiB", aggregate[1].peakMiB), "at most 40 MiB",
       aggregate[1].peakMiB <= 40);
  const bool same = SameFiles(netstep6, python6);
  Goal("IPv6 -A, the same networks as Python's", same ? "the same" : "different", "the same", same);
  SplitGoal(split6);
  const double wallRate = answers[1].work / Median(answers[1].seconds);
  const double cpuRate = answers[1].work / Median(answers[1].cpuSeconds);
  Goal("IPv6 -f, answers per second",
       Format("%.2f M wall, %.2f M CPU", wallRate / 1e6, cpuRate / 1e6), "at least 2 M",
       wallRate >= 2e6);
  BaselineGoal("IPv4 -s 32 10.0.0.0/8 against the baseline", split, baseline + " -s 32 10.0.0.0/8");
  BaselineGoal("IPv4 -A against the baseline", aggregate, baseline + " -A (IPv4)");
  BaselineGoal("IPv4 -f against the baseline", answers, baseline + " -f (IPv4)");
  return 0;
}
