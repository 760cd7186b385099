// `netstep ADDRESS MASK`, `ADDRESS/PREFIX`: the network's answer, and with
// --count the networks after it as "+" steps; for either family.
#include "cli/answers.h"
#include "cli/arguments.h"
#include "cli/forms.h"

namespace cli {

uint16_t AnswerForm(const Request& request, Writer& writer) {
  const ArgumentNetwork network = NetworkOf(request);
  Listing listing;
  Answers answers;
  // In JSON, --count makes an array whatever N, as a script expects one shape.
  const bool inListing = request.json && request.counted;
  if (inListing) {
    BeginListing(listing, writer, true);
  } else {
    PrepareListing(listing, writer, request.json);
  }
  StartAnswers(answers, listing, request.all);
  if (network.version == 6) {
    WriteAnswers6(answers, network.address, network.prefix, request.count, inListing);
  } else {
    WriteAnswers(answers, uint32_t(network.address.low), network.mask, request.count, inListing);
  }
  if (inListing) EndListing(listing);
  return 0;
}

}  // namespace cli
