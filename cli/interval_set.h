// Sets of addresses as sorted, merged intervals, one set per family: ranges
// gathered in any order, then sorted and merged once into disjoint intervals
// that neither overlap nor touch, in address order; then intersected,
// subtracted and counted by walking two sets side by side. Ranges are
// gathered in chunks, so that none is copied as more come; IPv4 ranges are
// sorted by buckets of their first 16 bits; IPv6 ranges are 256 bits, so
// those of whole /64s or larger blocks, which routing tables are made of, are
// gathered by their upper halves alone.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

#include "calc/address6.h"

namespace cli {

template <class Address>
struct Interval {
  Address first;
  Address last;  // first <= last
};

// A set of one family: disjoint intervals in address order, none touching
// the next.
template <class Address>
using Intervals = std::vector<Interval<Address>>;

// Items gathered in chunks: none is moved while more come, and no memory is
// taken twice over, as a growing vector takes it. The first chunks are small
// and each is twice the one before, up to a size that sorts within the
// processor's caches: a short list takes little.
template <class Item>
struct Chunk {
  std::unique_ptr<Item[]> items;
  size_t count;     // items held
  size_t capacity;  // items it has room for
};

template <class Item>
struct Chunks {
  static constexpr size_t firstCapacity = size_t(1) << 8;
  static constexpr size_t lastCapacity = size_t(1) << 16;
  std::vector<Chunk<Item>> chunks;
  size_t count = 0;  // items in all chunks
};

template <class Item>
void Append(Chunks<Item>& chunks, const Item& item) {
  if (chunks.chunks.empty() || chunks.chunks.back().count == chunks.chunks.back().capacity) {
    const size_t capacity = chunks.chunks.empty() ? Chunks<Item>::firstCapacity
                                                  : std::min(2 * chunks.chunks.back().capacity,
                                                             Chunks<Item>::lastCapacity);
    chunks.chunks.push_back({std::make_unique_for_overwrite<Item[]>(capacity), 0, capacity});
  }
  Chunk<Item>& chunk = chunks.chunks.back();
  chunk.items[chunk.count++] = item;
  ++chunks.count;
}

// Ranges of one family gathered in any order.
template <class Address>
struct Gathering;

template <>
struct Gathering<uint32_t> {
  Chunks<Interval<uint32_t>> ranges;
};

// A range of IPv6 from an address ending in 64 zero bits to one ending in 64
// one bits, by the upper halves of its ends (a /64 is {h, h}).
struct WideRange {
  uint64_t first;
  uint64_t last;
};

template <>
struct Gathering<calc::Address6> {
  Chunks<WideRange> wide;            // the ranges of whole /64s and larger blocks
  Intervals<calc::Address6> narrow;  // every other range
};

// The key the gathered ranges sort by, their first address (of an IPv6 wide
// range the upper half of it), and the shift of its top byte.
inline uint64_t KeyOf(const Interval<uint32_t>& range) {
  return range.first;
}

inline uint64_t KeyOf(const WideRange& range) {
  return range.first;
}

inline constexpr int topByte4 = 24;
inline constexpr int topByte6 = 56;

// Sorts ranges by their first addresses, in place, a byte of the key at a
// time from the byte at `shift` down: each range moved straight into its
// bucket of 256 (a permutation by cycles, which keeps 256 places of writing
// warm), then each bucket by the next byte, down to buckets small enough to
// sort as they are.
template <class Range>
void SortByFirst(Range* ranges, size_t count, int shift) {
  constexpr size_t small = 64;
  if (count <= small || shift < 0) {
    std::sort(ranges, ranges + count,
              [](const Range& a, const Range& b) { return a.first < b.first; });
    return;
  }
  const auto bucketOf = [&](const Range& range) { return size_t(KeyOf(range) >> shift) & 0xFF; };
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
    SortByFirst(ranges + start, end[b] - start, shift - 8);
}

// The items of the chunks in order of their first addresses, each handed to
// `offer(item)`: each chunk sorted on its own, then the chunks merged, a
// chunk given up as soon as it is used up. No array of all the items is ever
// made.
template <class Item, class Offer>
void InOrder(Chunks<Item>& chunks, int shift, Offer&& offer) {
  struct Head {
    const Item* at;
    const Item* end;
    size_t chunk;
  };
  std::vector<Head> heads;
  for (size_t c = 0; c < chunks.chunks.size(); ++c) {
    Item* items = chunks.chunks[c].items.get();
    const size_t count = chunks.chunks[c].count;
    SortByFirst(items, count, shift);
    heads.push_back({items, items + count, c});
  }
  // A heap of the chunks by their next item, the least on top.
  const auto later = [](const Head& a, const Head& b) { return b.at->first < a.at->first; };
  std::make_heap(heads.begin(), heads.end(), later);
  while (!heads.empty()) {
    std::pop_heap(heads.begin(), heads.end(), later);
    Head& head = heads.back();
    offer(*head.at);
    if (++head.at == head.end) {
      chunks.chunks[head.chunk].items.reset();
      heads.pop_back();
    } else {
      std::push_heap(heads.begin(), heads.end(), later);
    }
  }
  chunks = {};
}

void Gather(Gathering<uint32_t>& gathering, uint32_t first, uint32_t last);
void Gather(Gathering<calc::Address6>& gathering, calc::Address6 first, calc::Address6 last);

void SortNarrowRanges(Gathering<calc::Address6>& gathering);

// Builds the union of intervals offered in order of their first addresses,
// handing each on as soon as it is complete: one that overlaps or touches the
// interval being built extends it; any other ends it and starts the next.
template <class Address, class Take>
struct UnionBuilder {
  Take& take;
  bool open = false;
  Interval<Address> building = {};

