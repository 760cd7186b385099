// The answer for one network: the four lines the interactive view shows, and
// with --all the address, the mask and its prefix, the wildcard mask, the
// hosts, the addresses and the address block; or all of it as one JSON
// object. Answers in a row are separated by an empty line, or are entries of
// the listing's JSON array.
#pragma once

#include <cstdint>

namespace cli {

// How answers are written until the next call.
void StartAnswers(bool json, bool all);

// The answer for the network `address` belongs to under `mask`. In JSON, as
// an entry of the listing begun with BeginListing when `inListing`, else as
// the document's one object.
void WriteAnswer(uint32_t address, uint32_t mask, bool inListing);

// `count` answers from the network `address` belongs to, as the view's "+"
// steps, never past the end of the address space.
void WriteAnswers(uint32_t address, uint32_t mask, uint64_t count, bool inListing);

}  // namespace cli
