// Listings of networks on standard output, one per line: `NETWORK/PREFIX` as
// text, or one JSON array whose entries are objects with "network" and
// "prefix" (and "hosts" or "free" in a host plan), one entry per line. A
// listing streams: it holds nothing but the line being written.
#pragma once

#include <cstdint>

namespace cli {

// A listing in the style of `json`. Begin before the first entry, End after
// the last.
void BeginListing(bool json);
void EndListing();

// One network.
void ListNetwork(uint32_t network, uint8_t prefix);

// `count` networks of `prefix` in a row from `first` (count >= 1, none past
// the end of the address space).
void ListRun(uint32_t first, uint8_t prefix, uint64_t count);

// The fewest networks that together hold exactly first..last (first <= last).
void ListRange(uint32_t first, uint32_t last);

// A network of a host plan: given to `hosts` hosts, or left free (0).
void ListPlanned(uint32_t network, uint8_t prefix, uint64_t hosts);

// An entry of another shape in the listing (an answer): the text that goes
// before it (in JSON its separator, in text nothing), counted as written.
const char* NextEntryStart();

// Entries written since BeginListing.
uint64_t EntryCount();

}  // namespace cli
