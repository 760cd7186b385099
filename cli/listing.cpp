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
#include <string>

#include "calc/network_blocks.h"
#include "cli/output.h"

namespace cli {

namespace {

constexpr int entryMaximum = 96;  // one entry with its separator, and PutDotted's slack
constexpr int batchEntries = 32;  // entries per reservation of room

bool listingJson = false;
uint64_t entriesWritten = 0;

// What goes between two entries in JSON (the first has its own), and the text
// before an entry's address: its separator and, in JSON, its object's start.
std::string firstSeparator;
std::string separator;
std::string firstBefore;
std::string before;

// The text after the address of a plain entry, by prefix.
std::string plainAfter[calc::prefixMaximum + 1];

// The text after an entry's address: its prefix, then its host count or
// "free" in a plan, then its end.
std::string After(uint8_t prefix, bool planned, uint64_t hosts) {
  const std::string number = std::to_string(prefix);
  std::string after = listingJson ? "\",\"prefix\":" + number : "/" + number;
  if (planned) {
    const std::string count = hosts == 0 ? std::string() : std::to_string(hosts);
    if (listingJson) {
      after += hosts == 0 ? ",\"free\":true" : ",\"hosts\":" + count;
    } else {
      after += "\t" + (hosts == 0 ? std::string("free") : count);
    }
  }
  return after + (listingJson ? "}" : std::string(LineEnd()));
}

const std::string& BeforeEntry() {
  return entriesWritten == 0 ? firstBefore : before;
}

void WriteEntry(uint32_t network, const std::string& after) {
  char* at = Reserve(entryMaximum);
  at = PutText(at, BeforeEntry());
  at = PutDotted(at, network);
  Commit(PutText(at, after));
  ++entriesWritten;
}

// The piece of a run's line from its last octet on, for every octet.
struct Tails {
  char text[256][48];
  uint8_t length[256];
};
Tails tails;

void PrepareTails(const std::string& after) {
  for (int octet = 0; octet < 256; ++octet) {
    char* end = PutDecimal(tails.text[octet], uint64_t(octet));
    end = PutText(end, after);
    tails.length[octet] = uint8_t(end - tails.text[octet]);
  }
}

// Networks of a prefix of 24 or longer: 256 / step of them share the text
// before their last octet.
void ListSmallRun(uint32_t network, uint32_t step, uint64_t count, const std::string& after) {
  PrepareTails(after);
  char head[64];
  uint32_t headOf = ~network & 0xFFFFFF00;  // no head made yet
  int headLength = 0;
  while (count > 0) {
    const uint64_t batch = count < batchEntries ? count : batchEntries;
    char* at = Reserve(int(batch) * entryMaximum);
    for (uint64_t i = 0; i < batch; ++i, network += step) {
      if ((network & 0xFFFFFF00) != headOf) {
        headOf = network & 0xFFFFFF00;
        char* end = PutText(head, before);
        end = PutDotted(end, headOf);
        headLength = int(end - head) - 1;  // up to the last octet's dot
      }
      std::memcpy(at, head, size_t(headLength));
      at += headLength;
      const uint32_t octet = network & 0xFF;
      std::memcpy(at, tails.text[octet], sizeof tails.text[octet]);
      at += tails.length[octet];
    }
    Commit(at);
    count -= batch;
  }
}

}  // namespace

void BeginListing(bool json) {
  listingJson = json;
  entriesWritten = 0;
  const std::string objectStart = json ? "{\"network\":\"" : "";
  firstSeparator = json ? std::string(LineEnd()) : "";
  separator = json ? "," + std::string(LineEnd()) : "";
  firstBefore = firstSeparator + objectStart;
  before = separator + objectStart;
  for (int prefix = 0; prefix <= calc::prefixMaximum; ++prefix)
    plainAfter[prefix] = After(uint8_t(prefix), false, 0);
  if (json) Commit(PutText(Reserve(1), "["));
}

void EndListing() {
  if (listingJson) {
    char* at = PutLineEnd(Reserve(8));
    at = PutText(at, "]");
    Commit(PutLineEnd(at));
  }
}

void ListNetwork(uint32_t network, uint8_t prefix) {
  WriteEntry(network, plainAfter[prefix]);
}

void ListRun(uint32_t first, uint8_t prefix, uint64_t count) {
  const std::string& after = plainAfter[prefix];
  WriteEntry(first, after);
  if (--count == 0) return;
  const uint32_t step = uint32_t(calc::AddressCount(prefix));
  uint32_t network = first + step;
  if (prefix >= 24) {
    ListSmallRun(network, step, count, after);
    entriesWritten += count;
    return;
  }
  for (; count > 0; --count, network += step) WriteEntry(network, after);
}

void ListRange(uint32_t first, uint32_t last) {
  for (;;) {
    const calc::Block block = calc::FirstBlockOf(first, last);
    ListNetwork(block.network, block.prefix);
    const uint32_t blockLast = calc::LastAddressOf(block);
    if (blockLast == last) return;
    first = blockLast + 1;
  }
}

void ListPlanned(uint32_t network, uint8_t prefix, uint64_t hosts) {
  WriteEntry(network, After(prefix, true, hosts));
}

const char* NextEntryStart() {
  const char* start = !listingJson          ? ""
                      : entriesWritten == 0 ? firstSeparator.c_str()
                                            : separator.c_str();
  ++entriesWritten;
  return start;
}

uint64_t EntryCount() {
  return entriesWritten;
}

}  // namespace cli
