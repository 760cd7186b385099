// The registry's blocks as one table, most specific first, so that the first
// block that holds a network whole is the one it is in.
#include "calc/address_blocks.h"

#include <array>
#include <iterator>

namespace calc {

namespace {

struct RegistryEntry {
  uint32_t first;
  uint32_t last;
  AddressBlock block;
};

// A block of the registry as its first and last address.
constexpr RegistryEntry Entry(uint32_t network, uint8_t prefix, AddressBlock block) {
  return {network, network | uint32_t(uint64_t(0xFFFFFFFF) >> prefix), block};
}

constexpr uint32_t Dotted(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  return a << 24 | b << 16 | c << 8 | d;
}

// Ordered by prefix, longest first.
constexpr RegistryEntry registry[] = {
    Entry(Dotted(255, 255, 255, 255), 32, AddressBlock::limitedBroadcast),
    Entry(Dotted(192, 0, 0, 0), 24, AddressBlock::protocolAssignments),
    Entry(Dotted(192, 0, 2, 0), 24, AddressBlock::documentation),
    Entry(Dotted(192, 88, 99, 0), 24, AddressBlock::relayAnycast),
    Entry(Dotted(198, 51, 100, 0), 24, AddressBlock::documentation),
    Entry(Dotted(203, 0, 113, 0), 24, AddressBlock::documentation),
    Entry(Dotted(169, 254, 0, 0), 16, AddressBlock::linkLocal),
    Entry(Dotted(192, 168, 0, 0), 16, AddressBlock::privateUse),
    Entry(Dotted(198, 18, 0, 0), 15, AddressBlock::benchmarking),
    Entry(Dotted(172, 16, 0, 0), 12, AddressBlock::privateUse),
    Entry(Dotted(100, 64, 0, 0), 10, AddressBlock::sharedAddressSpace),
    Entry(Dotted(0, 0, 0, 0), 8, AddressBlock::thisNetwork),
    Entry(Dotted(10, 0, 0, 0), 8, AddressBlock::privateUse),
    Entry(Dotted(127, 0, 0, 0), 8, AddressBlock::loopback),
    Entry(Dotted(224, 0, 0, 0), 4, AddressBlock::multicast),
    Entry(Dotted(240, 0, 0, 0), 4, AddressBlock::reserved),
};

struct BlockText {
  const char* name;
  const char* key;
};

// Indexed by AddressBlock.
constexpr BlockText blockTexts[] = {
    {"this network", "this-network"},
    {"private use", "private-use"},
    {"shared address space", "shared-address-space"},
    {"loopback", "loopback"},
    {"link local", "link-local"},
    {"IETF protocol assignments", "ietf-protocol-assignments"},
    {"documentation", "documentation"},
    {"6to4 relay anycast (deprecated)", "6to4-relay-anycast"},
    {"benchmarking", "benchmarking"},
    {"multicast", "multicast"},
    {"reserved", "reserved"},
    {"limited broadcast", "limited-broadcast"},
    {"global", "global"},
    {"several blocks", "several"},
};
static_assert(std::size(blockTexts) == size_t(AddressBlock::several) + 1);

// The first octets that some block of the registry starts in or covers.
constexpr std::array<bool, 256> SpecialOctets() {
  std::array<bool, 256> special{};
  for (const RegistryEntry& entry : registry) {
    for (uint32_t octet = entry.first >> 24; octet <= entry.last >> 24; ++octet)
      special[octet] = true;
  }
  return special;
}
constexpr std::array<bool, 256> specialOctets = SpecialOctets();

}  // namespace

AddressBlock BlockOf(uint32_t first, uint32_t last) {
  // Most networks lie inside a /8 that no block touches.
  if (first >> 24 == last >> 24 && !specialOctets[first >> 24]) return AddressBlock::global;
  bool touches = false;
  for (const RegistryEntry& entry : registry) {
    if (first >= entry.first && last <= entry.last) return entry.block;
    touches = touches || (first <= entry.last && last >= entry.first);
  }
  return touches ? AddressBlock::several : AddressBlock::global;
}

const char* BlockName(AddressBlock block) {
  return blockTexts[size_t(block)].name;
}

const char* BlockKey(AddressBlock block) {
  return blockTexts[size_t(block)].key;
}

}  // namespace calc
