// netstep's grep by networks against Debian's grepcidr, in one run on one
// machine, the programs taking turns round by round, on access logs of
// 1,000,000 lines (combined format) made up from a seed:
//   IPv4      netstep -g @NETS LOG        grepcidr -f NETS LOG
//             10,000 IPv4 networks, /8 to /32, mostly /16 to /24
//   both      the same with half the clients IPv6 and 5,000 networks of each
//             family in the list (IPv6 mostly /32 to /64)
//   count     netstep -c -g @NETS LOG     grepcidr -c -f NETS LOG
// About 30 % of the clients are inside the list; the addresses a user agent
// or a referer holds never are. Each run: launch to exit, standard output to
// /dev/null; the child's processor time (user and system, from wait4), the
// wall time and the peak memory (ru_maxrss). Before the rounds both programs'
// outputs are compared byte for byte, and the counts with the generator's.
//   build/bench/netstep_grep_bench [--rounds N] [--folder DIR]
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
#include <utility>
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

// A network of either family, its address in the family's own width: IPv4
// below 2^32.
struct Net {
  U128 address;
  int prefix;
  int bits;  // 32 or 128
};

U128 HostBits(const Net& n) {
  return n.prefix == n.bits ? 0 : ~U128(0) >> (128 - n.bits + n.prefix);
}

int Roll(Random& random, int below) {
  return int(random() % uint64_t(below));
}

U128 Random128(Random& random) {
  return U128(random()) << 64 | random();
}

// Per thousand: /8 to /15 two, /16 fifty, /17 to /23 three hundred, /24 five
// hundred and fifty, /25 to /32 the rest.
Net Fresh4(Random& random) {
  const int roll = Roll(random, 1000);
  const int prefix = roll < 2     ? 8 + Roll(random, 8)
                     : roll < 52  ? 16
                     : roll < 352 ? 17 + Roll(random, 7)
                     : roll < 902 ? 24
                                  : 25 + Roll(random, 8);
  Net n = {random() & 0xFFFFFFFFu, prefix, 32};
  n.address &= ~HostBits(n);
  return n;
}

// An IPv6 address under one of 32 blocks of /16 as the registries hand them
// out.
U128 Address6(Random& random) {
  static constexpr uint16_t blocks[] = {
      0x2001, 0x2400, 0x2401, 0x2402, 0x2403, 0x2404, 0x2405, 0x2406, 0x2407, 0x2600, 0x2601,
      0x2602, 0x2603, 0x2604, 0x2605, 0x2606, 0x2607, 0x2800, 0x2801, 0x2803, 0x2a00, 0x2a01,
      0x2a02, 0x2a03, 0x2a04, 0x2a05, 0x2a06, 0x2a07, 0x2a0a, 0x2a0b, 0x2a0e, 0x2c0f};
  return U128(blocks[Roll(random, 32)]) << 112 | Random128(random) >> 16;
}

// Per thousand: /20 to /31 ten, /32 two hundred, /33 to /47 a hundred and
// fifty, /48 three hundred and fifty, /49 to /63 a hundred, /64 a hundred and
// seventy, /65 to /128 the rest.
Net Fresh6(Random& random) {
  const int roll = Roll(random, 1000);
  const int prefix = roll < 10    ? 20 + Roll(random, 12)
                     : roll < 210 ? 32
                     : roll < 360 ? 33 + Roll(random, 15)
                     : roll < 710 ? 48
                     : roll < 810 ? 49 + Roll(random, 15)
                     : roll < 980 ? 64
                                  : 65 + Roll(random, 64);
  Net n = {Address6(random), prefix, 128};
  n.address &= ~HostBits(n);
  return n;
}

std::string Text(U128 address, int bits) {
  char text[64];
  if (bits == 32) {
    const uint32_t a = uint32_t(address);
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", a >> 24, a >> 16 & 255, a >> 8 & 255, a & 255);
    return text;
  }
  uint16_t groups[8];
  for (int i = 0; i < 8; ++i) groups[i] = uint16_t(address >> (112 - 16 * i));
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
  return out;
}

// The generator's own answer to "is it inside the list": one family's
// networks as sorted, merged intervals.
using Intervals = std::vector<std::pair<U128, U128>>;

Intervals Merged(const std::vector<Net>& nets, int bits) {
  Intervals all;
  for (const Net& n : nets)
    if (n.bits == bits) all.push_back({n.address, n.address | HostBits(n)});
  std::sort(all.begin(), all.end());
  Intervals merged;
  for (const auto& [first, last] : all) {
    if (!merged.empty() && (merged.back().second == ~U128(0) || first <= merged.back().second + 1))
      merged.back().second = std::max(merged.back().second, last);
    else
      merged.push_back({first, last});
  }
  return merged;
}

bool Inside(const Intervals& set, U128 address) {
  auto after = std::upper_bound(set.begin(), set.end(), std::make_pair(address, ~U128(0)));
  return after != set.begin() && std::prev(after)->second >= address;
}

