// Dividing a network into the subnets of a longer prefix.
#include "cli/split.h"

#include "calc/network_blocks.h"
#include "cli/arguments.h"
#include "cli/reports.h"

namespace cli {

uint8_t DividedPrefix(uint32_t mask) {
  const int prefix = calc::PrefixOfMask(mask);
  if (prefix < 0) RefuseInput("SubNet mask " + AddressText(4, {0, mask}) + " has no prefix length");
  return uint8_t(prefix);
}

std::string SplitRefusal(uint8_t prefix, uint8_t splitPrefix) {
  return "a /" + std::to_string(prefix) + " network cannot be split into /" +
         std::to_string(splitPrefix) + " networks";
}

}  // namespace cli
