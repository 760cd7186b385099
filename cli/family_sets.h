// A set of networks of both families, as the set operations and the grep
// mode hold it: an interval set per family (interval_set.h), gathered from
// the entries of lists and arguments, then merged.
#pragma once

#include <string>

#include "calc/address6.h"
#include "cli/interval_set.h"
#include "cli/network_text.h"

namespace cli {

struct Gatherings {
  Gathering<uint32_t> v4;
  Gathering<calc::Address6> v6;
};

struct Sets {
  Intervals<uint32_t> v4;
  Intervals<calc::Address6> v6;
};

// A network or a range of either family, gathered; always "" (taken), as a
// list reader's `take` answers.
std::string TakeEntry(Gatherings& gatherings, const ListEntry& entry);

// The sets of what was gathered, which is used up.
Sets Merged(Gatherings& gatherings);

}  // namespace cli