// What the log's lines hold besides the client: agents and referers, some
// with an IPv4 address in them (a browser's version number, a bare host) that
// no network of a list may hold.
struct Decorated {
  const char* text;
  uint32_t address;  // 0 for none
};
constexpr Decorated agents[] = {
    {"Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) "
     "Chrome/120.0.0.0 Safari/537.36",
     120u << 24},
    {"Mozilla/5.0 (Windows NT 10.0; Win64; x64; rv:121.0) Gecko/20100101 Firefox/121.0", 0},
    {"Mozilla/5.0 (iPhone; CPU iPhone OS 17_2 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like "
     "Gecko) Version/17.2 Mobile/15E148 Safari/604.1",
     0},
    {"curl/8.5.0", 0},
    {"Googlebot/2.1 (+http://www.google.com/bot.html)", 0}};
constexpr Decorated referers[] = {
    {"-", 0},
    {"https://www.example.com/start.html", 0},
    {"https://www.example.com/search?q=subnet+calculator", 0},
    {"http://198.51.100.7:8080/admin/", 198u << 24 | 51 << 16 | 100 << 8 | 7}};
constexpr const char* requests[] = {
    "GET /index.html",    "GET /static/app.min.js?v=20240301", "GET /api/v2/items?id=4711&sort=asc",
    "POST /api/v2/login", "GET /images/logo-2x.png",           "GET /wp-login.php",
    "GET /feed.xml"};
constexpr int statuses[] = {200, 200, 200, 200, 200, 304, 301, 404, 403, 500};

bool HoldsDecoy(const Net& n) {
  const auto holds = [&](const Decorated& d) {
    return n.bits == 32 && d.address != 0 && (d.address & ~uint32_t(HostBits(n))) == n.address;
  };
  return std::any_of(std::begin(agents), std::end(agents), holds) ||
         std::any_of(std::begin(referers), std::end(referers), holds);
}

// `count4` IPv4 and `count6` IPv6 networks, the families mixed, written one a
// line; none holds an address of an agent or a referer.
std::vector<Net> WriteNetworks(const std::string& path, int count4, int count6, Random& random) {
  std::vector<Net> nets;
  std::ofstream out(path);
  while (count4 + count6 > 0) {
    const bool four = Roll(random, count4 + count6) < count4;
    const Net n = four ? Fresh4(random) : Fresh6(random);
    if (HoldsDecoy(n)) continue;
    (four ? count4 : count6) -= 1;
    nets.push_back(n);
    out << Text(n.address, n.bits) << '/' << n.prefix << '\n';
  }
  return nets;
}

// A client address inside one of `nets` of its family, or outside all of them.
U128 Client(const std::vector<Net>& nets, const Intervals& set, int bits, bool inside,
            Random& random) {
  if (inside)
    for (;;) {
      const Net& n = nets[size_t(Roll(random, int(nets.size())))];
      if (n.bits == bits) return n.address | (Random128(random) & HostBits(n));
    }
  for (;;) {
    const U128 a =
        bits == 32 ? U128(1 + Roll(random, 223)) << 24 | (random() & 0xFFFFFF) : Address6(random);
    if (!Inside(set, a)) return a;
  }
}

