// The union of sorted ranges: a range that overlaps or touches the one being
// built extends it; any other ends it and starts the next.
#include "cli/interval_set.h"

#include <algorithm>

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

}  // namespace cli
