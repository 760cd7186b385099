// `netstep -A`: the networks of the lists merged into the fewest that cover
// exactly their union, IPv4 first, then IPv6, each in address order. A bad
// line stops it: a partial union would be a wrong answer, so nothing is
// listed.
#include <vector>

#include "calc/network_blocks.h"
#include "cli/families.h"
#include "cli/forms.h"
#include "cli/interval_set.h"
#include "cli/listing.h"
#include "cli/lists.h"

namespace cli {

namespace {

struct Gathered {
  std::vector<uint64_t> ranges4;
  Ranges6 ranges6;
};

void Gather(Gathered& gathered, const ListEntry& entry) {
  calc::Address6 first = entry.first, last = entry.last;
  if (entry.kind == EntryKind::network) {
    const uint8_t hostBits = uint8_t(PrefixMaximumOf(entry.version) - entry.prefix);
    const calc::Address6 host =
        hostBits == 0 ? calc::Address6{} : ~calc::Address6{} >> (128 - hostBits);
    first = entry.address & ~host;
    last = first | host;
  }
  if (entry.version == 6) {
    AddRange(gathered.ranges6, first, last);
  } else {
    gathered.ranges4.push_back(PackRange(Narrow<uint32_t>(first), Narrow<uint32_t>(last)));
  }
}

}  // namespace

uint16_t AggregateForm(const Request& request, Writer& writer) {
  Gathered gathered;
  const bool allGood = ReadLists(request.files, [&](const ListEntry& entry) {
    Gather(gathered, entry);
    return std::string();
  });
  if (!allGood) return exitInputError;
  MergeRanges(gathered.ranges4);
  SortRanges(gathered.ranges6);
  Listing listing;
  BeginListing(listing, writer, request.json);
  for (uint64_t range : gathered.ranges4) ListRange(listing, FirstOf(range), LastOf(range));
  MergeRanges(gathered.ranges6,
              [&](calc::Address6 first, calc::Address6 last) { ListRange(listing, first, last); });
  EndListing(listing);
  return 0;
}

}  // namespace cli
