// The answers for IPv6 networks. A network has no broadcast address; its
// hosts are what Python's ipaddress counts as hosts: every address but the
// network's own (the Subnet-Router anycast address), and in a /127 and a /128
// every address. As JSON, with the keys of the IPv4 answer where they mean the
// same and exact integers up to 2^128:
//   {"address":"2001:db8::1","netmask":"ffff:ffff:ffff:ffff::","prefix":64,
//    "wildcard":"::ffff:ffff:ffff:ffff","network":"2001:db8::","first":"2001:db8::1",
//    "last":"2001:db8::ffff:ffff:ffff:ffff","hosts":18446744073709551615,
//    "addresses":18446744073709551616,"block":"documentation","version":6}
#include "calc/address_blocks.h"
#include "calc/network_blocks.h"
#include "calc/network_view.h"
#include "cli/answers.h"
#include "cli/families.h"

namespace cli {

namespace {

using calc::Address6;

struct Range6 {
  Address6 network;
  Address6 firstHost;
  Address6 last;  // the last address, the last host too
  uint8_t prefix;
};

Range6 RangeOf6(Address6 address, uint8_t prefix) {
  const Address6 network = address & calc::MaskOf<Address6>(prefix);
  const Address6 last = calc::LastAddressOf(calc::Block<Address6>{network, prefix});
  return {network, prefix >= 127 ? network : network + 1, last, prefix};
}

// Addresses, 2^(128 - prefix), and hosts, as PutDecimal takes them.
char* PutAddresses(char* at, uint8_t prefix) {
  return PutDecimal(at, Address6{0, 1} << (prefix == 0 ? 0 : 128 - prefix), prefix == 0);
}

char* PutHosts(char* at, const Range6& range) {
  return PutDecimal(at, range.last - range.firstHost + 1);
}

char* LabelledLine(const Writer& writer, char* at, std::string_view label, Address6 address) {
  return PutLineEnd(writer, PutAddress(PutText(at, label), address));
}

char* TextAnswer(const Answers& answers, char* at, Address6 address, const Range6& range) {
  const Writer& writer = *answers.listing->writer;
  const Address6 addresses[] = {range.network, range.firstHost, range.last};
  for (int line = 0; line < 3; ++line) {
    const runtime::TextRef label = calc::rangeLabels[line];
    at = LabelledLine(writer, at, std::string_view(label.chars, size_t(label.length)),
                      addresses[line]);
  }
  if (!answers.all) return at;
  const Address6 mask = calc::MaskOf<Address6>(range.prefix);
  at = LabelledLine(writer, at, addressLabel, address);
  at = PutAddress(PutText(at, maskLabel), mask);
  at = PutLineEnd(writer, PutDecimal(PutText(at, " = /"), uint64_t(range.prefix)));
  at = LabelledLine(writer, at, wildcardLabel, ~mask);
  at = PutLineEnd(writer, PutHosts(PutText(at, hostsLabel), range));
  at = PutLineEnd(writer, PutAddresses(PutText(at, addressesLabel), range.prefix));
  const calc::AddressBlock block = calc::BlockOf(range.network, range.last);
  return PutLineEnd(writer, PutText(PutText(at, blockLabel), calc::BlockName(block)));
}

char* JsonAddress(char* at, std::string_view key, Address6 address) {
  return PutText(PutAddress(PutText(at, key), address), "\"");
}

char* JsonAnswer(char* at, Address6 address, const Range6& range) {
  const Address6 mask = calc::MaskOf<Address6>(range.prefix);
  at = JsonAddress(at, "{\"address\":\"", address);
  at = JsonAddress(at, ",\"netmask\":\"", mask);
  at = PutDecimal(PutText(at, ",\"prefix\":"), uint64_t(range.prefix));
  at = JsonAddress(at, ",\"wildcard\":\"", ~mask);
  at = JsonAddress(at, ",\"network\":\"", range.network);
  at = JsonAddress(at, ",\"first\":\"", range.firstHost);
  at = JsonAddress(at, ",\"last\":\"", range.last);
  at = PutHosts(PutText(at, ",\"hosts\":"), range);
  at = PutAddresses(PutText(at, ",\"addresses\":"), range.prefix);
  const calc::AddressBlock block = calc::BlockOf(range.network, range.last);
  at = PutText(PutText(at, ",\"block\":\""), calc::BlockKey(block));
  return PutText(at, "\",\"version\":6}");
}

}  // namespace

void WriteAnswers6(Answers& answers, Address6 address, uint8_t prefix, uint64_t count,
                   bool inListing) {
  for (uint64_t written = 0; written < count; ++written) {
    const Range6 range = RangeOf6(address, prefix);
    WriteFramed(answers, inListing, [&](char* at) {
      return answers.listing->json ? JsonAnswer(at, address, range)
                                   : TextAnswer(answers, at, address, range);
    });
    if (range.last == ~Address6{}) return;
    address = range.last + 1;
  }
}

}  // namespace cli
