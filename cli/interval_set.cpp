// The union of sorted ranges: a range that overlaps or touches the one being
// built extends it; any other ends it and starts the next.
#include "cli/interval_set.h"

namespace cli {

void MergeRanges(std::vector<uint64_t>& ranges) {
  std::sort(ranges.begin(), ranges.end());
  size_t merged = 0;
  for (uint64_t range : ranges) {
    if (merged > 0 && uint64_t(FirstOf(range)) <= uint64_t(LastOf(ranges[merged - 1])) + 1) {
      const uint32_t first = FirstOf(ranges[merged - 1]);
      ranges[merged - 1] = PackRange(first, std::max(LastOf(ranges[merged - 1]), LastOf(range)));
      continue;
    }
    ranges[merged++] = range;
  }
  ranges.resize(merged);
}

void AddRange(Ranges6& ranges, calc::Address6 first, calc::Address6 last) {
  if (first.low == 0 && last.low == ~uint64_t(0)) {
    ranges.wide.emplace_back(first.high, last.high);
  } else {
    ranges.narrow.push_back({first, last});
  }
}

void SortRanges(Ranges6& ranges) {
  std::sort(ranges.wide.begin(), ranges.wide.end());
  std::sort(ranges.narrow.begin(), ranges.narrow.end(), [](const Range6& a, const Range6& b) {
    return a.first < b.first || (a.first == b.first && a.last < b.last);
  });
}

}  // namespace cli
