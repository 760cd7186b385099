// The host plan of a network: subnets sized for host counts, and the space
// left over.
#pragma once

#include <cstdint>
#include <vector>

namespace cli {

// One subnet of a host plan, in address order.
struct PlannedNetwork {
  uint32_t network;
  uint8_t prefix;
  uint64_t hosts;  // the count it was given for; 0 for space left free
};

// Places each count's smallest network inside network/prefix: the largest
// first, each at the lowest free address its size allows (equal sizes in the
// order given), then the space left as the fewest networks. False when the
// counts do not fit; `needed` then holds the addresses they need.
bool PlanHosts(uint32_t network, uint8_t prefix, const std::vector<uint64_t>& counts,
               std::vector<PlannedNetwork>& plan, uint64_t& needed);

}  // namespace cli
