// The answer for one network: the four lines the interactive view shows, and
// with --all the address, the mask and its prefix, the wildcard mask, the
// hosts, the addresses and the address block; or all of it as one JSON
// object. An IPv6 network has no broadcast address: its answer has three
// lines. Answers in a row are separated by an empty line, or are entries of
// the listing's JSON array.
#pragma once

#include <cstdint>
#include <string_view>

#include "calc/address6.h"
#include "cli/listing.h"
#include "cli/text_put.h"

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

// The same for an IPv6 network, its size given by its prefix (answers6.cpp).
void WriteAnswers6(Answers& answers, calc::Address6 address, uint8_t prefix, uint64_t count,
                   bool inListing);

// The lines of --all, after the range's lines.
inline constexpr std::string_view addressLabel = "IP address - ";
inline constexpr std::string_view maskLabel = "SubNet Mask - ";
inline constexpr std::string_view wildcardLabel = "Wildcard Mask - ";
inline constexpr std::string_view hostsLabel = "Hosts - ";
inline constexpr std::string_view addressesLabel = "Addresses - ";
inline constexpr std::string_view blockLabel = "Address block - ";

// The longest answer, with room to spare.
inline constexpr int answerMaximum = 1024;

// The frame of every answer, whatever its family: an empty line between two
// answers in a row in text; in JSON the entry's separator in a listing, or the
// line end of the document's one object. `body(at)` writes the answer itself
// and returns its end.
template <class Body>
void WriteFramed(Answers& answers, bool inListing, Body body) {
  Listing& listing = *answers.listing;
  Writer& writer = *listing.writer;
  const bool apart =
      !listing.json && answers.answered && listing.entries == answers.entriesAfterLast;
  char* at = Reserve(writer, answerMaximum);
  if (apart) at = PutLineEnd(writer, at);
  if (listing.json && inListing) {
    at = PutText(at, NextEntryStart(listing));
  } else {
    NextEntryStart(listing);
  }
  at = body(at);
  if (listing.json && !inListing) at = PutLineEnd(writer, at);
  Commit(writer, at);
  answers.answered = true;
  answers.entriesAfterLast = listing.entries;
}

}  // namespace cli
