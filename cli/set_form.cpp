// `netstep -A`, `-i LIST`, `-x LIST`, `-C`: a set of networks of both
// families. First the union of the networks given as arguments and of every
// list (standard input when there are neither), then every intersection,
// then every exclusion; the result as the fewest networks, IPv4 first, then
// IPv6, each in address order, or as its count of addresses. Every list is
// read before anything is written: a bad item anywhere stops the run with
// nothing on standard output, as a partial set would be a wrong answer.
#include <string>
#include <type_traits>
#include <vector>

#include "cli/family_sets.h"
#include "cli/forms.h"
#include "cli/interval_set.h"
#include "cli/list_argument.h"
#include "cli/listing.h"
#include "cli/lists.h"
#include "cli/reports.h"
#include "cli/text_put.h"

namespace cli {

namespace {

using calc::Address6;

// The union the request names; false when anything in it was bad.
bool GatherUnion(const Request& request, Gatherings& gatherings) {
  bool allGood = true;
  for (const std::string& operand : request.operands) {
    const ListEntry entry = ReadListLine(operand, true);
    if (entry.kind == EntryKind::error || entry.kind == EntryKind::nothing) {
      ReportInput(entry.kind == EntryKind::error ? entry.reason
                                                 : "no network in " + Quoted(operand));
      allGood = false;
    } else {
      TakeEntry(gatherings, entry);
    }
  }
  if (!request.operands.empty() && request.files.empty()) return allGood;
  return ReadLists(request.files,
                   [&](const ListEntry& entry) { return TakeEntry(gatherings, entry); }) &&
         allGood;
}

// Each LIST as a set; false when any was bad.
bool ReadSets(const std::vector<ListArgument>& lists, std::vector<Sets>& sets) {
  bool allGood = true;
  for (const ListArgument& list : lists) {
    Gatherings gatherings;
    allGood = ReadListArgument(
                  list, [&](const ListEntry& entry) { return TakeEntry(gatherings, entry); }) &&
              allGood;
    sets.push_back(Merged(gatherings));
  }
  return allGood;
}

template <class Address>
const Intervals<Address>& Of(const Sets& sets);

template <>
const Intervals<uint32_t>& Of(const Sets& sets) {
  return sets.v4;
}

template <>
const Intervals<Address6>& Of(const Sets& sets) {
  return sets.v6;
}

// One -i or -x, in the order they are made.
struct Operation {
  bool exclude;  // -x; else -i
  const Sets* with;
};

// The operation, the set it works on offered to `offer(first, last)`, a
// routine that hands that set over.
template <class Address, class Take, class OfferEach>
void Apply(const Operation& operation, OfferEach offerEach, Take&& take) {
  if (operation.exclude) {
    Difference<Address, std::remove_reference_t<Take>> difference{Of<Address>(*operation.with),
                                                                  take};
    offerEach(difference);
  } else {
    Intersection<Address, std::remove_reference_t<Take>> intersection{Of<Address>(*operation.with),
                                                                      take};
    offerEach(intersection);
  }
}

// Where the result's intervals go as they are made: into the listing, or
// into the count of each family.
struct Sink {
  Listing* listing;  // null when counting
  uint64_t count4 = 0;
  AddressCount count6 = {{}, false};
  bool any4 = false;  // the result holds IPv4 addresses
  bool any6 = false;

  void operator()(uint32_t first, uint32_t last) {
    any4 = true;
    if (listing != nullptr) return ListRange(*listing, first, last);
    count4 += uint64_t(last) - first + 1;
  }

  void operator()(Address6 first, Address6 last) {
    any6 = true;
    if (listing != nullptr) return ListRange(*listing, first, last);
    const Address6 less = last - first;  // the size less one
    count6.full = count6.full || less == ~Address6{};
    count6.value = count6.value + less + 1;
  }
};

// One family's result, made and handed to the sink: the union streamed into
// the first operation, each result but the last into a set of its own for
// the next, the last streamed too. Only the sets of the lists and what the
// next step needs are ever held.
template <class Address>
void Produce(Gathering<Address>& gathering, const std::vector<Operation>& operations, Sink& sink) {
  if (operations.empty()) return Merge(gathering, sink);
  const auto unionOf = [&](auto& offer) { Merge(gathering, offer); };
  if (operations.size() == 1) return Apply<Address>(operations[0], unionOf, sink);
  Intervals<Address> set;
  const auto keep = [&](Address first, Address last) { set.push_back({first, last}); };
  Apply<Address>(operations[0], unionOf, keep);
  for (size_t i = 1; i < operations.size(); ++i) {
    Intervals<Address> from = std::move(set);
    set = {};
    const auto fromEach = [&](auto& offer) {
      for (const Interval<Address>& interval : from) offer(interval.first, interval.last);
    };
    if (i + 1 == operations.size()) return Apply<Address>(operations[i], fromEach, sink);
    Apply<Address>(operations[i], fromEach, keep);
  }
}

// "IPv4 addresses - N", a line for each family the result holds (the IPv4
// one for an empty result); in JSON one object with both.
void WriteCounts(const Sink& sink, Writer& writer, bool json) {
  char* at = Reserve(writer, 256);
  if (json) {
    at = PutDecimal(PutText(at, "{\"ipv4\":"), sink.count4);
    at = PutText(PutDecimal(PutText(at, ",\"ipv6\":"), sink.count6.value, sink.count6.full), "}");
    return Commit(writer, PutLineEnd(writer, at));
  }
  if (sink.any4 || !sink.any6)
    at = PutLineEnd(writer, PutDecimal(PutText(at, "IPv4 addresses - "), sink.count4));
  if (sink.any6) {
    at = PutText(at, "IPv6 addresses - ");
    at = PutLineEnd(writer, PutDecimal(at, sink.count6.value, sink.count6.full));
  }
  Commit(writer, at);
}

}  // namespace

uint16_t SetForm(const Request& request, Writer& writer) {
  Gatherings gatherings;
  bool allGood = GatherUnion(request, gatherings);
  std::vector<Sets> intersections, exclusions;
  allGood = ReadSets(request.intersections, intersections) && allGood;
  allGood = ReadSets(request.exclusions, exclusions) && allGood;
  if (!allGood) return exitInputError;
  std::vector<Operation> operations;
  for (const Sets& with : intersections) operations.push_back({false, &with});
  for (const Sets& without : exclusions) operations.push_back({true, &without});
  Listing listing;
  Sink sink = {request.countAddresses ? nullptr : &listing};
  if (!request.countAddresses) BeginListing(listing, writer, request.json);
  Produce(gatherings.v4, operations, sink);
  Produce(gatherings.v6, operations, sink);
  if (request.countAddresses) {
    WriteCounts(sink, writer, request.json);
  } else {
    EndListing(listing);
  }
  return 0;
}

}  // namespace cli
