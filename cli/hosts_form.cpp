// `netstep -H COUNTS ADDRESS/PREFIX`: a subnet for each host count, and the
// space left, or the reason the counts do not fit. IPv4 alone: an IPv6
// network's subnets are sized by prefix, not by hosts.
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
  if (network.version == 6)
    RefuseCommandLine(
        "host counts plan IPv4 networks; an IPv6 network is divided by prefix: "
        "use -s");
  const uint8_t prefix = DividedPrefix(network.mask);
  const uint32_t start = uint32_t(network.address.low) & network.mask;
  std::vector<PlannedNetwork> plan;
  uint64_t needed = 0;
  if (!PlanHosts(start, prefix, request.hosts, plan, needed)) {
    RefuseInput("The host counts need " + std::to_string(needed) + " addresses; " +
                AddressText(4, {0, start}) + "/" + std::to_string(prefix) + " has " +
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
