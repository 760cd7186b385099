// `netstep -A`: the networks of the lists merged into the fewest that cover
// exactly their union. A bad line stops it: a partial union would be a wrong
// answer, so nothing is listed.
#include <vector>

#include "calc/network_blocks.h"
#include "cli/forms.h"
#include "cli/interval_set.h"
#include "cli/listing.h"
#include "cli/lists.h"

namespace cli {

uint16_t AggregateForm(const Request& request, Writer& writer) {
  std::vector<uint64_t> ranges;
  const bool allGood = ReadLists(request.files, [&](const ListEntry& entry) {
    if (entry.kind == EntryKind::range) {
      ranges.push_back(PackRange(entry.first, entry.last));
    } else {
      const uint32_t network = entry.address & calc::PrefixMask(entry.prefix);
      ranges.push_back(
          PackRange(network, calc::LastAddressOf(calc::Block<uint32_t>{network, entry.prefix})));
    }
    return std::string();
  });
  if (!allGood) return exitInputError;
  MergeRanges(ranges);
  Listing listing;
  BeginListing(listing, writer, request.json);
  for (uint64_t range : ranges) ListRange(listing, FirstOf(range), LastOf(range));
  EndListing(listing);
  return 0;
}

}  // namespace cli
