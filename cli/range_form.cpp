// `netstep FIRST-LAST`: the fewest networks that hold exactly the range.
#include "cli/arguments.h"
#include "cli/forms.h"
#include "cli/listing.h"

namespace cli {

uint16_t RangeForm(const Request& request, Writer& writer) {
  const ArgumentRange range = RangeOf(request);
  Listing listing;
  BeginListing(listing, writer, request.json);
  ListRange(listing, range.first, range.last);
  EndListing(listing);
  return 0;
}

}  // namespace cli