// The log, a line a client: IPv6 for `sixPercent` of them, 30 % inside `nets`.
// Returns the number of lines whose client is inside.
long WriteLog(const std::string& path, const std::vector<Net>& nets, long lines, int sixPercent,
              Random& random) {
  const Intervals set4 = Merged(nets, 32), set6 = Merged(nets, 128);
  std::ofstream out(path);
  long inside = 0;
  char line[1024];
  for (long i = 0; i < lines; ++i) {
    const int bits = Roll(random, 100) < sixPercent ? 128 : 32;
    const bool in = Roll(random, 100) < 30;
    inside += in;
    const U128 client = Client(nets, bits == 32 ? set4 : set6, bits, in, random);
    const long second = i * 30 * 86400 / lines;  // 30 days of traffic
    const int length = std::snprintf(
        line, sizeof line,
        "%s - %s [%02ld/Mar/2024:%02ld:%02ld:%02ld +0000] \"%s HTTP/1.1\" %d %d \"%s\" \"%s\"\n",
        Text(client, bits).c_str(), Roll(random, 20) == 0 ? "frank" : "-", 1 + second / 86400,
        second / 3600 % 24, second / 60 % 60, second % 60, requests[Roll(random, 7)],
        statuses[Roll(random, 10)], Roll(random, 60000), referers[Roll(random, 4)].text,
        agents[Roll(random, 5)].text);
    out.write(line, length);
  }
  return inside;
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

// Whether two files hold the same bytes, and the lines of the first. Read in
// blocks: this process's peak would become every child's (see main).
bool SameBytes(const std::string& ours, const std::string& theirs, long& lines) {
  std::ifstream a(ours, std::ios::binary), b(theirs, std::ios::binary);
  static char x[65536], y[65536];
  lines = 0;
  for (;;) {
    a.read(x, sizeof x);
    b.read(y, sizeof y);
    if (a.gcount() != b.gcount() || std::memcmp(x, y, size_t(a.gcount())) != 0) return false;
    lines += std::count(x, x + a.gcount(), '\n');
    if (a.gcount() == 0) return a.eof() && b.eof();
  }
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 3;
  std::string folder = "/tmp/netstep_grep_bench";
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--folder") == 0) folder = argv[i + 1];
  }
  if (!Spawn({"sh", "-c", "command -v grepcidr"}).ok) {
    std::printf("grepcidr is not installed (apt-get install grepcidr): nothing to compare with\n");
    return 1;
  }
  Spawn({"mkdir", "-p", folder});
  Random random(20261214);
  const long lines = 1000000;
  const std::string nets4 = folder + "/nets4", log4 = folder + "/log4";
  const std::string nets46 = folder + "/nets46", log46 = folder + "/log46";
  long inside4 = 0, inside46 = 0;
  {
    const std::vector<Net> list4 = WriteNetworks(nets4, 10000, 0, random);
    inside4 = WriteLog(log4, list4, lines, 0, random);
    const std::vector<Net> list46 = WriteNetworks(nets46, 5000, 5000, random);
    inside46 = WriteLog(log46, list46, lines, 50, random);
  }
  const std::string netstep = NETSTEP_BINARY;

  struct Work {
    const char* name;
    Contender netstep, grepcidr;
    long inside;  // the lines the generator put inside the list
    bool counts;  // the output is a count of lines
    bool memoryGoal;
  };
  std::vector<Work> works = {
      {"IPv4",
       {"netstep -g @NETS4 LOG4", {netstep, "-g", "@" + nets4, log4}, {}},
       {"grepcidr -f NETS4 LOG4", {"grepcidr", "-f", nets4, log4}, {}},
       inside4,
       false,
       true},
      {"both families",
       {"netstep -g @NETS46 LOG46", {netstep, "-g", "@" + nets46, log46}, {}},
       {"grepcidr -f NETS46 LOG46", {"grepcidr", "-f", nets46, log46}, {}},
       inside46,
       false,
       false},
      {"count, IPv4",
       {"netstep -c -g @NETS4 LOG4", {netstep, "-c", "-g", "@" + nets4, log4}, {}},
       {"grepcidr -c -f NETS4 LOG4", {"grepcidr", "-c", "-f", nets4, log4}, {}},
       inside4,
       true,
       false}};

  bool allSame = true;
  for (Work& work : works) {
    const std::string ours = folder + "/ours", theirs = folder + "/theirs";
    const bool ran = Spawn(work.netstep.argv, ours).ok && Spawn(work.grepcidr.argv, theirs).ok;
    long selected = 0;
    const bool sameBytes = ran && SameBytes(ours, theirs, selected);
    if (work.counts) std::ifstream(ours) >> selected;
    const bool same = sameBytes && selected == work.inside;
    std::printf("%-14s netstep and grepcidr %s: %ld lines selected, %ld put inside\n", work.name,
                same ? "agree" : "DIFFER", selected, work.inside);
    allSame = allSame && same;
  }

  rusage self{};
  getrusage(RUSAGE_SELF, &self);
  // A child starts its peak from this process's: the kernel carries the peak
  // of the memory it was spawned from across the exec.
  std::printf("\npeak memory below %.1f MiB reads as that much; %d rounds\n",
              double(self.ru_maxrss) / 1024, rounds);
  std::printf("%-14s %-26s %-21s  %-21s  %8s %6s  %s\n", "work", "program", "CPU s median (range)",
              "wall s median (range)", "peak MiB", "CPU", "goal");
  int missed = 0;
  auto row = [&](const char* work, const Contender& c, const Summary& s, const char* ratio,
                 const std::string& goal) {
    std::printf("%-14s %-26s %s %6s  %s%s\n", work, c.name.c_str(), s.text.c_str(), ratio,
                goal.c_str(), s.ok ? "" : "  (FAILED)");
  };
  for (Work& work : works) {
    std::vector<Contender> turn = {work.netstep, work.grepcidr};
    Measure(turn, rounds);
    const Summary ours = Summarise(turn[0]), theirs = Summarise(turn[1]);
    const double ratio = ours.processor / theirs.processor;
    const bool met = ratio <= 1.0 / 3 && (!work.memoryGoal || ours.peakMiB <= 16);
    missed += !met;
    char text[32];
    std::snprintf(text, sizeof text, "%.2fx", ratio);
    row(work.name, turn[0], ours, text,
        std::string(work.memoryGoal ? "<= 1/3 CPU, peak <= 16 MiB: " : "<= 1/3 CPU: ") +
            (met ? "met" : "MISSED"));
    row("", turn[1], theirs, "", "");
  }
  std::printf("\n%d goal(s) missed; %s\n", missed,
              allSame ? "the same lines as grepcidr" : "LINES DIFFER from grepcidr");
  return allSame ? 0 : 1;
}
