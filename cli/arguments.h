// The networks and addresses the command line names, of either family, read
// strictly (network_text.h) after their surrounding blanks: what is not
// exactly an address is refused with a reason that quotes it. For IPv4 a
// component above 255 and a mask whose one-bits are not one run are told in
// the prompts' own words.
#pragma once

#include <cstdint>
#include <string>

#include "calc/address6.h"
#include "cli/request.h"

namespace cli {

struct ArgumentNetwork {
  uint8_t version;         // 4 or 6
  calc::Address6 address;  // as written; IPv4 in the low 32 bits
  uint32_t mask;           // IPv4: the mask, whose one-bits may be any one run
  uint8_t prefix;          // IPv6: the prefix
};

// The network of an answer, a split or a host plan: ADDRESS MASK (IPv4) or
// ADDRESS/PREFIX. A bad one ends the program with exit code 1.
ArgumentNetwork NetworkOf(const Request& request);

// The range FIRST-LAST, both of one family, first <= last; a bad one ends the
// program likewise.
struct ArgumentRange {
  uint8_t version;
  calc::Address6 first;
  calc::Address6 last;
};
ArgumentRange RangeOf(const Request& request);

// An address's text in its family, for a reason.
std::string AddressText(uint8_t version, calc::Address6 address);

}  // namespace cli
