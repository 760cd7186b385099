// The host plan. Placed largest first, every network starts where the one
// before it ended: each size divides the sizes placed before it, so that end
// is always aligned for it, and the plan fits exactly when the sizes add up
// to no more than the network holds. The space left is then one range.
#include "cli/host_plan.h"

#include <algorithm>
#include <numeric>

#include "calc/network_blocks.h"

namespace cli {

bool PlanHosts(uint32_t network, uint8_t prefix, const std::vector<uint64_t>& counts,
               std::vector<PlannedNetwork>& plan, uint64_t& needed) {
  std::vector<size_t> order(counts.size());
  std::iota(order.begin(), order.end(), size_t(0));
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return calc::PrefixForHosts(counts[a]) < calc::PrefixForHosts(counts[b]);
  });
  needed = 0;
  for (uint64_t count : counts) needed += calc::AddressCount(calc::PrefixForHosts(count));
  if (needed > calc::AddressCount(prefix)) return false;
  plan.clear();
  uint64_t next = network;
  for (size_t index : order) {
    const uint8_t size = calc::PrefixForHosts(counts[index]);
    plan.push_back({uint32_t(next), size, counts[index]});
    next += calc::AddressCount(size);
  }
  const uint64_t end = uint64_t(network) + calc::AddressCount(prefix);
  while (next < end) {
    const calc::Block block = calc::FirstBlockOf(uint32_t(next), uint32_t(end - 1));
    plan.push_back({block.network, block.prefix, 0});
    next += calc::AddressCount(block.prefix);
  }
  return true;
}

}  // namespace cli
