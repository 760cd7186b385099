// A grep by networks built on the line scanner, for the comparison with
// grepcidr until netstep has one of its own:
//   scan_driver [-v] NETWORKS    the lines of standard input with an address in
//                                one of the networks (-v: with addresses, none in them)
//   scan_driver -a 4|6|46        each line's addresses as START-END/VERSION
// NETWORKS holds ADDRESS or ADDRESS/PREFIX of either family, one a line; the
// scan looks for the families it holds. Lines are written as read, the last
// one without an end if it had none.
#include <arpa/inet.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "calc/address6.h"
#include "cli/address_scan.h"

namespace {

struct Network {
  uint8_t version;
  calc::Address6 first;  // IPv4 in the low 32 bits
  calc::Address6 mask;
};

calc::Address6 Mask(int bits, int prefix) {
  const calc::Address6 all{~uint64_t(0), ~uint64_t(0)};
  const calc::Address6 host = prefix == bits ? calc::Address6{0, 0} : all >> (128 - bits + prefix);
  return (bits == 32 ? calc::Address6{0, 0xFFFFFFFF} : all) & ~host;
}

bool ReadNetwork(std::string line, Network& network) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  const size_t slash = line.find('/');
  const std::string text = line.substr(0, slash);
  uint8_t bytes[16];
  int bits;
  if (inet_pton(AF_INET, text.c_str(), bytes) == 1) {
    network.version = 4;
    bits = 32;
    network.first = {0, uint64_t(bytes[0]) << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3]};
  } else if (inet_pton(AF_INET6, text.c_str(), bytes) == 1) {
    network.version = 6;
    bits = 128;
    network.first = {0, 0};
    for (int i = 0; i < 8; ++i) network.first.high = network.first.high << 8 | bytes[i];
    for (int i = 8; i < 16; ++i) network.first.low = network.first.low << 8 | bytes[i];
  } else {
    return false;
  }
  int prefix = bits;
  if (slash != std::string::npos) {
    const std::string digits = line.substr(slash + 1);
    if (digits.empty() || digits.size() > 3 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
      return false;
    prefix = std::atoi(digits.c_str());
  }
  if (prefix > bits) return false;
  network.mask = Mask(bits, prefix);
  network.first = network.first & network.mask;
  return true;
}

bool InSet(const std::vector<Network>& networks, const cli::FoundAddress& found) {
  const calc::Address6 address =
      found.version == 4 ? calc::Address6{0, found.address4} : found.address6;
  for (const Network& network : networks) {
    if (network.version == found.version && (address & network.mask) == network.first) return true;
  }
  return false;
}

// Every line of standard input with whether it ended with LF.
template <class Each>
void ForEachLine(Each each) {
  const std::string input{std::istreambuf_iterator<char>(std::cin),
                          std::istreambuf_iterator<char>()};
  size_t at = 0;
  while (at < input.size()) {
    const size_t lf = input.find('\n', at);
    const size_t stop = lf == std::string::npos ? input.size() : lf;
    each(std::string_view(input).substr(at, stop - at), lf != std::string::npos);
    at = stop + 1;
  }
}

int ListAddresses(const std::string& which) {
  const cli::ScanFamilies families = which == "4"   ? cli::ScanFamilies::four
                                     : which == "6" ? cli::ScanFamilies::six
                                                    : cli::ScanFamilies::both;
  ForEachLine([&](std::string_view line, bool) {
    cli::LineScan scan = cli::StartScan(line, families);
    cli::FoundAddress found;
    const char* space = "";
    while (cli::NextAddress(scan, found)) {
      std::printf("%s%td-%td/%d", space, found.start - line.data(), found.end - line.data(),
                  found.version);
      space = " ";
    }
    std::printf("\n");
  });
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "-a") == 0) return ListAddresses(argv[2]);
  const bool invert = argc == 3 && std::strcmp(argv[1], "-v") == 0;
  if (argc != 2 + int(invert)) {
    std::fprintf(stderr, "usage: scan_driver [-v] NETWORKS | scan_driver -a 4|6|46\n");
    return 2;
  }
  std::ifstream in(argv[argc - 1]);
  std::vector<Network> networks;
  uint8_t families = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    Network network;
    if (!ReadNetwork(line, network)) {
      std::fprintf(stderr, "scan_driver: not a network: %s\n", line.c_str());
      return 2;
    }
    networks.push_back(network);
    families |= uint8_t(network.version == 4 ? cli::ScanFamilies::four : cli::ScanFamilies::six);
  }
  bool any = false;
  ForEachLine([&](std::string_view line, bool ended) {
    const cli::LineVerdict verdict =
        cli::JudgeLine(line, cli::ScanFamilies(families),
                       [&](const cli::FoundAddress& found) { return InSet(networks, found); });
    if (verdict == (invert ? cli::LineVerdict::noneInSet : cli::LineVerdict::someInSet)) {
      std::fwrite(line.data(), 1, line.size(), stdout);
      if (ended) std::fputc('\n', stdout);
      any = true;
    }
  });
  return any ? 0 : 1;
}
