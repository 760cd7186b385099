// The registry's blocks as one table, most specific first, so that the first
// block that holds a network whole is the one it is in.
#include "calc/address_blocks.h"

#include <iterator>

#include "calc/network_blocks.h"

namespace calc {

namespace {

struct RegistryEntry {
  uint32_t network;
  uint8_t prefix;
  AddressBlock block;
};

constexpr uint32_t Dotted(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  return a << 24 | b << 16 | c << 8 | d;
}

// Ordered by prefix, longest first.
constexpr RegistryEntry registry[] = {
    {Dotted(255, 255, 255, 255), 32, AddressBlock::limitedBroadcast},
    {Dotted(192, 0, 0, 0), 24, AddressBlock::protocolAssignments},
    {Dotted(192, 0, 2, 0), 24, AddressBlock::documentation},
    {Dotted(192, 88, 99, 0), 24, AddressBlock::relayAnycast},
    {Dotted(198, 51, 100, 0), 24, AddressBlock::documentation},
    {Dotted(203, 0, 113, 0), 24, AddressBlock::documentation},
    {Dotted(169, 254, 0, 0), 16, AddressBlock::linkLocal},
    {Dotted(192, 168, 0, 0), 16, AddressBlock::privateUse},
    {Dotted(198, 18, 0, 0), 15, AddressBlock::benchmarking},
    {Dotted(172, 16, 0, 0), 12, AddressBlock::privateUse},
    {Dotted(100, 64, 0, 0), 10, AddressBlock::sharedAddressSpace},
    {Dotted(0, 0, 0, 0), 8, AddressBlock::thisNetwork},
    {Dotted(10, 0, 0, 0), 8, AddressBlock::privateUse},
    {Dotted(127, 0, 0, 0), 8, AddressBlock::loopback},
    {Dotted(224, 0, 0, 0), 4, AddressBlock::multicast},
    {Dotted(240, 0, 0, 0), 4, AddressBlock::reserved},
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

}  // namespace

AddressBlock BlockOf(uint32_t first, uint32_t last) {
  bool touches = false;
  for (const RegistryEntry& entry : registry) {
    const uint32_t end = entry.network | ~PrefixMask(entry.prefix);
    if (first >= entry.network && last <= end) return entry.block;
    touches = touches || (first <= end && last >= entry.network);
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
