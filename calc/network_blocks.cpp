// Prefix arithmetic on 32-bit addresses.
#include "calc/network_blocks.h"

#include <bit>

namespace calc {

uint32_t PrefixMask(uint8_t prefix) {
  return MaskOf<uint32_t>(prefix);
}

int PrefixOfMask(uint32_t mask) {
  const int prefix = std::countl_one(mask);
  return PrefixMask(uint8_t(prefix)) == mask ? prefix : -1;
}

uint64_t AddressCount(uint8_t prefix) {
  return uint64_t(1) << (prefixMaximum - prefix);
}

uint64_t HostCount(uint8_t prefix) {
  return prefix >= 31 ? AddressCount(prefix) : AddressCount(prefix) - 2;
}

uint8_t PrefixForHosts(uint64_t hosts) {
  if (hosts <= 2) return uint8_t(hosts <= 1 ? 32 : 31);
  // The addresses needed with the network and broadcast addresses, rounded
  // up to a power of two.
  return uint8_t(prefixMaximum - std::bit_width(hosts + 1));
}

}  // namespace calc
