// The usage text: every form with its options, the words of each option in
// one column, no line wider than 79 characters.
#include "cli/help.h"

#include <string>
#include <string_view>

namespace cli {

namespace {

constexpr size_t wordsColumn = 22;

constexpr std::string_view usage[] = {
    "Usage: netstep",
    "       netstep [-a] [-j] [-n N] ADDRESS MASK | ADDRESS/PREFIX",
    "       netstep [-j] -s PREFIX ADDRESS/PREFIX",
    "       netstep [-j] -H COUNTS ADDRESS/PREFIX",
    "       netstep [-j] FIRST-LAST",
    "       netstep [-j] [-C] -A [NETWORK]... [-f FILE]... [-i LIST]... [-x LIST]...",
    "       netstep [-a] [-j] [-n N] -f FILE [-f FILE]...",
    "       netstep [-j] -s PREFIX -f FILE [-f FILE]...",
    "       netstep [-c] [-q] [-v] -g LIST [FILE]...",
    "Without arguments netstep is the interactive calculator. With an address",
    "and a mask it writes the network address, the first and the last host and",
    "the broadcast address of the network the address belongs to, and exits.",
    "Networks of IPv4 and IPv6 are listed one per line as NETWORK/PREFIX.",
};

struct OptionText {
  std::string_view option;
  std::string_view words[2];  // a second line where needed
};

constexpr OptionText options[] = {
    {"  ADDRESS, MASK", {"IPv4: four numbers from 0 to 255; IPv6 (2001:db8::1)", "takes no mask"}},
    {"  PREFIX", {"the mask's number of leading one-bits: 0 to 32,", "0 to 128 for IPv6"}},
    {"  FIRST-LAST", {"the fewest networks that hold FIRST to LAST"}},
    {"  NETWORK", {"ADDRESS/PREFIX, ADDRESS MASK or FIRST-LAST"}},
    {"  LIST",
     {"networks or addresses separated by commas, or",
      "@FILE, one per line (@- is standard input)"}},
    {"  -n, --count N", {"N networks of the same size in a row, from the", "one ADDRESS is in"}},
    {"  -s, --split PREFIX", {"the networks of PREFIX that make up the network"}},
    {"  -H, --hosts COUNTS",
     {"an IPv4 network for each host count (100,50,10),", "largest first, then the space left"}},
    {"  -A, --aggregate",
     {"the fewest networks that cover those given, read", "from FILE or standard input"}},
    {"  -i, --intersect LIST", {"keep only the addresses that LIST holds too"}},
    {"  -x, --exclude LIST", {"take away the addresses of LIST"}},
    {"  -C, --count-addresses", {"the number of distinct addresses of the result"}},
    {"  -f, --file FILE",
     {"answer each network in FILE, one per line (- is", "standard input); may be given again"}},
    {"  -g, --grep LIST",
     {"the lines of the FILEs (or standard input) that hold", "an address inside LIST"}},
    {"  -v, --invert-match", {"-g: the lines with addresses, none inside LIST"}},
    {"  -c, --count-lines", {"-g: the number of lines instead"}},
    {"  -q, --quiet", {"-g: nothing written; the exit status tells"}},
    {"  -a, --all", {"the answer in full: mask, hosts, address block..."}},
    {"  -j, --json", {"JSON instead of text"}},
};

constexpr std::string_view after[] = {
    "  -V, --version       the version",
    "Examples, one for each form:",
    "  netstep 192.168.1.10 255.255.255.0      netstep -n 3 -a 2001:db8::1/64",
    "  netstep -j 2001:db8::1/64               netstep -s 64 2001:db8::/56",
    "  netstep -H 100,50,10 192.168.1.0/24     netstep 2001:db8::3-2001:db8::17",
    "  netstep -f addresses.txt                netstep -A < routes.txt",
    "  netstep -A 0.0.0.0/0 -x 10.0.0.0/8,172.16.0.0/12,192.168.0.0/16",
    "  netstep -C -f routes.txt -i @customers.txt",
    "  netstep -g 10.0.0.0/8,2001:db8::/32 access.log",
    "  echo \"$ip\" | netstep -qg 10.0.0.0/8 && echo inside",
    "Exit status: 0 answered, 1 bad address, mask or list line, 2 bad command",
    "line. With -g as grep's: 0 a line selected, 1 none, 2 trouble.",
};

// An option too long for its column stands on a line of its own.
void OptionLine(Writer& writer, std::string option, std::string_view words) {
  if (option.size() >= wordsColumn) {
    WriteLine(writer, option);
    option.clear();
  }
  option.append(wordsColumn - option.size(), ' ');
  WriteLine(writer, option + std::string(words));
}

}  // namespace

void WriteHelp(Writer& writer, const char* nativeHelp) {
  for (std::string_view line : usage) WriteLine(writer, line);
  for (const OptionText& text : options) {
    OptionLine(writer, std::string(text.option), text.words[0]);
    if (!text.words[1].empty()) OptionLine(writer, "", text.words[1]);
  }
  std::string help = "  -h, --help";
  if (nativeHelp != nullptr) help += ", " + std::string(nativeHelp);
  OptionLine(writer, help, "this help");
  for (std::string_view line : after) WriteLine(writer, line);
}

void WriteVersion(Writer& writer) {
  WriteLine(writer, "netstep " NETSTEP_VERSION);
  WriteLine(writer, "Copyright (c) 2026 the netstep developers");
  WriteLine(writer, "License: MIT <https://opensource.org/licenses/MIT>");
}

}  // namespace cli
