// Both address families as the command line handles them. The forms are
// written once, as templates over the address type: uint32_t for IPv4,
// calc::Address6 for IPv6. Where a value may be of either family (a line of a
// list, an argument), it is held as an Address6 with its version beside it,
// an IPv4 address in the low 32 bits.
#pragma once

#include <cstdint>

#include "calc/address6.h"
#include "calc/address6_text.h"
#include "calc/network_blocks.h"
#include "cli/text_put.h"

namespace cli {

template <class Address>
Address Narrow(calc::Address6 wide);

template <>
inline uint32_t Narrow<uint32_t>(calc::Address6 wide) {
  return uint32_t(wide.low);
}

template <>
inline calc::Address6 Narrow<calc::Address6>(calc::Address6 wide) {
  return wide;
}

inline calc::Address6 Widen(uint32_t address) {
  return {0, address};
}

inline calc::Address6 Widen(calc::Address6 address) {
  return address;
}

// The most room an address's text takes, with what its writer may write past it.
inline constexpr int addressTextMaximum = calc::address6TextMaximum;
static_assert(addressTextMaximum >= dottedMaximum + dottedSlack);

inline char* PutAddress(char* at, uint32_t address) {
  return PutDotted(at, address);
}

inline char* PutAddress(char* at, calc::Address6 address) {
  return calc::PutAddress6(at, address);
}

// The first address of the network after a block: its last address plus one.
template <class Address>
Address NextAfter(calc::Block<Address> block) {
  return calc::LastAddressOf(block) + 1;
}

}  // namespace cli
