// A network divided into the subnets of a longer prefix: what the split
// form and the split of each line of a list share.
#pragma once

#include <cstdint>
#include <string>

namespace cli {

// The prefix of a network that is to be divided: its mask must have one. A
// mask without one ends the program with exit code 1.
uint8_t DividedPrefix(uint32_t mask);

// Why a network of `prefix` cannot be split into `splitPrefix` networks.
std::string SplitRefusal(uint8_t prefix, uint8_t splitPrefix);

}  // namespace cli
