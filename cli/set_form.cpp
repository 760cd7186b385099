// `netstep -A`, `-i LIST`, `-x LIST`, `-C`: a set of networks of both
// families. First the union of the networks given as arguments and of every
// list (standard input when there are neither), then every intersection,
// then every exclusion; the result as the fewest networks, IPv4 first, then
// IPv6, each in address order, or as its count of addresses. Every list is
// read before anything is written: a bad item anywhere stops the run with
// nothing on standard output, as a partial set would be a wrong answer.
#include <string>
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

template <class Address, class Operation>
Intervals<Address> Applied(const Intervals<Address>& a, const Intervals<Address>& b,
                           Operation operation) {
  Intervals<Address> result;
  operation(a, b, [&](Address first, Address last) { result.push_back({first, last}); });
  return result;
}

void Intersect(Sets& set, const Sets& with) {
  set.v4 = Applied(set.v4, with.v4, [](auto& a, auto& b, auto take) { Intersect(a, b, take); });
  set.v6 = Applied(set.v6, with.v6, [](auto& a, auto& b, auto take) { Intersect(a, b, take); });
}

void Exclude(Sets& set, const Sets& without) {
  set.v4 = Applied(set.v4, without.v4, [](auto& a, auto& b, auto take) { Subtract(a, b, take); });
  set.v6 = Applied(set.v6, without.v6, [](auto& a, auto& b, auto take) { Subtract(a, b, take); });
}

void ListSet(const Sets& set, Writer& writer, bool json) {
  Listing listing;
  BeginListing(listing, writer, json);
  for (const Interval<uint32_t>& interval : set.v4)
    ListRange(listing, interval.first, interval.last);
  for (const Interval<Address6>& interval : set.v6)
    ListRange(listing, interval.first, interval.last);
  EndListing(listing);
}

// "IPv4 addresses - N", a line for each family the set holds (the IPv4 one
// for an empty set); in JSON one object with both.
void WriteCounts(const Sets& set, Writer& writer, bool json) {
  const AddressCount v4 = CountAddresses(set.v4), v6 = CountAddresses(set.v6);
  char* at = Reserve(writer, 256);
  if (json) {
    at = PutDecimal(PutText(at, "{\"ipv4\":"), v4.value);
    at = PutText(PutDecimal(PutText(at, ",\"ipv6\":"), v6.value, v6.full), "}");
    return Commit(writer, PutLineEnd(writer, at));
  }
  if (!set.v4.empty() || set.v6.empty())
    at = PutLineEnd(writer, PutDecimal(PutText(at, "IPv4 addresses - "), v4.value));
  if (!set.v6.empty())
    at = PutLineEnd(writer, PutDecimal(PutText(at, "IPv6 addresses - "), v6.value, v6.full));
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
  Sets set = Merged(gatherings);
  for (const Sets& with : intersections) Intersect(set, with);
  for (const Sets& without : exclusions) Exclude(set, without);
  if (request.countAddresses) {
    WriteCounts(set, writer, request.json);
  } else {
    ListSet(set, writer, request.json);
  }
  return 0;
}

}  // namespace cli
