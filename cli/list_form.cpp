// `netstep -f FILE`: each line of the lists answered in its form, in order:
// a network's answer (with --count and --all) or its split (with --split), a
// range's networks. A bad line is reported and the others still answered.
#include "calc/network_blocks.h"
#include "cli/answers.h"
#include "cli/forms.h"
#include "cli/lists.h"
#include "cli/split.h"

namespace cli {

namespace {

// One line answered; "" or why it cannot be.
std::string AnswerEntry(const Request& request, Answers& answers, const ListEntry& entry) {
  Listing& listing = *answers.listing;
  if (entry.kind == EntryKind::range) {
    if (request.split) return "a range is not split";
    ListRange(listing, entry.first, entry.last);
    return "";
  }
  const uint32_t mask = calc::PrefixMask(entry.prefix);
  if (!request.split) {
    WriteAnswers(answers, entry.address, mask, request.count, true);
    return "";
  }
  if (request.splitPrefix < entry.prefix) return SplitRefusal(entry.prefix, request.splitPrefix);
  ListSplit(listing, entry.address & mask, entry.prefix, request.splitPrefix);
  return "";
}

}  // namespace

uint16_t ListForm(const Request& request, Writer& writer) {
  Listing listing;
  Answers answers;
  BeginListing(listing, writer, request.json);
  StartAnswers(answers, listing, request.all);
  const bool allGood = ReadLists(
      request.files, [&](const ListEntry& entry) { return AnswerEntry(request, answers, entry); });
  EndListing(listing);
  return allGood ? 0 : exitInputError;
}

}  // namespace cli
