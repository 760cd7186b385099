// Listings of networks of either family on standard output, one per line:
// `NETWORK/PREFIX` as text, or one JSON array whose entries are objects with
// "network" and "prefix" (and "hosts" or "free" in a host plan), one entry per
// line. A listing streams: it holds nothing but the line being written. The
// networks' procedures are made for uint32_t (IPv4) and calc::Address6.
#pragma once

#include <cstdint>
#include <string>

#include "calc/network_blocks.h"
#include "cli/writer.h"

namespace cli {

struct Listing {
  Writer* writer;
  bool json;
  uint64_t entries;  // written since BeginListing, answers among them
  // What goes between two entries in JSON (the first has its own), and the
  // text before an entry's address: its separator and, in JSON, its
  // object's start.
  std::string firstSeparator;
  std::string separator;
  std::string firstBefore;
  std::string before;
  std::string plainAfter[128 + 1];  // after a plain entry's address, by prefix
};

// A listing in the style of `json` on `writer`. Begin before the first entry,
// End after the last. Prepare alone readies it for answers that stand on
// their own, not in a JSON array.
void PrepareListing(Listing& listing, Writer& writer, bool json);
void BeginListing(Listing& listing, Writer& writer, bool json);
void EndListing(Listing& listing);

// One network.
template <class Address>
void ListNetwork(Listing& listing, Address network, uint8_t prefix);

// The networks of `splitPrefix` (>= prefix) that make up network/prefix, in
// address order.
template <class Address>
void ListSplit(Listing& listing, Address network, uint8_t prefix, uint8_t splitPrefix);

// The fewest networks that together hold exactly first..last (first <= last).
template <class Address>
void ListRange(Listing& listing, Address first, Address last);

// A network of a host plan: given to `hosts` hosts, or left free (0).
void ListPlanned(Listing& listing, uint32_t network, uint8_t prefix, uint64_t hosts);

// An entry of another shape in the listing (an answer): the text that goes
// before it (in JSON its separator, in text nothing), counted as written.
const std::string& NextEntryStart(Listing& listing);

}  // namespace cli
