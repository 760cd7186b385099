// Answers as text, in the interactive view's words and more of the same
// style, or as JSON objects:
//   {"address":"192.168.1.10","netmask":"255.255.255.0","prefix":24,
//    "wildcard":"0.0.0.255","network":"192.168.1.0","first":"192.168.1.1",
//    "last":"192.168.1.254","broadcast":"192.168.1.255","hosts":254,
//    "addresses":256,"block":"private-use","version":4}
// on one line. "prefix" is null for a mask whose one-bits do not lead. The
// strings are dotted addresses and fixed keys only: nothing needs escaping.
#include "cli/answers.h"

#include <bit>
#include <string_view>

#include "calc/address_blocks.h"
#include "calc/network_blocks.h"
#include "calc/network_view.h"
#include "cli/text_put.h"

namespace cli {

namespace {

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

char* LabelledLine(const Writer& writer, char* at, std::string_view label, uint32_t address) {
  return PutLineEnd(writer, PutDotted(PutText(at, label), address));
}

char* NumberLine(const Writer& writer, char* at, std::string_view label, uint64_t value) {
  return PutLineEnd(writer, PutDecimal(PutText(at, label), value));
}

char* TextAnswer(const Answers& answers, char* at, uint32_t address, uint32_t mask,
                 const calc::NetworkRange& range) {
  const Writer& writer = *answers.listing->writer;
  const uint32_t addresses[] = {range.network, range.firstHost, range.lastHost, range.broadcast};
  for (int line = 0; line < 4; ++line) {
    const runtime::TextRef label = calc::rangeLabels[line];
    at = LabelledLine(writer, at, std::string_view(label.chars, size_t(label.length)),
                      addresses[line]);
  }
  if (!answers.all) return at;
  const Figures figures = FiguresOf(mask, range);
  at = LabelledLine(writer, at, addressLabel, address);
  at = PutDotted(PutText(at, maskLabel), mask);
  if (figures.prefix >= 0) at = PutDecimal(PutText(at, " = /"), uint64_t(figures.prefix));
  at = PutLineEnd(writer, at);
  at = LabelledLine(writer, at, wildcardLabel, ~mask);
  at = NumberLine(writer, at, hostsLabel, figures.hosts);
  at = NumberLine(writer, at, addressesLabel, figures.addresses);
  return PutLineEnd(writer, PutText(PutText(at, blockLabel), calc::BlockName(figures.block)));
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
  return PutText(at, "\",\"version\":4}");
}

}  // namespace

void StartAnswers(Answers& answers, Listing& listing, bool all) {
  answers.listing = &listing;
  answers.all = all;
  answers.answered = false;
  answers.entriesAfterLast = 0;
}

void WriteAnswer(Answers& answers, uint32_t address, uint32_t mask, bool inListing) {
  const calc::NetworkRange range = calc::RangeOf(address, mask);
  WriteFramed(answers, inListing, [&](char* at) {
    return answers.listing->json ? JsonAnswer(at, address, mask, range)
                                 : TextAnswer(answers, at, address, mask, range);
  });
}

void WriteAnswers(Answers& answers, uint32_t address, uint32_t mask, uint64_t count,
                  bool inListing) {
  constexpr uint8_t next = '+';
  for (uint64_t written = 0; written < count; ++written) {
    WriteAnswer(answers, address, mask, inListing);
    const calc::NetworkRange range = calc::RangeOf(address, mask);
    if (range.broadcast == 0xFFFFFFFF) return;
    address = calc::StepAddress(address, range, next);
  }
}

}  // namespace cli
