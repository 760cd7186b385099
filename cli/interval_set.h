// Sets of addresses as sorted, merged intervals: ranges gathered in any
// order, then sorted and merged once into disjoint ranges that neither
// overlap nor touch, in address order. IPv4 ranges pack into 64 bits; IPv6
// ranges are 256 bits, so those of whole /64s or larger blocks, which
// routing tables are made of, are kept by their upper halves alone.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "calc/address6.h"

namespace cli {

// ---- IPv4 -------------------------------------------------------------------

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

// ---- IPv6 -------------------------------------------------------------------

struct Range6 {
  calc::Address6 first;
  calc::Address6 last;
};

struct Ranges6 {
  // Ranges from an address ending in 64 zero bits to one ending in 64 one
  // bits, by their upper halves; a /64 is {h, h}.
  std::vector<std::pair<uint64_t, uint64_t>> wide;
  std::vector<Range6> narrow;  // every other range
};

void AddRange(Ranges6& ranges, calc::Address6 first, calc::Address6 last);

// Sorts the ranges.
void SortRanges(Ranges6& ranges);

// The ranges of the union of sorted ranges, in address order, each handed to
// `take(first, last)` as it is complete: the union streams, however large.
template <class Take>
void MergeRanges(const Ranges6& ranges, Take take) {
  bool open = false;
  Range6 building{};
  const auto offer = [&](calc::Address6 first, calc::Address6 last) {
    // Overlapping or touching: the range being built grows.
    if (open && (building.last == ~calc::Address6{} || first <= building.last + 1)) {
      if (building.last < last) building.last = last;
      return;
    }
    if (open) take(building.first, building.last);
    open = true;
    building = {first, last};
  };
  const auto& wide = ranges.wide;
  const auto& narrow = ranges.narrow;
  size_t w = 0, n = 0;
  while (w < wide.size() || n < narrow.size()) {
    if (n == narrow.size() || (w < wide.size() && wide[w].first <= narrow[n].first.high)) {
      offer({wide[w].first, 0}, {wide[w].second, ~uint64_t(0)});
      ++w;
    } else {
      offer(narrow[n].first, narrow[n].last);
      ++n;
    }
  }
  if (open) take(building.first, building.last);
}

}  // namespace cli
