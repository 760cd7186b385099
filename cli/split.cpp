// Dividing a network into the subnets of a longer prefix.
#include "cli/split.h"

#include "calc/network_blocks.h"
#include "cli/arguments.h"
#include "cli/reports.h"

namespace cli {

uint8_t DividedPrefix(uint32_t mask) {
  const int prefix = calc::PrefixOfMask(mask);
  if (prefix < 0) RefuseInput("SubNet mask " + DottedText(mask) + " has no prefix length");
  return uint8_t(prefix);
}

std::string SplitRefusal(uint8_t prefix, uint8_t splitPrefix) {
  return "a /" + std::to_string(prefix) + " network cannot be split into /" +
         std::to_string(splitPrefix) + " networks";
}

void ListSplit(Listing& listing, uint32_t network, uint8_t prefix, uint8_t splitPrefix) {
  ListRun(listing, network, splitPrefix, uint64_t(1) << (splitPrefix - prefix));
}

}  // namespace cli
