// `netstep FIRST-LAST`: the fewest networks that hold exactly the range, for
// either family.
#include "cli/arguments.h"
#include "cli/families.h"
#include "cli/forms.h"
#include "cli/listing.h"

namespace cli {

uint16_t RangeForm(const Request& request, Writer& writer) {
  const ArgumentRange range = RangeOf(request);
  Listing listing;
  BeginListing(listing, writer, request.json);
  if (range.version == 6) {
    ListRange(listing, range.first, range.last);
  } else {
    ListRange(listing, Narrow<uint32_t>(range.first), Narrow<uint32_t>(range.last));
  }
  EndListing(listing);
  return 0;
}

}  // namespace cli
