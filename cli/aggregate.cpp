// The union of sorted ranges: a range that overlaps or touches the one being
// built extends it; any other ends it and starts the next.
#include "cli/aggregate.h"

#include <algorithm>

#include "cli/listing.h"

namespace cli {

void ListUnion(std::vector<uint64_t>& ranges) {
  std::sort(ranges.begin(), ranges.end());
  bool open = false;
  uint32_t first = 0, last = 0;
  for (uint64_t range : ranges) {
    const uint32_t from = uint32_t(range >> 32), to = uint32_t(range);
    if (open && uint64_t(from) <= uint64_t(last) + 1) {
      last = std::max(last, to);
      continue;
    }
    if (open) ListRange(first, last);
    open = true;
    first = from;
    last = to;
  }
  if (open) ListRange(first, last);
}

}  // namespace cli
