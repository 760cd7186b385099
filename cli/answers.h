// The answer for one network: the four lines the interactive view shows, and
// with --all the address, the mask and its prefix, the wildcard mask, the
// hosts, the addresses and the address block; or all of it as one JSON
// object. Answers in a row are separated by an empty line, or are entries of
// the listing's JSON array.
#pragma once

#include <cstdint>

#include "cli/listing.h"

namespace cli {

struct Answers {
  Listing* listing;           // where the answers go, among other entries
  bool all;                   // --all
  bool answered;              // an answer has been written
  uint64_t entriesAfterLast;  // the listing's entry count right after it
};

// Answers into `listing`, in its style, in full when `all`.
void StartAnswers(Answers& answers, Listing& listing, bool all);

// The answer for the network `address` belongs to under `mask`. In JSON, as
// an entry of the listing when `inListing`, else as the document's one object.
void WriteAnswer(Answers& answers, uint32_t address, uint32_t mask, bool inListing);

// `count` answers from the network `address` belongs to, as the view's "+"
// steps, never past the end of the address space.
void WriteAnswers(Answers& answers, uint32_t address, uint32_t mask, uint64_t count,
                  bool inListing);

}  // namespace cli
