// The registries' blocks as one table per family, most specific first, so
// that the first block that holds a network whole is the one it is in; one
// lookup serves both.
#include "calc/address_blocks.h"

#include <array>
#include <iterator>

namespace calc {

namespace {

// A block of a registry as its first and last address. A space (only IPv6
// has them) names the networks inside it that touch no block of the registry.
template <typename Address>
struct RegistryEntry {
  Address first;
  Address last;
  AddressBlock block;
  bool space = false;
};

template <typename Address, size_t size>
using Registry = RegistryEntry<Address>[size];

// ---- IPv4

constexpr RegistryEntry<uint32_t> Entry(uint32_t network, uint8_t prefix, AddressBlock block) {
  return {network, network | uint32_t(uint64_t(0xFFFFFFFF) >> prefix), block};
}

constexpr uint32_t Dotted(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  return a << 24 | b << 16 | c << 8 | d;
}

// Ordered by prefix, longest first.
constexpr RegistryEntry<uint32_t> registry[] = {
    Entry(Dotted(0, 0, 0, 0), 32, AddressBlock::thisHost),
    Entry(Dotted(192, 0, 0, 8), 32, AddressBlock::dummyAddress),
    Entry(Dotted(192, 0, 0, 9), 32, AddressBlock::pcpAnycast),
    Entry(Dotted(192, 0, 0, 10), 32, AddressBlock::turnAnycast),
    Entry(Dotted(255, 255, 255, 255), 32, AddressBlock::limitedBroadcast),
    // Two entries of the registry, 192.0.0.170/32 and 192.0.0.171/32.
    Entry(Dotted(192, 0, 0, 170), 31, AddressBlock::nat64Discovery),
    Entry(Dotted(192, 0, 0, 0), 29, AddressBlock::serviceContinuity),
    Entry(Dotted(192, 0, 0, 0), 24, AddressBlock::protocolAssignments),
    Entry(Dotted(192, 0, 2, 0), 24, AddressBlock::documentation),
    Entry(Dotted(192, 31, 196, 0), 24, AddressBlock::as112),
    Entry(Dotted(192, 52, 193, 0), 24, AddressBlock::amt),
    Entry(Dotted(192, 88, 99, 0), 24, AddressBlock::relayAnycast),
    Entry(Dotted(192, 175, 48, 0), 24, AddressBlock::directDelegationAs112),
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

// The first octets that some block of the registry starts in or covers.
constexpr std::array<bool, 256> SpecialOctets() {
  std::array<bool, 256> special{};
  for (const RegistryEntry<uint32_t>& entry : registry) {
    for (uint32_t octet = entry.first >> 24; octet <= entry.last >> 24; ++octet)
      special[octet] = true;
  }
  return special;
}
constexpr std::array<bool, 256> specialOctets = SpecialOctets();

// ---- IPv6

// `high` holds the first four groups, one per 16 bits: 0x2001'0db8'0000'0000
// is 2001:db8::.
constexpr RegistryEntry<Address6> Entry6(uint64_t high, uint64_t low, int prefix,
                                         AddressBlock block, bool space = false) {
  const Address6 network{high, low};
  const Address6 hostBits = prefix == 128 ? Address6{0, 0} : ~Address6{0, 0} >> prefix;
  return {network, network | hostBits, block, space};
}

constexpr RegistryEntry<Address6> Space6(uint64_t high, int prefix, AddressBlock block) {
  return Entry6(high, 0, prefix, block, true);
}

// Ordered by prefix, longest first; the spaces last.
constexpr RegistryEntry<Address6> registry6[] = {
    Entry6(0, 0, 128, AddressBlock::unspecified),
    Entry6(0, 1, 128, AddressBlock::loopback),
    Entry6(0x2001'0001'0000'0000, 1, 128, AddressBlock::pcpAnycast),
    Entry6(0x2001'0001'0000'0000, 2, 128, AddressBlock::turnAnycast),
    Entry6(0x2001'0001'0000'0000, 3, 128, AddressBlock::srpAnycast),
    Entry6(0, 0x0000'ffff'0000'0000, 96, AddressBlock::ipv4Mapped),
    Entry6(0x0064'ff9b'0000'0000, 0, 96, AddressBlock::translation),
    Entry6(0x0100'0000'0000'0000, 0, 64, AddressBlock::discardOnly),
    Entry6(0x0100'0000'0000'0001, 0, 64, AddressBlock::dummyPrefix),
    Entry6(0x0064'ff9b'0001'0000, 0, 48, AddressBlock::localTranslation),
    Entry6(0x2001'0002'0000'0000, 0, 48, AddressBlock::benchmarking),
    Entry6(0x2001'0004'0112'0000, 0, 48, AddressBlock::as112),
    Entry6(0x2620'004f'8000'0000, 0, 48, AddressBlock::directDelegationAs112),
    Entry6(0x2001'0000'0000'0000, 0, 32, AddressBlock::teredo),
    Entry6(0x2001'0003'0000'0000, 0, 32, AddressBlock::amt),
    Entry6(0x2001'0db8'0000'0000, 0, 32, AddressBlock::documentation),
    Entry6(0x2001'0010'0000'0000, 0, 28, AddressBlock::orchid),
    Entry6(0x2001'0020'0000'0000, 0, 28, AddressBlock::orchidV2),
    Entry6(0x2001'0030'0000'0000, 0, 28, AddressBlock::droneRemoteId),
    Entry6(0x2001'0000'0000'0000, 0, 23, AddressBlock::protocolAssignments),
    Entry6(0x3fff'0000'0000'0000, 0, 20, AddressBlock::documentation),
    Entry6(0x2002'0000'0000'0000, 0, 16, AddressBlock::sixToFour),
    Entry6(0x5f00'0000'0000'0000, 0, 16, AddressBlock::segmentRouting),
    Entry6(0xfe80'0000'0000'0000, 0, 10, AddressBlock::linkLocal),
    Entry6(0xfc00'0000'0000'0000, 0, 7, AddressBlock::uniqueLocal),
    Space6(0xff00'0000'0000'0000, 8, AddressBlock::multicast),
    Space6(0x2000'0000'0000'0000, 3, AddressBlock::global),
};

// ---- Both

template <typename Address>
constexpr bool Holds(const RegistryEntry<Address>& entry, Address first, Address last) {
  return first >= entry.first && last <= entry.last;
}

template <typename Address>
constexpr bool Touches(const RegistryEntry<Address>& entry, Address first, Address last) {
  return first <= entry.last && last >= entry.first;
}

// No entry holds one after it, which it would hide; spaces touch no other space.
template <typename Address, size_t size>
constexpr bool MostSpecificFirst(const Registry<Address, size>& table) {
  for (size_t i = 0; i < size; ++i) {
    for (size_t j = i + 1; j < size; ++j) {
      if (Holds(table[i], table[j].first, table[j].last)) return false;
      if (table[i].space && table[j].space && Touches(table[i], table[j].first, table[j].last))
        return false;
    }
  }
  return true;
}
static_assert(MostSpecificFirst(registry));
static_assert(MostSpecificFirst(registry6));

// `untouched` when the addresses touch no entry.
template <typename Address, size_t size>
AddressBlock Lookup(const Registry<Address, size>& table, Address first, Address last,
                    AddressBlock untouched) {
  bool touches = false;
  for (const RegistryEntry<Address>& entry : table) {
    if (Holds(entry, first, last))
      return entry.space && touches ? AddressBlock::several : entry.block;
    touches = touches || Touches(entry, first, last);
  }
  return touches ? AddressBlock::several : untouched;
}

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
    {"this host on this network", "this-host"},
    {"IPv4 service continuity prefix", "ipv4-service-continuity"},
    {"IPv4 dummy address", "ipv4-dummy-address"},
    {"Port Control Protocol anycast", "pcp-anycast"},
    {"TURN anycast", "turn-anycast"},
    {"NAT64/DNS64 discovery", "nat64-dns64-discovery"},
    {"AS112", "as112"},
    {"direct delegation AS112 service", "direct-delegation-as112"},
    {"automatic multicast tunneling", "amt"},
    {"unspecified address", "unspecified"},
    {"IPv4-mapped address", "ipv4-mapped"},
    {"IPv4-IPv6 translation", "ipv4-ipv6-translation"},
    {"IPv4-IPv6 translation, local use", "ipv4-ipv6-translation-local"},
    {"discard-only address block", "discard-only"},
    {"dummy IPv6 prefix", "dummy-prefix"},
    {"Teredo", "teredo"},
    {"DNS-SD service registration protocol anycast", "dns-sd-srp-anycast"},
    {"ORCHID (deprecated)", "orchid"},
    {"ORCHIDv2", "orchid-v2"},
    {"drone remote ID protocol entity tags", "drone-remote-id"},
    {"6to4", "6to4"},
    {"segment routing SIDs", "segment-routing-sids"},
    {"unique local", "unique-local"},
};
static_assert(std::size(blockTexts) == size_t(AddressBlock::uniqueLocal) + 1);

}  // namespace

AddressBlock BlockOf(uint32_t first, uint32_t last) {
  // Most networks lie inside a /8 that no block touches.
  if (first >> 24 == last >> 24 && !specialOctets[first >> 24]) return AddressBlock::global;
  return Lookup(registry, first, last, AddressBlock::global);
}

AddressBlock BlockOf(Address6 first, Address6 last) {
  return Lookup(registry6, first, last, AddressBlock::reserved);
}

const char* BlockName(AddressBlock block) {
  return blockTexts[size_t(block)].name;
}

const char* BlockKey(AddressBlock block) {
  return blockTexts[size_t(block)].key;
}

}  // namespace calc
