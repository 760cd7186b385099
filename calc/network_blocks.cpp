// Prefix arithmetic on 32-bit addresses.
#include "calc/network_blocks.h"

#include <bit>

namespace calc {

uint32_t PrefixMask(uint8_t prefix) {
  return prefix == 0 ? 0 : uint32_t(0xFFFFFFFF) << (prefixMaximum - prefix);
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

Block FirstBlockOf(uint32_t first, uint32_t last) {
  // As large as the alignment of `first` allows, then as large as the range.
  const int aligned = first == 0 ? 32 : std::countr_zero(first);
  const uint64_t span = uint64_t(last) - first + 1;
  const int fits = std::bit_width(span) - 1;
  const int bits = aligned < fits ? aligned : fits;
  return {first, uint8_t(prefixMaximum - bits)};
}

}  // namespace calc
