// The address blocks of the IANA special-purpose address registries, IPv4 and
// IPv6, and the block a network is in: the most specific one that holds it
// whole, "several" when it holds all or part of a block without lying inside
// one; outside every block, the space it lies in.
#pragma once

#include <cstdint>

#include "calc/address6.h"

namespace calc {

// A block means the same in either family where both have it (loopback,
// documentation, AS112, ...); each value has one name and one key.
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
  thisHost,
  serviceContinuity,
  dummyAddress,
  pcpAnycast,
  turnAnycast,
  nat64Discovery,
  as112,
  directDelegationAs112,
  amt,
  unspecified,
  ipv4Mapped,
  translation,
  localTranslation,
  discardOnly,
  dummyPrefix,
  teredo,
  srpAnycast,
  orchid,
  orchidV2,
  droneRemoteId,
  sixToFour,
  segmentRouting,
  uniqueLocal,
};

// The block of the addresses first..last (first <= last). Addresses that
// touch no block are global in IPv4; in IPv6 they are global inside 2000::/3,
// multicast inside ff00::/8 and reserved elsewhere.
AddressBlock BlockOf(uint32_t first, uint32_t last);
AddressBlock BlockOf(Address6 first, Address6 last);

// Its name in words ("private use") and as a fixed key ("private-use").
const char* BlockName(AddressBlock block);
const char* BlockKey(AddressBlock block);

}  // namespace calc
