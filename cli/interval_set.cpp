// Gathering, sorting, merging and counting sets of intervals.
#include "cli/interval_set.h"

namespace cli {

void Gather(Gathering<uint32_t>& gathering, uint32_t first, uint32_t last) {
  Append(gathering.ranges, Interval<uint32_t>{first, last});
}

void Gather(Gathering<calc::Address6>& gathering, calc::Address6 first, calc::Address6 last) {
  if (first.low == 0 && last.low == ~uint64_t(0)) {
    Append(gathering.wide, WideRange{first.high, last.high});
  } else {
    gathering.narrow.push_back({first, last});
  }
}

void SortNarrowRanges(Gathering<calc::Address6>& gathering) {
  std::sort(gathering.narrow.begin(), gathering.narrow.end(),
            [](const Interval<calc::Address6>& a, const Interval<calc::Address6>& b) {
              return a.first < b.first;
            });
}

// The set's room is had for every range gathered: only what the merged set
// fills is ever touched, and so held.
Intervals<uint32_t> MergeGathered(Gathering<uint32_t>& gathering) {
  Intervals<uint32_t> set;
  set.reserve(gathering.ranges.count);
  Merge(gathering, [&](uint32_t first, uint32_t last) { set.push_back({first, last}); });
  return set;
}

Intervals<calc::Address6> MergeGathered(Gathering<calc::Address6>& gathering) {
  Intervals<calc::Address6> set;
  set.reserve(gathering.wide.count + gathering.narrow.size());
  Merge(gathering, [&](calc::Address6 first, calc::Address6 last) {
    set.push_back({first, last});
  });
  return set;
}

AddressCount CountAddresses(const Intervals<uint32_t>& set) {
  uint64_t count = 0;
  for (const Interval<uint32_t>& interval : set)
    count += uint64_t(interval.last) - interval.first + 1;
  return {{0, count}, false};
}

AddressCount CountAddresses(const Intervals<calc::Address6>& set) {
  AddressCount count = {{}, false};
  for (const Interval<calc::Address6>& interval : set) {
    const calc::Address6 less = interval.last - interval.first;  // the size less one
    if (less == ~calc::Address6{}) return {{}, true};            // the whole space
    count.value = count.value + less + 1;
  }
  return count;
}

}  // namespace cli