  void Offer(Address first, Address last) {
    if (open && (building.last == ~Address{} || first <= building.last + 1)) {
      if (building.last < last) building.last = last;
      return;
    }
    if (open) take(building.first, building.last);
    open = true;
    building = {first, last};
  }

  void Finish() {
    if (open) take(building.first, building.last);
  }
};

// The union of what was gathered, which is used up: each interval handed to
// `take(first, last)` in address order as soon as it is complete.
template <class Take>
void Merge(Gathering<uint32_t>& gathering, Take&& take) {
  UnionBuilder<uint32_t, std::remove_reference_t<Take>> builder{take};
  InOrder(gathering.ranges, topByte4,
          [&](const Interval<uint32_t>& range) { builder.Offer(range.first, range.last); });
  builder.Finish();
}

template <class Take>
void Merge(Gathering<calc::Address6>& gathering, Take&& take) {
  SortNarrowRanges(gathering);
  const Intervals<calc::Address6>& narrow = gathering.narrow;
  UnionBuilder<calc::Address6, std::remove_reference_t<Take>> builder{take};
  size_t n = 0;
  InOrder(gathering.wide, topByte6, [&](const WideRange& range) {
    for (; n < narrow.size() && narrow[n].first.high < range.first; ++n)
      builder.Offer(narrow[n].first, narrow[n].last);
    builder.Offer({range.first, 0}, {range.last, ~uint64_t(0)});
  });
  for (; n < narrow.size(); ++n) builder.Offer(narrow[n].first, narrow[n].last);
  builder.Finish();
  gathering = {};
}

// The union of what was gathered, as a set; the gathering is used up.
Intervals<uint32_t> MergeGathered(Gathering<uint32_t>& gathering);
Intervals<calc::Address6> MergeGathered(Gathering<calc::Address6>& gathering);

// An operation of one set with another, the first set's intervals offered
// one by one in address order, as a union makes them, so that it need never
// be held; the result's intervals handed to `take(first, last)` in address
// order as they are made. The other set is walked alongside.

// The addresses both sets hold.
template <class Address, class Take>
struct Intersection {
  const Intervals<Address>& with;
  Take& take;
  size_t next = 0;  // the first interval of `with` that may still meet an offered one

