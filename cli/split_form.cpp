// `netstep -s PREFIX ADDRESS/PREFIX`: the network's subnets of one prefix,
// streamed in address order, for either family.
#include "calc/network_blocks.h"
#include "cli/arguments.h"
#include "cli/forms.h"
#include "cli/listing.h"
#include "cli/reports.h"
#include "cli/split.h"

namespace cli {

uint16_t SplitForm(const Request& request, Writer& writer) {
  const ArgumentNetwork network = NetworkOf(request);
  const uint8_t prefix = network.version == 6 ? network.prefix : DividedPrefix(network.mask);
  if (request.splitPrefix < prefix) RefuseCommandLine(SplitRefusal(prefix, request.splitPrefix));
  Listing listing;
  BeginListing(listing, writer, request.json);
  if (network.version == 6) {
    ListSplit(listing, network.address & calc::MaskOf<calc::Address6>(prefix), prefix,
              request.splitPrefix);
  } else {
    ListSplit(listing, uint32_t(network.address.low) & network.mask, prefix, request.splitPrefix);
  }
  EndListing(listing);
  return 0;
}

}  // namespace cli
