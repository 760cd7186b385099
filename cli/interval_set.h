// Sets of addresses as sorted, merged intervals: ranges gathered in any
// order, then sorted and merged once into disjoint ranges that neither
// overlap nor touch, in address order.
#pragma once

#include <cstdint>
#include <vector>

namespace cli {

// A range first..last packed as first * 2^32 + last, so that the ranges sort
// by their first address.
inline uint64_t PackRange(uint32_t first, uint32_t last) {
  return uint64_t(first) << 32 | last;
}

inline uint32_t FirstOf(uint64_t range) {
  return uint32_t(range >> 32);
}

inline uint32_t LastOf(uint64_t range) {
  return uint32_t(range);
}

// Sorts `ranges` and merges them in place into the disjoint ranges of their
// union, in address order.
void MergeRanges(std::vector<uint64_t>& ranges);

}  // namespace cli
