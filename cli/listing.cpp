// Listing entries as text or JSON. A run of networks of one size, the split's
// millions of lines, is written from two pieces per line: the text up to the
// last octet, which changes once in 256 lines at most, and the last octet with
// the rest of the line, from a table made for the run.
//
// JSON: "[", then the entries with "," between them, then "]", a line each:
//   {"network":"192.168.1.64","prefix":26}
//   {"network":"192.168.1.0","prefix":25,"hosts":100}  {"network":...,"free":true}
// The strings are dotted addresses only, so nothing ever needs escaping.
#include "cli/listing.h"

#include <cstring>
#include <memory>

#include "cli/families.h"
#include "cli/text_put.h"

namespace cli {

namespace {

constexpr int entryMaximum = 128;  // one entry with its separator, and the writers' slack
constexpr int batchEntries = 32;   // entries per reservation of room

// The text after an entry's address: its prefix, then its host count or
// "free" in a plan, then its end.
std::string After(const Listing& listing, uint8_t prefix, bool planned, uint64_t hosts) {
  const std::string number = std::to_string(prefix);
  std::string after = listing.json ? "\",\"prefix\":" + number : "/" + number;
  if (planned) {
    const std::string count = hosts == 0 ? std::string() : std::to_string(hosts);
    if (listing.json) {
      after += hosts == 0 ? ",\"free\":true" : ",\"hosts\":" + count;
    } else {
      after += "\t" + (hosts == 0 ? std::string("free") : count);
    }
  }
  return after + (listing.json ? "}" : std::string(listing.writer->lineEnd));
}

template <class Address>
void WriteEntry(Listing& listing, Address network, const std::string& after) {
  Writer& writer = *listing.writer;
  char* at = Reserve(writer, entryMaximum);
  at = PutText(at, listing.entries == 0 ? listing.firstBefore : listing.before);
  at = PutAddress(at, network);
  Commit(writer, PutText(at, after));
  ++listing.entries;
}

// The piece of a run's line from its last octet on, for every octet.
struct Tails {
  char text[256][48];
  uint8_t length[256];
};

void PrepareTails(Tails& tails, const std::string& after) {
  for (int octet = 0; octet < 256; ++octet) {
    char* end = PutDecimal(tails.text[octet], uint64_t(octet));
    end = PutText(end, after);
    tails.length[octet] = uint8_t(end - tails.text[octet]);
  }
}

// Networks of a prefix of 24 or longer: 256 / step of them share the text
// before their last octet.
void ListSmallRun(Listing& listing, uint32_t network, uint32_t step, uint64_t count,
                  const std::string& after) {
  Writer& writer = *listing.writer;
  const auto tails = std::make_unique<Tails>();
  PrepareTails(*tails, after);
  char head[64];
  uint32_t headOf = ~network & 0xFFFFFF00;  // no head made yet
  int headLength = 0;
  while (count > 0) {
    const uint64_t batch = count < batchEntries ? count : batchEntries;
    char* at = Reserve(writer, int(batch) * entryMaximum);
    for (uint64_t i = 0; i < batch; ++i, network += step) {
      if ((network & 0xFFFFFF00) != headOf) {
        headOf = network & 0xFFFFFF00;
        char* end = PutText(head, listing.before);
        end = PutDotted(end, headOf);
        headLength = int(end - head) - 1;  // up to the last octet's dot
      }
      std::memcpy(at, head, size_t(headLength));
      at += headLength;
      const uint32_t octet = network & 0xFF;
      std::memcpy(at, tails->text[octet], sizeof tails->text[octet]);
      at += tails->length[octet];
    }
    Commit(writer, at);
    count -= batch;
    listing.entries += batch;
  }
}

}  // namespace

void PrepareListing(Listing& listing, Writer& writer, bool json) {
  listing.writer = &writer;
  listing.json = json;
  listing.entries = 0;
  const std::string objectStart = json ? "{\"network\":\"" : "";
  listing.firstSeparator = json ? std::string(writer.lineEnd) : "";
  listing.separator = json ? "," + std::string(writer.lineEnd) : "";
  listing.firstBefore = listing.firstSeparator + objectStart;
  listing.before = listing.separator + objectStart;
  for (int prefix = 0; prefix <= 128; ++prefix)
    listing.plainAfter[prefix] = After(listing, uint8_t(prefix), false, 0);
}

void BeginListing(Listing& listing, Writer& writer, bool json) {
  PrepareListing(listing, writer, json);
  if (json) Commit(writer, PutText(Reserve(writer, 1), "["));
}

void EndListing(Listing& listing) {
  if (!listing.json) return;
  Writer& writer = *listing.writer;
  char* at = PutLineEnd(writer, Reserve(writer, 8));
  at = PutText(at, "]");
  Commit(writer, PutLineEnd(writer, at));
}

template <class Address>
void ListNetwork(Listing& listing, Address network, uint8_t prefix) {
  WriteEntry(listing, network, listing.plainAfter[prefix]);
}

// IPv4: a run of one size, a /24's 256 networks at most sharing their head.
template <>
void ListSplit(Listing& listing, uint32_t network, uint8_t prefix, uint8_t splitPrefix) {
  const std::string& after = listing.plainAfter[splitPrefix];
  WriteEntry(listing, network, after);
  uint64_t count = (uint64_t(1) << (splitPrefix - prefix)) - 1;
  if (count == 0) return;
  const uint32_t step = uint32_t(calc::AddressCount(splitPrefix));
  network += step;
  if (splitPrefix >= 24) return ListSmallRun(listing, network, step, count, after);
  for (; count > 0; --count, network += step) WriteEntry(listing, network, after);
}

// IPv6: up to 2^128 networks, so by their last one rather than a count.
template <>
void ListSplit(Listing& listing, calc::Address6 network, uint8_t prefix, uint8_t splitPrefix) {
  const std::string& after = listing.plainAfter[splitPrefix];
  const calc::Address6 last = calc::LastAddressOf(calc::Block<calc::Address6>{network, prefix}) &
                              calc::MaskOf<calc::Address6>(splitPrefix);
  const calc::Address6 one = {0, 1};
  const calc::Address6 step = splitPrefix == 0 ? one : one << (128 - splitPrefix);
  for (;; network = network + step) {
    WriteEntry(listing, network, after);
    if (network == last) return;
  }
}

template <class Address>
void ListRange(Listing& listing, Address first, Address last) {
  for (;;) {
    const calc::Block<Address> block = calc::FirstBlockOf(first, last);
    ListNetwork(listing, block.network, block.prefix);
    const Address blockLast = calc::LastAddressOf(block);
    if (blockLast == last) return;
    first = blockLast + 1;
  }
}

template void ListNetwork(Listing&, uint32_t, uint8_t);
template void ListNetwork(Listing&, calc::Address6, uint8_t);
template void ListRange(Listing&, uint32_t, uint32_t);
template void ListRange(Listing&, calc::Address6, calc::Address6);

void ListPlanned(Listing& listing, uint32_t network, uint8_t prefix, uint64_t hosts) {
  WriteEntry(listing, network, After(listing, prefix, true, hosts));
}

const std::string& NextEntryStart(Listing& listing) {
  const std::string& start = listing.entries == 0 ? listing.firstSeparator : listing.separator;
  ++listing.entries;
  return start;
}

}  // namespace cli
