// Networks as aligned blocks of addresses: a prefix length as a mask and back,
// the hosts and addresses a prefix holds, the smallest prefix for a number of
// hosts, and the largest block that starts a range of addresses. Pure
// arithmetic, no heap: the command-line program's listings are made of it.
// The block arithmetic is written once for both address types, uint32_t for
// IPv4 and Address6 for IPv6.
#pragma once

#include <cstdint>

#include "calc/address6.h"

namespace calc {

// What code written over an address type needs to know of its family.
template <class Address>
struct Family;

template <>
struct Family<uint32_t> {
  static constexpr uint8_t bits = 32;
  static constexpr int version = 4;
};

template <>
struct Family<Address6> {
  static constexpr uint8_t bits = 128;
  static constexpr int version = 6;
};

inline constexpr uint8_t prefixMaximum = Family<uint32_t>::bits;

// The mask with `prefix` leading one-bits (0 to the family's bits).
template <class Address>
constexpr Address MaskOf(uint8_t prefix) {
  return prefix == 0 ? Address{} : ~Address{} << (Family<Address>::bits - prefix);
}

// A network as its first address and prefix length.
template <class Address>
struct Block {
  Address network;
  uint8_t prefix;
};

// The last address of a block.
template <class Address>
constexpr Address LastAddressOf(Block<Address> block) {
  return block.network | ~MaskOf<Address>(block.prefix);
}

// The largest block that starts at `first` and ends at or before `last`
// (first <= last): the first of the fewest blocks that make up the range. As
// large as the alignment of `first` allows, then as large as the range.
template <class Address>
constexpr Block<Address> FirstBlockOf(Address first, Address last) {
  constexpr int bits = Family<Address>::bits;
  const int aligned = first == Address{} ? bits : CountTrailingZeros(first);
  const Address span = last - first;  // the addresses less one
  const int fits = span == ~Address{} ? bits : BitWidth(span + 1) - 1;
  return {first, uint8_t(bits - (aligned < fits ? aligned : fits))};
}

// ---- IPv4 -------------------------------------------------------------------

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

}  // namespace calc
