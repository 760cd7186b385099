// The network view: the range of the network an address belongs to, and the
// stepping to the next or previous network of the same size.
#pragma once

#include <cstdint>

#include "runtime/text_stream.h"

namespace calc {

struct NetworkRange {
  uint32_t network;    // address AND mask
  uint32_t firstHost;  // see RangeOf for the masks with fewer than two host bits
  uint32_t lastHost;
  uint32_t broadcast;  // address OR NOT mask
};

// The range of the network that `address` belongs to under `mask`. First host
// is network + 1 and last host broadcast - 1 (modulo 2^32), except for a mask
// with no host bit (both are the address itself) and a mask with one host bit
// (a point-to-point link: both addresses are usable hosts).
NetworkRange RangeOf(uint32_t address, uint32_t mask);

// The current address after `key` in the view of `range`: "+" moves to the
// first address of the next network and "-" to the last of the previous one,
// neither past the end of the address space; any other key keeps `address`.
uint32_t StepAddress(uint32_t address, const NetworkRange& range, uint8_t key);

// Writes the value to the standard output stream as four dotted decimal
// numbers and ends the line with `endLine`.
void PrintAddress(uint32_t value, runtime::LineEndRoutine endLine);

// The labels of the four result lines, in their order: network, first host,
// last host, broadcast address. Each is followed directly by its address.
inline constexpr runtime::TextRef rangeLabels[4] = {
    "IP Network address - ", "First Host IP address - ", "Last Host IP address - ",
    "Broadcast address  - "};

// The four result lines of `range` on the standard output stream, each ended
// with `endLine`: network, first host, last host and broadcast address.
void WriteRange(const NetworkRange& range, runtime::LineEndRoutine endLine);

// Shows the network of `address` and steps on "+" and "-" until Esc.
void NetworkView(uint32_t address, uint32_t mask);

}  // namespace calc
