// Gathering, sorting, merging and counting sets of intervals.
#include "cli/interval_set.h"

namespace cli {

namespace {

// Sorts ranges by their first addresses, in place, a byte of the key at a
// time from the top: each range moved straight into its bucket of 256 (a
// permutation by cycles, which keeps 256 places of writing warm), then each
// bucket by the next byte, down to buckets small enough to sort as they are.
template <class Range, class Key>
void SortByFirst(Range* ranges, size_t count, Key key, int shift) {
  constexpr size_t small = 64;
  if (count <= small || shift < 0) {
    std::sort(ranges, ranges + count,
              [&](const Range& a, const Range& b) { return a.first < b.first; });
    return;
  }
  const auto bucketOf = [&](const Range& range) { return size_t(key(range) >> shift) & 0xFF; };
  size_t next[256] = {}, end[256];
  for (size_t i = 0; i < count; ++i) ++next[bucketOf(ranges[i])];
  for (size_t b = 0, at = 0; b < 256; ++b) {
    end[b] = at + next[b];
    next[b] = at;
    at = end[b];
  }
  for (size_t b = 0; b < 256; ++b) {
    while (next[b] < end[b]) {
      Range item = ranges[next[b]];
      for (size_t home = bucketOf(item); home != b; home = bucketOf(item))
        std::swap(item, ranges[next[home]++]);
      ranges[next[b]++] = item;
    }
  }
  for (size_t b = 0, start = 0; b < 256; start = end[b++])
    SortByFirst(ranges + start, end[b] - start, key, shift - 8);
}

}  // namespace

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

Intervals<uint32_t> SortedRanges(Gathering<uint32_t>& gathering) {
  Intervals<uint32_t> ranges = Contiguous(gathering.ranges);
  SortByFirst(
      ranges.data(), ranges.size(),
      [](const Interval<uint32_t>& range) { return uint64_t(range.first); }, 24);
  return ranges;
}

std::vector<WideRange> SortedWideRanges(Gathering<calc::Address6>& gathering) {
  std::vector<WideRange> wide = Contiguous(gathering.wide);
  SortByFirst(
      wide.data(), wide.size(), [](const WideRange& range) { return range.first; }, 56);
  return wide;
}

void SortNarrowRanges(Gathering<calc::Address6>& gathering) {
  std::sort(gathering.narrow.begin(), gathering.narrow.end(),
            [](const Interval<calc::Address6>& a, const Interval<calc::Address6>& b) {
              return a.first < b.first;
            });
}

Intervals<uint32_t> MergeGathered(Gathering<uint32_t>& gathering) {
  Intervals<uint32_t> set = SortedRanges(gathering);
  MergeInPlace<Interval<uint32_t>, uint32_t>(set);
  set.shrink_to_fit();
  return set;
}

Intervals<calc::Address6> MergeGathered(Gathering<calc::Address6>& gathering) {
  std::vector<WideRange> wide = SortedWideRanges(gathering);
  MergeInPlace<WideRange, uint64_t>(wide);
  SortNarrowRanges(gathering);
  MergeInPlace<Interval<calc::Address6>, calc::Address6>(gathering.narrow);
  Intervals<calc::Address6> set;
  set.reserve(wide.size() + gathering.narrow.size());
  MergeBoth(wide, gathering.narrow, [&](calc::Address6 first, calc::Address6 last) {
    set.push_back({first, last});
  });
  gathering = {};
  return set;
}

IndexedSet4 Indexed(Intervals<uint32_t> set) {
  IndexedSet4 indexed = {std::move(set), std::vector<uint32_t>((1 << 16) + 1)};
  const Intervals<uint32_t>& intervals = indexed.set;
  uint32_t at = 0;
  for (uint64_t slice = 0; slice <= (1 << 16); ++slice) {
    while (at < intervals.size() && uint64_t(intervals[at].last) < slice << 16) ++at;
    indexed.firstReaching[slice] = at;
  }
  return indexed;
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
