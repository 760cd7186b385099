// Answers as text, in the interactive view's words and more of the same
// style, or as JSON objects:
//   {"address":"192.168.1.10","netmask":"255.255.255.0","prefix":24,
//    "wildcard":"0.0.0.255","network":"192.168.1.0","first":"192.168.1.1",
//    "last":"192.168.1.254","broadcast":"192.168.1.255","hosts":254,
//    "addresses":256,"block":"private-use"}
// on one line. "prefix" is null for a mask whose one-bits do not lead. The
// strings are dotted addresses and fixed keys only: nothing needs escaping.
#include "cli/answers.h"

#include <bit>
#include <string_view>

#include "calc/address_blocks.h"
#include "calc/network_blocks.h"
#include "calc/network_view.h"
#include "cli/listing.h"
#include "cli/output.h"

namespace cli {

namespace {

constexpr int answerMaximum = 640;  // the longest answer, with room to spare

bool answersJson = false;
bool answersAll = false;
bool answered = false;          // an answer has been written
uint64_t entriesAfterLast = 0;  // the listing's entry count right after it

// The lines of --all, after the four lines.
constexpr std::string_view addressLabel = "IP address - ";
constexpr std::string_view maskLabel = "SubNet Mask - ";
constexpr std::string_view wildcardLabel = "Wildcard Mask - ";
constexpr std::string_view hostsLabel = "Hosts - ";
constexpr std::string_view addressesLabel = "Addresses - ";
constexpr std::string_view blockLabel = "Address block - ";

// What an answer tells beyond the range.
struct Figures {
  int prefix;  // -1 when the mask's one-bits do not lead
  uint64_t hosts;
  uint64_t addresses;
  calc::AddressBlock block;
};

Figures FiguresOf(uint32_t mask, const calc::NetworkRange& range) {
  const int prefix = calc::PrefixOfMask(mask);
  const int hostBits = prefix >= 0 ? calc::prefixMaximum - prefix : std::popcount(~mask);
  const uint64_t addresses = uint64_t(1) << hostBits;
  const uint64_t hosts = hostBits <= 1 ? addresses : addresses - 2;
  return {prefix, hosts, addresses, calc::BlockOf(range.network, range.broadcast)};
}

char* LabelledLine(char* at, std::string_view label, uint32_t address) {
  return PutLineEnd(PutDotted(PutText(at, label), address));
}

char* NumberLine(char* at, std::string_view label, uint64_t value) {
  return PutLineEnd(PutDecimal(PutText(at, label), value));
}

char* TextAnswer(char* at, uint32_t address, uint32_t mask, const calc::NetworkRange& range) {
  const uint32_t addresses[] = {range.network, range.firstHost, range.lastHost, range.broadcast};
  for (int line = 0; line < 4; ++line) {
    const runtime::TextRef label = calc::rangeLabels[line];
    at = LabelledLine(at, std::string_view(label.chars, size_t(label.length)), addresses[line]);
  }
  if (!answersAll) return at;
  const Figures figures = FiguresOf(mask, range);
  at = LabelledLine(at, addressLabel, address);
  at = PutDotted(PutText(at, maskLabel), mask);
  if (figures.prefix >= 0) at = PutDecimal(PutText(at, " = /"), uint64_t(figures.prefix));
  at = PutLineEnd(at);
  at = LabelledLine(at, wildcardLabel, ~mask);
  at = NumberLine(at, hostsLabel, figures.hosts);
  at = NumberLine(at, addressesLabel, figures.addresses);
  return PutLineEnd(PutText(PutText(at, blockLabel), calc::BlockName(figures.block)));
}

char* JsonAddress(char* at, std::string_view key, uint32_t address) {
  return PutText(PutDotted(PutText(at, key), address), "\"");
}

char* JsonAnswer(char* at, uint32_t address, uint32_t mask, const calc::NetworkRange& range) {
  const Figures figures = FiguresOf(mask, range);
  at = JsonAddress(at, "{\"address\":\"", address);
  at = JsonAddress(at, ",\"netmask\":\"", mask);
  at = PutText(at, ",\"prefix\":");
  at = figures.prefix >= 0 ? PutDecimal(at, uint64_t(figures.prefix)) : PutText(at, "null");
  at = JsonAddress(at, ",\"wildcard\":\"", ~mask);
  at = JsonAddress(at, ",\"network\":\"", range.network);
  at = JsonAddress(at, ",\"first\":\"", range.firstHost);
  at = JsonAddress(at, ",\"last\":\"", range.lastHost);
  at = JsonAddress(at, ",\"broadcast\":\"", range.broadcast);
  at = PutDecimal(PutText(at, ",\"hosts\":"), figures.hosts);
  at = PutDecimal(PutText(at, ",\"addresses\":"), figures.addresses);
  at = PutText(PutText(at, ",\"block\":\""), calc::BlockKey(figures.block));
  return PutText(at, "\"}");
}

}  // namespace

void StartAnswers(bool json, bool all) {
  answersJson = json;
  answersAll = all;
  answered = false;
}

void WriteAnswer(uint32_t address, uint32_t mask, bool inListing) {
  const calc::NetworkRange range = calc::RangeOf(address, mask);
  // Two answers in a row, with nothing between them, stand apart by a line.
  const bool apart = !answersJson && answered && EntryCount() == entriesAfterLast;
  char* at = Reserve(answerMaximum);
  if (apart) at = PutLineEnd(at);
  if (answersJson) {
    if (inListing) at = PutText(at, NextEntryStart());
    at = JsonAnswer(at, address, mask, range);
    if (!inListing) at = PutLineEnd(at);
  } else {
    NextEntryStart();
    at = TextAnswer(at, address, mask, range);
  }
  Commit(at);
  answered = true;
  entriesAfterLast = EntryCount();
}

void WriteAnswers(uint32_t address, uint32_t mask, uint64_t count, bool inListing) {
  constexpr uint8_t next = '+';
  for (uint64_t written = 0; written < count; ++written) {
    WriteAnswer(address, mask, inListing);
    const calc::NetworkRange range = calc::RangeOf(address, mask);
    if (range.broadcast == 0xFFFFFFFF) return;
    address = calc::StepAddress(address, range, next);
  }
}

}  // namespace cli
