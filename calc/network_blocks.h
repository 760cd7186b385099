// Networks as aligned blocks of addresses: a prefix length as a mask and back,
// the hosts and addresses a prefix holds, the smallest prefix for a number of
// hosts, and the largest block that starts a range of addresses. Pure
// arithmetic, no heap: the command-line program's listings are made of it.
#pragma once

#include <cstdint>

namespace calc {

inline constexpr uint8_t prefixMaximum = 32;

// The mask with `prefix` leading one-bits (0 to 32).
uint32_t PrefixMask(uint8_t prefix);

// The prefix length of a mask of leading one-bits; -1 for any other mask.
int PrefixOfMask(uint32_t mask);

// Addresses in a network of `prefix`: 2^(32 - prefix), 1 to 2^32.
uint64_t AddressCount(uint8_t prefix);

// Hosts as the answers count them: a /32 holds 1, a /31 holds 2 (a
// point-to-point link), a shorter prefix its addresses less the network and
// broadcast addresses.
uint64_t HostCount(uint8_t prefix);

// The most hosts any network holds, a /0's.
inline constexpr uint64_t hostCountLimit = (uint64_t(1) << 32) - 2;

// The longest prefix whose network holds `hosts` hosts (1 to hostCountLimit).
uint8_t PrefixForHosts(uint64_t hosts);

// A network as its first address and prefix length.
struct Block {
  uint32_t network;
  uint8_t prefix;
};

// The largest block that starts at `first` and ends at or before `last`
// (first <= last): the first of the fewest blocks that make up the range.
Block FirstBlockOf(uint32_t first, uint32_t last);

// The last address of a block.
inline uint32_t LastAddressOf(Block block) {
  return block.network | ~PrefixMask(block.prefix);
}

}  // namespace calc
