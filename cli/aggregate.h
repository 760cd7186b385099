// Aggregation: ranges of addresses merged into the fewest networks that cover
// exactly their union.
#pragma once

#include <cstdint>
#include <vector>

namespace cli {

// A range first..last packed as first * 2^32 + last, so that the ranges sort
// by their first address.
inline uint64_t PackRange(uint32_t first, uint32_t last) {
  return uint64_t(first) << 32 | last;
}

// Sorts `ranges` and lists the networks of their union, in address order.
void ListUnion(std::vector<uint64_t>& ranges);

}  // namespace cli
