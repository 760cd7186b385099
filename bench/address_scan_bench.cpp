// The line scanner on a million lines of an access log made up in memory
// (combined format, IPv4 and IPv6 clients), judged against a few networks:
// nanoseconds per line, best of several rounds, for each family choice.
//   build/bench/netstep_address_scan_bench [--lines N] [--write FILE]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "cli/address_scan.h"

namespace {

const char* const paths[] = {
    "/index.html",         "/static/app.min.js", "/api/v2/items?id=4711&sort=asc",
    "/images/logo-2x.png", "/wp-login.php",      "/feed.xml"};
const char* const agents[] = {
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/119.0.0.0 Safari/537.36",
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64; rv:120.0) Gecko/20100101 Firefox/120.0",
    "curl/8.4.0", "Googlebot/2.1 (+http://www.google.com/bot.html)"};

std::string MakeLog(size_t lines) {
  std::mt19937 random(20240601);
  std::string log;
  char line[512];
  for (size_t i = 0; i < lines; ++i) {
    char client[64];
    if (random() % 4 == 0) {
      std::snprintf(client, sizeof client, "2001:db8:%x::%x", unsigned(random() % 0x10000),
                    unsigned(random() % 0x10000));
    } else {
      std::snprintf(client, sizeof client, "%u.%u.%u.%u", unsigned(random() % 224),
                    unsigned(random() % 256), unsigned(random() % 256), unsigned(random() % 256));
    }
    const int length = std::snprintf(
        line, sizeof line,
        "%s - - [10/Oct/2023:13:%02u:%02u +0000] \"GET %s HTTP/1.1\" %u %u "
        "\"https://www.example.com/start.html\" \"%s\"\n",
        client, unsigned(random() % 60), unsigned(random() % 60), paths[random() % 6],
        random() % 10 == 0 ? 404u : 200u, unsigned(random() % 50000), agents[random() % 4]);
    log.append(line, size_t(length));
  }
  return log;
}

struct Network {
  uint8_t version;
  uint32_t first4, mask4;
  uint64_t high6, maskHigh6;  // a network of /64 or shorter
};

const Network networks[] = {
    {4, 0x0A000000, 0xFF000000, 0, 0},             // 10.0.0.0/8
    {4, 0xC0A80000, 0xFFFF0000, 0, 0},             // 192.168.0.0/16
    {6, 0, 0, 0x20010DB8'00070000, ~uint64_t(0)},  // 2001:db8:7::/64
};

bool InSet(const cli::FoundAddress& found) {
  for (const Network& n : networks) {
    if (n.version != found.version) continue;
    if (found.version == 4 ? (found.address4 & n.mask4) == n.first4
                           : (found.address6.high & n.maskHigh6) == n.high6)
      return true;
  }
  return false;
}

// Nanoseconds per line of the best round, and the lines selected.
double Measure(const std::string& log, cli::ScanFamilies families, size_t lines, size_t& selected) {
  double best = 1e30;
  for (int round = 0; round < 7; ++round) {
    const std::clock_t start = std::clock();
    selected = 0;
    const char* p = log.data();
    const char* const end = p + log.size();
    while (p < end) {
      const char* lf = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
      if (lf == nullptr) lf = end;
      if (cli::JudgeLine(std::string_view(p, size_t(lf - p)), families, InSet) ==
          cli::LineVerdict::someInSet)
        ++selected;
      p = lf + 1;
    }
    const double took = double(std::clock() - start) * 1e9 / CLOCKS_PER_SEC;
    best = std::min(best, took / double(lines));
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  size_t lines = 1000000;
  const char* write = nullptr;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--lines") == 0) lines = std::strtoul(argv[i + 1], nullptr, 10);
    if (std::strcmp(argv[i], "--write") == 0) write = argv[i + 1];
  }
  const std::string log = MakeLog(lines);
  if (write != nullptr) {
    FILE* file = std::fopen(write, "wb");
    if (file == nullptr) return 1;
    std::fwrite(log.data(), 1, log.size(), file);
    std::fclose(file);
  }
  std::printf("%zu lines, %.1f bytes a line\n", lines, double(log.size()) / double(lines));
  const struct {
    const char* name;
    cli::ScanFamilies families;
  } choices[] = {{"both families", cli::ScanFamilies::both},
                 {"IPv4 alone", cli::ScanFamilies::four},
                 {"IPv6 alone", cli::ScanFamilies::six}};
  for (const auto& choice : choices) {
    size_t selected = 0;
    const double ns = Measure(log, choice.families, lines, selected);
    std::printf("%-14s %7.1f ns a line, %6.1f ms in all, %zu lines selected\n", choice.name, ns,
                ns * double(lines) / 1e6, selected);
  }
  return 0;
}