  void operator()(Address first, Address last) {
    while (next < with.size() && with[next].last < first) ++next;
    for (size_t k = next; k < with.size() && with[k].first <= last; ++k)
      take(std::max(first, with[k].first), std::min(last, with[k].last));
  }
};

// The addresses of the offered set that the other does not hold.
template <class Address, class Take>
struct Difference {
  const Intervals<Address>& without;
  Take& take;
  size_t next = 0;

  void operator()(Address first, Address last) {
    while (next < without.size() && without[next].last < first) ++next;
    for (size_t k = next; k < without.size() && without[k].first <= last; ++k) {
      if (first < without[k].first) take(first, without[k].first - 1);
      if (!(without[k].last < last)) return;  // the rest is taken away
      first = without[k].last + 1;
    }
    take(first, last);
  }
};

// Whether the set holds `address`: a binary search of its intervals.
template <class Address>
bool Holds(const Intervals<Address>& set, Address address) {
  // The first interval that starts beyond the address; the one before it is
  // the only one that may hold it.
  const auto after = std::upper_bound(set.begin(), set.end(), address,
                                      [](const Address& value, const Interval<Address>& interval) {
                                        return value < interval.first;
                                      });
  return after != set.begin() && address <= (after - 1)->last;
}

// A set with an index by the upper 16 bits of an address, for lookups by
// the million: a lookup searches only the intervals that reach into the
// address's slice, mostly none or a few, where a search of the whole set
// takes a step for each doubling of its size.
inline uint32_t SliceOf(uint32_t address) {
  return address >> 16;
}

inline uint32_t SliceOf(calc::Address6 address) {
  return uint32_t(address.high >> 48);
}

template <class Address>
struct IndexedSet {
  Intervals<Address> set;
  std::vector<uint32_t> firstReaching;  // by slice, and one past the last: the
                                        // first interval that reaches into it
};

// Sets of fewer intervals than this are searched whole, without an index.
inline constexpr size_t indexedMinimum = 4096;

template <class Address>
IndexedSet<Address> Indexed(Intervals<Address> set) {
  if (set.size() < indexedMinimum) return {std::move(set), {}};
  IndexedSet<Address> indexed = {std::move(set), std::vector<uint32_t>((1 << 16) + 1)};
  const Intervals<Address>& intervals = indexed.set;
  uint32_t at = 0;
  for (uint32_t slice = 0; slice <= (1 << 16); ++slice) {
    while (at < intervals.size() && SliceOf(intervals[at].last) < slice) ++at;
    indexed.firstReaching[slice] = at;
  }
  return indexed;
}

template <class Address>
bool Holds(const IndexedSet<Address>& indexed, Address address) {
  if (indexed.firstReaching.empty()) return Holds(indexed.set, address);
  const uint32_t slice = SliceOf(address);
  const Interval<Address>* const all = indexed.set.data();
  const Interval<Address>* at = all + indexed.firstReaching[slice];
  const Interval<Address>* end =
      all + std::min<size_t>(indexed.firstReaching[slice + 1] + 1, indexed.set.size());
  // The first interval of the slice's that ends at or after the address.
  at = std::lower_bound(at, end, address,
                        [](const Interval<Address>& interval, const Address& value) {
                          return interval.last < value;
                        });
  return at < end && at->first <= address;
}

// The number of addresses a set holds, exactly: 2^128 shown by `full`.
struct AddressCount {
  calc::Address6 value;
  bool full;  // all 2^128 addresses of IPv6
};

AddressCount CountAddresses(const Intervals<uint32_t>& set);
AddressCount CountAddresses(const Intervals<calc::Address6>& set);

}  // namespace cli
