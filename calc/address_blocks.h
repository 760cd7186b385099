// The address blocks of the IPv4 special-purpose address registry, and the
// block a network is in: the most specific one that holds it whole, "several"
// when it holds all or part of a block without lying inside one, "global"
// when it touches none.
#pragma once

#include <cstdint>

namespace calc {

enum class AddressBlock : uint8_t {
  thisNetwork,
  privateUse,
  sharedAddressSpace,
  loopback,
  linkLocal,
  protocolAssignments,
  documentation,
  relayAnycast,
  benchmarking,
  multicast,
  reserved,
  limitedBroadcast,
  global,
  several,
};

// The block of the addresses first..last (first <= last).
AddressBlock BlockOf(uint32_t first, uint32_t last);

// Its name in words ("private use") and as a fixed key ("private-use").
const char* BlockName(AddressBlock block);
const char* BlockKey(AddressBlock block);

}  // namespace calc
