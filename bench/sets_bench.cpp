// netstep's sets of networks against Debian's iprange, in one run on one
// machine, the programs taking turns round by round, on two routing tables of
// 1,000,000 IPv4 networks (A, B) and two of 1,000,000 IPv6 networks:
//   exclusion     netstep -f A -x @B       iprange A --exclude-next B
//   intersection  netstep -f A -i @B       iprange A --common B
//   count         netstep -C -f A          iprange -C A
//   union         netstep -A -f A -f B     iprange A B
//   IPv6          netstep -f A6 -x @B6     against netstep's IPv4 exclusion
// Each run: launch to exit, standard output to /dev/null; the child's
// processor time (user and system, from wait4), the wall time and the peak
// memory (ru_maxrss). Before the rounds both programs' networks are compared
// once on the same lists.
//   build/bench/netstep_sets_bench [--rounds N] [--folder DIR]
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
#include <random>
#include <string>
#include <vector>

#include "bench/bench_support.h"

extern char** environ;

namespace {

using bench::Median;
using Clock = std::chrono::steady_clock;
using Random = std::mt19937_64;
using U128 = unsigned __int128;

struct Run {
  double seconds;    // wall
  double processor;  // user and system
  double peakMiB;
  bool ok;
};

double Seconds(const timeval& t) {
  return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

// `argv` with standard input from /dev/null and standard output to `output`.
Run Spawn(const std::vector<std::string>& argv, const std::string& output = "/dev/null") {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
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
  return {bench::Ms(Clock::now() - start) / 1000, Seconds(usage.ru_utime) + Seconds(usage.ru_stime),
          double(usage.ru_maxrss) / 1024, WIFEXITED(status) && WEXITSTATUS(status) == 0};
}

// A network of either family: the address in the upper bits of 128 for IPv4
// too, so that one set of helpers serves both.
struct Net {
  U128 address;
  int prefix;
};

U128 Mask(int prefix) {
  return prefix == 0 ? 0 : ~U128(0) << (128 - prefix);
}

int Roll(Random& random, int below) {
  return int(random() % uint64_t(below));
}

// IPv4: mostly /24 to /16, a few /8 to /15 and /25 to /32, anywhere.
Net Fresh4(Random& random) {
  const int roll = Roll(random, 100000);
  const int prefix = roll < 20      ? 8 + Roll(random, 8)
                     : roll < 6000  ? 16
                     : roll < 36000 ? 17 + Roll(random, 7)
                     : roll < 96000 ? 24
                                    : 25 + Roll(random, 8);
  return {U128(random()) << 96 & Mask(prefix), prefix};
}

// IPv6: mostly /48 and /32, some /29 to /64, a few /128, under 32 blocks of
// /16 as the registries hand them out.
Net Fresh6(Random& random) {
  static constexpr uint16_t blocks[] = {
      0x2001, 0x2400, 0x2401, 0x2402, 0x2403, 0x2404, 0x2405, 0x2406, 0x2407, 0x2600, 0x2601,
      0x2602, 0x2603, 0x2604, 0x2605, 0x2606, 0x2607, 0x2800, 0x2801, 0x2803, 0x2a00, 0x2a01,
      0x2a02, 0x2a03, 0x2a04, 0x2a05, 0x2a06, 0x2a07, 0x2a0a, 0x2a0b, 0x2a0e, 0x2c0f};
  const int roll = Roll(random, 1000);
  const int prefix = roll < 600 ? 48 : roll < 800 ? 32 : roll < 999 ? 29 + Roll(random, 36) : 128;
  const U128 address =
      U128(blocks[Roll(random, 32)]) << 112 | (U128(random()) << 64 | random()) >> 16;
  return {address & Mask(prefix), prefix};
}

// The same network, its sibling, or one up to 8 bits longer inside it.
Net Related(Net n, int bits, Random& random) {
  const int how = Roll(random, 3);
  if (how == 1 && n.prefix > 0) n.address ^= U128(1) << (128 - n.prefix);
  if (how == 2 && n.prefix < bits) {
    const int deeper = n.prefix + 1 + Roll(random, std::min(8, bits - n.prefix));
    n.address |= (U128(random()) << 64 | random()) & Mask(deeper) & ~Mask(n.prefix);
    n.prefix = deeper;
  }
  return n;
}

std::string Text(Net n, int bits) {
  char text[64];
  if (bits == 32) {
    const uint32_t a = uint32_t(n.address >> 96);
    std::snprintf(text, sizeof text, "%u.%u.%u.%u/%d", a >> 24, a >> 16 & 255, a >> 8 & 255,
                  a & 255, n.prefix);
    return text;
  }
  uint16_t groups[8];
  for (int i = 0; i < 8; ++i) groups[i] = uint16_t(n.address >> (112 - 16 * i));
  int run = 0, at = 8;  // the longest run of two or more zero groups becomes "::"
  for (int i = 0, length = 0; i < 8; ++i) {
    length = groups[i] == 0 ? length + 1 : 0;
    if (length > run && length >= 2) run = length, at = i + 1 - length;
  }
  std::string out;
  for (int i = 0; i < 8; ++i) {
    if (i == at) {
      out += "::";
      i += run - 1;
      continue;
    }
    if (!out.empty() && out.back() != ':') out += ':';
    std::snprintf(text, sizeof text, "%x", groups[i]);
    out += text;
  }
  return out + "/" + std::to_string(n.prefix);
}

// Two tables written side by side: in A every tenth network is related to one
// of the 64 before it; in B every tenth to one of A's, every tenth to one of
// its own.
void WriteTables(const std::string& a, const std::string& b, int count, int bits, Random& random) {
  std::ofstream outA(a), outB(b);
  Net recentA[64] = {}, recentB[64] = {};
  Net (*fresh)(Random&) = bits == 32 ? Fresh4 : Fresh6;
  for (int i = 0; i < count; ++i) {
    const int rollA = Roll(random, 10), rollB = Roll(random, 10);
    const Net netA = i > 0 && rollA == 0
                         ? Related(recentA[Roll(random, std::min(i, 64))], bits, random)
                         : fresh(random);
    const Net netB =
        i > 0 && rollB == 0   ? Related(recentA[Roll(random, std::min(i, 64))], bits, random)
        : i > 0 && rollB == 1 ? Related(recentB[Roll(random, std::min(i, 64))], bits, random)
                              : fresh(random);
    recentA[i % 64] = netA;
    recentB[i % 64] = netB;
    outA << Text(netA, bits) << '\n';
    outB << Text(netB, bits) << '\n';
  }
}

struct Contender {
  std::string name;
  std::vector<std::string> argv;
  std::vector<Run> runs;
};

void Measure(std::vector<Contender>& contenders, int rounds) {
  for (int round = 0; round < rounds; ++round)
    for (size_t i = 0; i < contenders.size(); ++i) {
      Contender& c = contenders[(size_t(round) + i) % contenders.size()];
      c.runs.push_back(Spawn(c.argv));
    }
}

struct Summary {
  double processor, seconds, peakMiB;
  std::string text;  // medians with the ranges of the rounds
  bool ok;
};

Summary Summarise(const Contender& c) {
  std::vector<double> processor, seconds;
  Summary s = {0, 0, 0, "", true};
  for (const Run& run : c.runs) {
    processor.push_back(run.processor);
    seconds.push_back(run.seconds);
    s.peakMiB = std::max(s.peakMiB, run.peakMiB);
    s.ok = s.ok && run.ok;
  }
  s.processor = Median(processor);
  s.seconds = Median(seconds);
  char cpu[64], wall[64], text[160];
  std::snprintf(cpu, sizeof cpu, "%.3f (%.3f-%.3f)", s.processor,
                *std::min_element(processor.begin(), processor.end()),
                *std::max_element(processor.begin(), processor.end()));
  std::snprintf(wall, sizeof wall, "%.3f (%.3f-%.3f)", s.seconds,
                *std::min_element(seconds.begin(), seconds.end()),
                *std::max_element(seconds.begin(), seconds.end()));
  std::snprintf(text, sizeof text, "%-21s  %-21s  %8.1f", cpu, wall, s.peakMiB);
  s.text = text;
  return s;
}

// The lines of two outputs the same, a bare address of iprange's read as /32.
bool SameNetworks(const std::string& ours, const std::string& theirs, long& lines) {
  std::ifstream a(ours), b(theirs);
  std::string x, y;
  for (lines = 0;; ++lines) {
    const bool moreA = bool(std::getline(a, x)), moreB = bool(std::getline(b, y));
    if (!moreA || !moreB) return moreA == moreB;
    if (y.find('/') == std::string::npos) y += "/32";
    if (x != y) return false;
  }
}

// "IPv4 addresses - N" against iprange's "entries,N".
bool SameCount(const std::string& ours, const std::string& theirs, long& lines) {
  std::ifstream a(ours), b(theirs);
  std::string x, y;
  lines = 1;
  return std::getline(a, x) && std::getline(b, y) && y.find(',') != std::string::npos &&
         x == "IPv4 addresses - " + y.substr(y.find(',') + 1);
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 3;
  std::string folder = "/tmp/netstep_sets_bench";
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--folder") == 0) folder = argv[i + 1];
  }
  if (!Spawn({"sh", "-c", "command -v iprange"}).ok) {
    std::printf("iprange is not installed (apt-get install iprange): nothing to compare with\n");
    return 1;
  }
  Spawn({"mkdir", "-p", folder});
  Random random(20261209);
  const std::string a = folder + "/a", b = folder + "/b", a6 = folder + "/a6", b6 = folder + "/b6";
  WriteTables(a, b, 1000000, 32, random);
  WriteTables(a6, b6, 1000000, 128, random);
  const std::string netstep = NETSTEP_BINARY;
  rusage self{};
  getrusage(RUSAGE_SELF, &self);
  // A child starts its peak from this process's: the kernel carries the peak
  // of the memory it was spawned from across the exec.
  std::printf("peak memory below %.1f MiB reads as that much; %d rounds\n",
              double(self.ru_maxrss) / 1024, rounds);

  struct Work {
    const char* name;
    Contender netstep, iprange;
    bool (*same)(const std::string&, const std::string&, long&);
    bool memoryGoal;
  };
  std::vector<Work> works = {
      {"exclusion A - B",
       {"netstep -f A -x @B", {netstep, "-f", a, "-x", "@" + b}, {}},
       {"iprange A --exclude-next B", {"iprange", a, "--exclude-next", b}, {}},
       SameNetworks,
       true},
      {"intersection",
       {"netstep -f A -i @B", {netstep, "-f", a, "-i", "@" + b}, {}},
       {"iprange A --common B", {"iprange", a, "--common", b}, {}},
       SameNetworks,
       false},
      {"count of addresses",
       {"netstep -C -f A", {netstep, "-C", "-f", a}, {}},
       {"iprange -C A", {"iprange", "-C", a}, {}},
       SameCount,
       false},
      {"union of A and B",
       {"netstep -A -f A -f B", {netstep, "-A", "-f", a, "-f", b}, {}},
       {"iprange A B", {"iprange", a, b}, {}},
       SameNetworks,
       false}};
  Contender v6 = {"netstep -f A6 -x @B6", {netstep, "-f", a6, "-x", "@" + b6}, {}};

  bool allSame = true;
  for (Work& work : works) {
    long lines = 0;
    const std::string ours = folder + "/ours", theirs = folder + "/theirs";
    const bool same = Spawn(work.netstep.argv, ours).ok && Spawn(work.iprange.argv, theirs).ok &&
                      work.same(ours, theirs, lines);
    std::printf("%-19s netstep and iprange %s (%ld lines)\n", work.name, same ? "agree" : "DIFFER",
                lines);
    allSame = allSame && same;
  }

  std::printf("\n%-19s %-27s %-21s  %-21s  %8s %6s  %s\n", "work", "program",
              "CPU s median (range)", "wall s median (range)", "peak MiB", "CPU", "goal");
  int missed = 0;
  auto row = [&](const char* work, const Contender& c, const Summary& s, const char* ratio,
                 const std::string& goal) {
    std::printf("%-19s %-27s %s %6s  %s%s\n", work, c.name.c_str(), s.text.c_str(), ratio,
                goal.c_str(), s.ok ? "" : "  (FAILED)");
  };
  Summary v4Exclusion = {};
  for (Work& work : works) {
    std::vector<Contender> turn = {work.netstep, work.iprange};
    if (&work == &works[0]) turn.push_back(v6);  // IPv6 in the same rounds as IPv4
    Measure(turn, rounds);
    const Summary ours = Summarise(turn[0]), theirs = Summarise(turn[1]);
    const double ratio = ours.processor / theirs.processor;
    const bool met = ratio <= 0.5 && (!work.memoryGoal || ours.peakMiB <= theirs.peakMiB);
    missed += !met;
    char text[32];
    std::snprintf(text, sizeof text, "%.2fx", ratio);
    row(work.name, turn[0], ours, text,
        std::string(work.memoryGoal ? "<= 0.5x CPU, no more memory: " : "<= 0.5x CPU: ") +
            (met ? "met" : "MISSED"));
    row("", turn[1], theirs, "", "");
    if (&work == &works[0]) {
      v4Exclusion = ours;
      v6 = turn[2];
    }
  }
  const Summary ours6 = Summarise(v6);
  const double ratio6 = ours6.processor / v4Exclusion.processor;
  missed += ratio6 > 2;
  char text[32];
  std::snprintf(text, sizeof text, "%.2fx", ratio6);
  row("IPv6 exclusion", v6, ours6, text,
      std::string("<= 2x netstep's IPv4 CPU: ") + (ratio6 <= 2 ? "met" : "MISSED"));
  std::printf("\n%d goal(s) missed; %s\n", missed,
              allSame ? "the same networks as iprange" : "NETWORKS DIFFER from iprange");
  return allSame ? 0 : 1;
}
