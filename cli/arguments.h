// The networks and addresses the command line names, read strictly
// (network_text.h) after their surrounding blanks: what is not exactly an
// address is refused with a reason that quotes it. A component above 255 and
// a mask whose one-bits are not one run are told in the prompts' own words.
#pragma once

#include <cstdint>
#include <string>

#include "cli/request.h"

namespace cli {

struct ArgumentNetwork {
  uint32_t address;
  uint32_t mask;
};

// The network of an answer, a split or a host plan: ADDRESS MASK or
// ADDRESS/PREFIX. A bad one ends the program with exit code 1.
ArgumentNetwork NetworkOf(const Request& request);

// The range FIRST-LAST, first <= last; a bad one ends the program likewise.
struct ArgumentRange {
  uint32_t first;
  uint32_t last;
};
ArgumentRange RangeOf(const Request& request);

// The dotted text of an address, for a reason.
std::string DottedText(uint32_t address);

}  // namespace cli
