// `netstep -H COUNTS ADDRESS/PREFIX`: a subnet for each host count, and the
// space left, or the reason the counts do not fit.
#include <vector>

#include "calc/network_blocks.h"
#include "cli/arguments.h"
#include "cli/forms.h"
#include "cli/host_plan.h"
#include "cli/listing.h"
#include "cli/reports.h"
#include "cli/split.h"

namespace cli {

uint16_t HostsForm(const Request& request, Writer& writer) {
  const ArgumentNetwork network = NetworkOf(request);
  const uint8_t prefix = DividedPrefix(network.mask);
  const uint32_t start = network.address & network.mask;
  std::vector<PlannedNetwork> plan;
  uint64_t needed = 0;
  if (!PlanHosts(start, prefix, request.hosts, plan, needed)) {
    RefuseInput("The host counts need " + std::to_string(needed) + " addresses; " +
                DottedText(start) + "/" + std::to_string(prefix) + " has " +
                std::to_string(calc::AddressCount(prefix)));
  }
  Listing listing;
  BeginListing(listing, writer, request.json);
  for (const PlannedNetwork& entry : plan)
    ListPlanned(listing, entry.network, entry.prefix, entry.hosts);
  EndListing(listing);
  return 0;
}

}  // namespace cli
